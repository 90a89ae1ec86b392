#pragma once

#include "core/error.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace kartevo {

class Session;
struct Folders;

// Copies of the address book in DataFolder/Backup, named <database name>-YYYYMMDD-HHMMSS.sqb
// (with -2, -3, ... when a second copy falls in the same second). A copy is made with the
// engine's online backup from a connection of its own that only reads: it holds the last
// committed state even while another connection is writing, and it never waits for a lock
// longer than a few seconds. It is written under a hidden temporary name beside its final one,
// put on the disk and only then renamed, so no unfinished copy ever carries a copy's name.
// Every copy is readable by its owner only (0600).
//
// What a copy is (automatic or on request, and why it was made) is kept in a small table inside
// the copy itself, so it stays right however the user renames or deletes the files around it;
// a restore leaves that table out of the restored database.

enum class BackupKind { Automatic, Manual };
// The operation that caused a copy.
enum class BackupReason { Manual, SqlScript, Import, GroupDelete, Restore, Closing };

// At most this many automatic copies of a database are kept; copies made on request are never
// removed by the program.
constexpr int kAutomaticBackupLimit = 10;

struct BackupInfo {
    QString path;
    QDateTime time;
    BackupKind kind = BackupKind::Manual;
    BackupReason reason = BackupReason::Manual;
    qint64 size = 0;
    qint64 clients = -1; // -1: the copy could not be read
};

// The Hungarian names shown in the copies' window: "automatikus" / "kézi", and the operations.
QString BackupKindText(BackupKind kind);
QString BackupReasonText(BackupReason reason);

QString BackupFolder(const QString &dataFolder);

// Copies the database into target (any file name; refused when it is the database itself or
// one of the program's protected files). Throws Error naming the cause: a full disk, a folder
// that may not be written, a database locked beyond the wait. Nothing is left under target's
// name on failure.
void CopyDatabase(const QString &databasePath, const QString &target, BackupKind kind, BackupReason reason,
                  const QDateTime &time = QDateTime::currentDateTime());

// A new copy in the backup folder of dataFolder; an automatic one then removes the oldest
// automatic copies beyond kAutomaticBackupLimit. Returns the copy's path.
QString WriteBackup(const QString &dataFolder, const QString &databasePath, BackupKind kind, BackupReason reason,
                    const QDateTime &time = QDateTime::currentDateTime());

// The copies of this database in the backup folder, newest first.
QList<BackupInfo> ListBackups(const QString &dataFolder, const QString &databasePath);

// Why a file cannot be restored, or empty text when it can: it must exist, be a Kartevo
// database (it has the client table) and pass the engine's integrity check.
QString BackupProblem(const QString &file);

// The first problem PRAGMA quick_check finds in a database file, or empty text when it finds
// none. A file the engine cannot read at all is a problem too.
QString QuickCheckProblem(const QString &databasePath);

// The newest copy of the database that BackupProblem accepts.
std::optional<BackupInfo> NewestGoodBackup(const QString &dataFolder, const QString &databasePath);

// Whether the closing copy of today is still to be made: no copy made at closing on the same
// calendar day exists.
bool ClosingBackupDue(const QString &dataFolder, const QString &databasePath,
                      const QDateTime &now = QDateTime::currentDateTime());

// The guard of an operation that may wreck the address book (an SQL script, an import, the
// deletion of a used group, a restore): an automatic copy of the session's database. Throws
// Error with the cause when the copy cannot be made, so the operation does not start.
QString MakeAutomaticBackup(Session &session, BackupReason reason);

// A copy on request, into the backup folder or, when to is given, into that file.
QString MakeManualBackup(Session &session, const QString &to = {});

// Puts a copy in place of the session's database: the copy is checked first (BackupProblem:
// refused with the reason, nothing changed), the current state is kept as an automatic copy,
// the copy is written beside the database and renamed over it, and the session reopens the
// database. The database must not be held by another connection's transaction.
void RestoreBackup(Session &session, const QString &file);

// The start-up remedy for a damaged database that no connection holds open: the damaged file
// is moved into the backup folder (as <name>-serult-YYYYMMDD-HHMMSS.sqb, never removed by the
// program) and the checked copy is put in its place.
void ReplaceDamagedDatabase(const QString &dataFolder, const QString &databasePath, const QString &file);

} // namespace kartevo
