#pragma once

#include "ui/common/filedialogs.h"

#include <QStringList>

namespace kartevo::test {

// Answers the file dialogs instead of a person: every dialog gives `answer` (empty: cancelled)
// and is recorded with its starting name, filter and default suffix.
class FakeFileDialogs final : public FileChooser {
public:
    FakeFileDialogs() { SetFileChooser(this); }
    ~FakeFileDialogs() override { SetFileChooser(nullptr); }

    QString answer;
    QString folderAnswer;
    QStringList asked; // "open|save: start | filter | suffix", "folder: start"

    QString chooseOpen(QWidget *, const FileDialogOptions &options) override
    {
        asked.append(QStringLiteral("open: %1 | %2 | %3").arg(options.fileName, options.filter, options.defaultSuffix));
        return answer;
    }
    QString chooseSave(QWidget *, const FileDialogOptions &options) override
    {
        asked.append(QStringLiteral("save: %1 | %2 | %3").arg(options.fileName, options.filter, options.defaultSuffix));
        return answer;
    }
    QString chooseFolder(QWidget *, const QString &start) override
    {
        asked.append(QStringLiteral("folder: %1").arg(start));
        return folderAnswer;
    }
};

} // namespace kartevo::test
