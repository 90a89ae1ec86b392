#pragma once

#include <QString>

class QWidget;

namespace kartevo {

// The file open and save dialogs, reached through an interface that tests can replace, as the
// message boxes are. filter is in Qt's form ("Szöveges állományok (*.txt *.csv);;..."); the
// default suffix is added to a typed name without one. An empty result means cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual QString openFileName(QWidget *owner, const QString &start, const QString &filter,
                                 const QString &defaultSuffix) = 0;
    virtual QString saveFileName(QWidget *owner, const QString &start, const QString &filter,
                                 const QString &defaultSuffix) = 0;
};

// Replaces the dialogs (tests); null restores the real ones. Not owned.
void SetFileDialogs(FileDialogs *dialogs);
FileDialogs &CurrentFileDialogs();

} // namespace kartevo
