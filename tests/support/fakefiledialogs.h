#pragma once

#include "ui/common/filedialogs.h"

#include <QStringList>

namespace kartevo::test {

// Answers the file dialogs instead of a person: every dialog gives `answer` (empty: cancelled)
// and is recorded with its starting name, filter and default suffix.
class FakeFileDialogs final : public FileDialogs {
public:
    FakeFileDialogs() { SetFileDialogs(this); }
    ~FakeFileDialogs() override { SetFileDialogs(nullptr); }

    QString answer;
    QStringList asked; // "open|save: start | filter | suffix"

    QString openFileName(QWidget *, const QString &start, const QString &filter, const QString &suffix) override
    {
        asked.append(QStringLiteral("open: %1 | %2 | %3").arg(start, filter, suffix));
        return answer;
    }
    QString saveFileName(QWidget *, const QString &start, const QString &filter, const QString &suffix) override
    {
        asked.append(QStringLiteral("save: %1 | %2 | %3").arg(start, filter, suffix));
        return answer;
    }
};

} // namespace kartevo::test
