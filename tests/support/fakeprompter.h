#pragma once

#include "ui/common/messages.h"

#include <QStringList>

namespace kartevo::test {

// Answers the program's questions instead of a person and records every message.
class FakePrompter final : public Prompter {
public:
    FakePrompter() { SetPrompter(this); }
    ~FakePrompter() override { SetPrompter(nullptr); }

    bool nextAnswer = true;
    QStringList questions;
    QStringList errors;
    QStringList infos;

    bool askYesNo(const QString &message, const QString &caption, QWidget *) override
    {
        questions.append(caption + QStringLiteral(": ") + message);
        return nextAnswer;
    }
    void showError(const QString &message, QWidget *) override { errors.append(message); }
    void showInfo(const QString &message, QWidget *) override { infos.append(message); }
};

} // namespace kartevo::test
