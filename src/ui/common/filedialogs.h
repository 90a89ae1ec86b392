#pragma once

#include <QString>

class QWidget;

namespace kartevo {

// The file and folder choosers of the program, behind an interface that tests replace so that a
// command's logic runs without a modal dialog. The default shows Qt's dialogs.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // A file to open: filter in Qt's form ("SQB állományok (*.sqb)"), the extension added to a
    // name typed without one, the dialog preset to start. Empty when cancelled.
    virtual QString openFile(QWidget *owner, const QString &filter, const QString &defaultSuffix,
                             const QString &start) = 0;
    // A folder, the dialog starting at start. Empty when cancelled.
    virtual QString chooseFolder(QWidget *owner, const QString &start) = 0;
};

// Replaces the dialogs (tests); null restores the real ones. Not owned.
void SetFileDialogs(FileDialogs *dialogs);
FileDialogs &CurrentFileDialogs();

} // namespace kartevo
