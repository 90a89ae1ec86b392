#pragma once

#include <QString>

class QWidget;

namespace kartevo {

// What a file dialog shows: its title, the folder it starts in, one filter ("SQL files
// (*.sql)"), the extension added to a name typed without one, and the proposed file name.
struct FileDialogOptions {
    QString title;
    QString folder;
    QString filter;
    QString defaultSuffix;
    QString fileName;
};

// A dialog that starts at a file name: in its folder with the name selected. A default suffix
// may be given with or without its dot.
FileDialogOptions FileDialogAt(const QString &start, const QString &filter, const QString &defaultSuffix);

// The extension a name filter stands for: "xls" for "Excel munkalap (*.xls)"; empty for a filter
// of several patterns or of any file ("*").
QString FilterSuffix(const QString &filter);

// The open and save dialogs of the program; each gives the chosen file or an empty text when
// the user cancelled. The save dialog asks before replacing an existing file.
QString ChooseOpenFile(QWidget *owner, const FileDialogOptions &options);
QString ChooseSaveFile(QWidget *owner, const FileDialogOptions &options);
// A folder, the dialog starting at start; empty when cancelled.
QString ChooseFolder(QWidget *owner, const QString &start);

// Tests answer the file dialogs through this interface instead of a person.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual QString chooseOpen(QWidget *owner, const FileDialogOptions &options) = 0;
    virtual QString chooseSave(QWidget *owner, const FileDialogOptions &options) = 0;
    virtual QString chooseFolder(QWidget *owner, const QString &start) = 0;
};

// Replaces the dialogs (tests); null restores the real ones. Not owned.
void SetFileChooser(FileChooser *chooser);

} // namespace kartevo
