#pragma once

#include <QString>

#include <stdexcept>

namespace kartevo {

// The one exception type of the program: the database layer, file readers and writers throw
// it with a message meant for the user; the command guard shows the message in an error box.
class Error : public std::runtime_error {
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

} // namespace kartevo
