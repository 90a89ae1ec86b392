#pragma once

#include <QColor>
#include <QRect>
#include <QString>

namespace kartevo {

// The folders and screen facts fixed once at start and read by every window.
struct Folders {
    QString ProgramFolder;  // the executable's folder, no trailing slash
    QString DataFolder;     // where the user's data lives (or ProgramFolder in portable mode)
    QString IniFileName;    // DataFolder + "/Kartevo.ini"
    QRect WorkArea;         // the desktop without panels; bounds every restored window
};

// The colour of the grid column a list is sorted by.
inline const QColor SortColumnColor{255, 255, 185};

// The per-user application-data folder ($XDG_DATA_HOME, else ~/.local/share), or an empty
// text when it cannot be obtained.
QString CommonAppDataFolder();

// First start-up step: the folders before any window exists. DataFolder is the common
// application-data folder + "/Kartevo", or ProgramFolder when that folder is unknown.
Folders ComputeFolders(const QString &programFolder, const QRect &workArea = QRect(0, 0, 1024, 768));

// Portable mode: when a Kartevo.ini lies in the program folder, the data folder and the
// configuration file move there. Returns whether it did.
bool ApplyPortableMode(Folders &folders);

// An installation file (cimke.sql, the delivered Kartevo.sqb, Help/, Lang/, pictures): looked up
// in the program folder, then in ../share/kartevo beside it. Empty when neither has it.
QString InstallationFile(const QString &programFolder, const QString &name);

// The process-wide folders, set once by the program's (or the batch tool's) start.
const Folders &AppFolders();
void SetAppFolders(const Folders &folders);

// Makes the data folder when it is missing, readable by its owner only (0700): an address book
// holds personal data. A folder already there keeps its mode.
void MakeDataFolder(const QString &dataFolder);

} // namespace kartevo
