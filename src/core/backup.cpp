#include "core/backup.h"

#include "core/database.h"
#include "core/folders.h"
#include "core/outputfile.h"
#include "core/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kartevo {

namespace {

// The table a copy carries about itself.
const char kInfoTable[] = "kartevo_mentes";
// How long a copy waits for another connection's short lock (its commit) before it gives up.
constexpr int kLockWaitMs = 5000;
// Pages copied per step: the copy lets go of its read lock between steps.
constexpr int kPagesPerStep = 256;

struct ReasonName {
    BackupReason reason;
    const char *word;
    const char *text;
};

const ReasonName kReasons[] = {
    {BackupReason::Manual, "manual", "kérésre"},
    {BackupReason::SqlScript, "sql", "SQL parancsfájl előtt"},
    {BackupReason::Import, "import", "importálás előtt"},
    {BackupReason::GroupDelete, "group", "csoport törlése előtt"},
    {BackupReason::Restore, "restore", "visszaállítás előtt"},
    {BackupReason::Closing, "closing", "kilépéskor"},
};

const char *ReasonWord(BackupReason reason)
{
    for (const ReasonName &name : kReasons) {
        if (name.reason == reason)
            return name.word;
    }
    return "manual";
}

BackupReason ReasonOfWord(const QString &word)
{
    for (const ReasonName &name : kReasons) {
        if (word == QLatin1String(name.word))
            return name.reason;
    }
    return BackupReason::Manual;
}

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray Native(const QString &path)
{
    return QFile::encodeName(path);
}

// A connection of the engine's own, closed when it goes.
class Connection {
public:
    Connection() = default;
    ~Connection() { close(); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Returns the engine's code; the message is then message().
    int open(const QString &path, int flags)
    {
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
        if (rc == SQLITE_OK)
            sqlite3_busy_timeout(db, kLockWaitMs);
        return rc;
    }
    int close()
    {
        const int rc = db ? sqlite3_close(db) : SQLITE_OK;
        if (rc == SQLITE_OK)
            db = nullptr;
        return rc;
    }
    QString message() const { return QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory"); }
    int exec(const char *sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    // The rows of a one-column query as text; false when it failed.
    bool rows(const char *sql, QStringList &result)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return false;
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW)
            result.append(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))));
        sqlite3_finalize(statement);
        return rc == SQLITE_DONE;
    }

    sqlite3 *db = nullptr;
};

bool IsFull(sqlite3 *db)
{
    const int code = sqlite3_extended_errcode(db) & 0xff;
    const int system = sqlite3_system_errno(db);
    return code == SQLITE_FULL || system == ENOSPC || system == EFBIG || system == EDQUOT;
}

// The message about a failed write into a copy.
[[noreturn]] void ThrowCopyError(sqlite3 *db, const QString &target, const QString &message)
{
    if (db && IsFull(db))
        throw Error(QStringLiteral("Betelt a lemez, a biztonsági mentés nem készült el: %1").arg(target));
    throw Error(QStringLiteral("A biztonsági mentés nem készült el: %1 (%2)").arg(target, message));
}

// Puts a file's or a folder's contents on the disk.
bool Sync(const QString &path, bool folder)
{
    const int fd = ::open(Native(path).constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || (folder && errno == EINVAL);
    ::close(fd);
    return ok;
}

// A hidden temporary file beside target, 0600, removed when it goes unless taken.
class TemporaryFile {
public:
    explicit TemporaryFile(const QString &target)
    {
        const QFileInfo info(target);
        QByteArray pattern = Native(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0)
            throw Error(QStringLiteral("A biztonsági mentés nem készült el: %1 (%2)").arg(target, SystemError(errno)));
        ::fchmod(fd, 0600);
        ::close(fd);
        path = QFile::decodeName(pattern);
    }
    ~TemporaryFile()
    {
        if (!path.isEmpty())
            ::unlink(Native(path).constData());
    }
    TemporaryFile(const TemporaryFile &) = delete;
    TemporaryFile &operator=(const TemporaryFile &) = delete;

    QString path;
};

// Copies every page of the source connection into the file at temporary (an empty database),
// then runs finish on the copy while it is still open. Throws Error naming target.
template<typename Finish>
void BackupInto(sqlite3 *source, const QString &sourcePath, const QString &temporary, const QString &target,
                Finish finish)
{
    Connection copy;
    if (copy.open(temporary, SQLITE_OPEN_READWRITE) != SQLITE_OK)
        ThrowCopyError(copy.db, target, copy.message());
    sqlite3_backup *backup = sqlite3_backup_init(copy.db, "main", source, "main");
    if (!backup)
        ThrowCopyError(copy.db, target, copy.message());
    int rc;
    int waits = 0;
    do {
        rc = sqlite3_backup_step(backup, kPagesPerStep);
        // The source is busy only while another connection commits: wait a while, never for ever.
        if ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && ++waits < kLockWaitMs / 50)
            sqlite3_sleep(50);
        else if (rc == SQLITE_OK)
            waits = 0;
    } while (rc == SQLITE_OK || ((rc == SQLITE_BUSY || rc == SQLITE_LOCKED) && waits < kLockWaitMs / 50));
    sqlite3_backup_finish(backup);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        throw Error(QStringLiteral("Az adatbázis zárolva van: egy másik program használja (%1). Próbálja újra később.")
                        .arg(sourcePath));
    if (rc != SQLITE_DONE) {
        // A failure of reading the source is the source's; one of writing is the copy's.
        if (sqlite3_errcode(copy.db) != SQLITE_OK)
            ThrowCopyError(copy.db, target, copy.message());
        throw Error(DatabaseErrorText(source, sourcePath, QString::fromUtf8(sqlite3_errstr(rc))));
    }
    finish(copy);
    if (copy.close() != SQLITE_OK)
        ThrowCopyError(copy.db, target, copy.message());
}

// Renames the finished temporary file to target and puts the rename on the disk. With
// noReplace, an existing target is never replaced (false is returned instead).
bool PlaceFile(TemporaryFile &temporary, const QString &target, bool noReplace)
{
    if (!Sync(temporary.path, false))
        throw Error(QStringLiteral("A biztonsági mentés nem készült el: %1 (%2)").arg(target, SystemError(errno)));
    if (noReplace) {
        // A hard link claims the name only when it is free; where the file system has no
        // links, the rename after the check must do.
        if (::link(Native(temporary.path).constData(), Native(target).constData()) == 0) {
            ::unlink(Native(temporary.path).constData());
        } else if (errno == EEXIST) {
            return false;
        } else if (QFileInfo::exists(target)) {
            return false;
        } else if (::rename(Native(temporary.path).constData(), Native(target).constData()) != 0) {
            throw Error(QStringLiteral("A biztonsági mentés nem készült el: %1 (%2)").arg(target, SystemError(errno)));
        }
    } else if (::rename(Native(temporary.path).constData(), Native(target).constData()) != 0) {
        throw Error(QStringLiteral("A fájl nem írható: %1 (%2)").arg(target, SystemError(errno)));
    }
    temporary.path.clear();
    Sync(QFileInfo(target).absolutePath(), true);
    return true;
}

// Writes a copy of the database under a temporary name beside target and calls place with it.
template<typename Place>
void MakeCopy(const QString &databasePath, const QString &target, BackupKind kind, BackupReason reason,
              const QDateTime &time, Place place)
{
    Connection source;
    if (source.open(databasePath, SQLITE_OPEN_READONLY) != SQLITE_OK)
        throw Error(QStringLiteral("Az adatbázis nem nyitható meg: %1 (%2)").arg(databasePath, source.message()));
    TemporaryFile temporary(target);
    BackupInto(source.db, databasePath, temporary.path, target, [&](Connection &copy) {
        const QString sql =
            QStringLiteral("CREATE TABLE %1 (keszult TEXT, fajta TEXT, ok TEXT, ugyfelek INTEGER);"
                           "INSERT INTO %1 VALUES ('%2', '%3', '%4', NULL);")
                .arg(QLatin1String(kInfoTable), time.toString(Qt::ISODate),
                     kind == BackupKind::Automatic ? QStringLiteral("auto") : QStringLiteral("manual"),
                     QLatin1String(ReasonWord(reason)));
        if (copy.exec(sql.toUtf8().constData()) != SQLITE_OK)
            ThrowCopyError(copy.db, target, copy.message());
        // A database whose client table is gone (the state before a restore) has no count.
        QStringList clients;
        if (copy.rows("SELECT COUNT(*) FROM ugyfel", clients)) {
            const QString count = QStringLiteral("UPDATE %1 SET ugyfelek = %2").arg(QLatin1String(kInfoTable), clients.value(0));
            if (copy.exec(count.toUtf8().constData()) != SQLITE_OK)
                ThrowCopyError(copy.db, target, copy.message());
        }
    });
    place(temporary);
}

// The pattern of the copies' names of one database: stem-YYYYMMDD-HHMMSS[-N].sqb.
QRegularExpression CopyNamePattern(const QString &databasePath)
{
    const QString stem = QRegularExpression::escape(QFileInfo(databasePath).completeBaseName());
    return QRegularExpression(QStringLiteral("^%1-(\\d{8}-\\d{6})(?:-(\\d+))?\\.sqb$").arg(stem));
}

QString CopyName(const QString &databasePath, const QDateTime &time, int number)
{
    QString name = QFileInfo(databasePath).completeBaseName() + QLatin1Char('-') + time.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (number > 1)
        name += QLatin1Char('-') + QString::number(number);
    return name + QStringLiteral(".sqb");
}

QString MakeBackupFolder(const QString &dataFolder)
{
    const QString folder = BackupFolder(dataFolder);
    if (!QFileInfo(folder).isDir()) {
        if (QFileInfo(dataFolder).isDir() && !MayWrite(dataFolder))
            throw Error(QStringLiteral("Az adatok mappája nem írható, a biztonsági mentés nem készült el: %1").arg(dataFolder));
        if (!QDir().mkpath(folder))
            throw Error(QStringLiteral("A biztonsági mentések mappája nem hozható létre: %1").arg(folder));
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return folder;
}

// What a copy says about itself; the client count is counted where the table is missing.
void ReadInfo(BackupInfo &info)
{
    Connection copy;
    if (copy.open(info.path, SQLITE_OPEN_READONLY) != SQLITE_OK)
        return;
    QStringList values;
    if (copy.rows("SELECT fajta || char(9) || ok || char(9) || ifnull(ugyfelek, -1) FROM kartevo_mentes LIMIT 1",
                  values)
        && !values.isEmpty()) {
        const QStringList parts = values.first().split(QLatin1Char('\t'));
        info.kind = parts.value(0) == QLatin1String("auto") ? BackupKind::Automatic : BackupKind::Manual;
        info.reason = ReasonOfWord(parts.value(1));
        info.clients = parts.value(2).toLongLong();
        return;
    }
    values.clear();
    if (copy.rows("SELECT COUNT(*) FROM ugyfel", values) && !values.isEmpty())
        info.clients = values.first().toLongLong();
}

} // namespace

QString BackupKindText(BackupKind kind)
{
    return kind == BackupKind::Automatic ? QStringLiteral("automatikus") : QStringLiteral("kézi");
}

QString BackupReasonText(BackupReason reason)
{
    for (const ReasonName &name : kReasons) {
        if (name.reason == reason)
            return QString::fromUtf8(name.text);
    }
    return {};
}

QString BackupFolder(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("/Backup");
}

void CopyDatabase(const QString &databasePath, const QString &target, BackupKind kind, BackupReason reason,
                  const QDateTime &time)
{
    CheckOutputTarget(target);
    if (SameFile(target, databasePath))
        throw Error(QStringLiteral("A mentés nem írhatja felül magát az adatbázist: %1").arg(target));
    if (QFileInfo(target).isDir())
        throw Error(QStringLiteral("A biztonsági mentés nem készült el: %1 (ez egy mappa)").arg(target));
    MakeCopy(databasePath, target, kind, reason, time,
             [&](TemporaryFile &temporary) { PlaceFile(temporary, target, false); });
}

QString WriteBackup(const QString &dataFolder, const QString &databasePath, BackupKind kind, BackupReason reason,
                    const QDateTime &time)
{
    const QString folder = MakeBackupFolder(dataFolder);
    QString placed;
    MakeCopy(databasePath, folder + QStringLiteral("/") + CopyName(databasePath, time, 1), kind, reason, time,
             [&](TemporaryFile &temporary) {
                 for (int number = 1; placed.isEmpty(); ++number) {
                     const QString target = folder + QLatin1Char('/') + CopyName(databasePath, time, number);
                     if (PlaceFile(temporary, target, true))
                         placed = target;
                 }
             });
    // Unfinished copies of a program that was killed while copying: hidden, and gone after a day.
    const QDateTime dayAgo = QDateTime::currentDateTime().addDays(-1);
    const QString unfinished = QStringLiteral(".") + QFileInfo(databasePath).completeBaseName() + QStringLiteral("-*.sqb.*");
    for (const QFileInfo &file : QDir(folder).entryInfoList({unfinished}, QDir::Files | QDir::Hidden)) {
        if (file.lastModified() < dayAgo)
            QFile::remove(file.filePath());
    }
    if (kind == BackupKind::Automatic) {
        int kept = 0;
        for (const BackupInfo &copy : ListBackups(dataFolder, databasePath)) {
            if (copy.kind == BackupKind::Automatic && ++kept > kAutomaticBackupLimit)
                QFile::remove(copy.path);
        }
    }
    return placed;
}

QList<BackupInfo> ListBackups(const QString &dataFolder, const QString &databasePath)
{
    const QRegularExpression pattern = CopyNamePattern(databasePath);
    struct Entry {
        BackupInfo info;
        int number;
    };
    QList<Entry> entries;
    const QDir folder(BackupFolder(dataFolder));
    for (const QFileInfo &file : folder.entryInfoList({QStringLiteral("*.sqb")}, QDir::Files)) {
        const QRegularExpressionMatch match = pattern.match(file.fileName());
        if (!match.hasMatch())
            continue;
        Entry entry;
        entry.info.path = file.absoluteFilePath();
        entry.info.time = QDateTime::fromString(match.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
        entry.info.size = file.size();
        entry.number = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
        ReadInfo(entry.info);
        entries.append(entry);
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.info.time != b.info.time ? a.info.time > b.info.time : a.number > b.number;
    });
    QList<BackupInfo> copies;
    for (const Entry &entry : entries)
        copies.append(entry.info);
    return copies;
}

QString BackupProblem(const QString &file)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return QStringLiteral("A fájl nem található: %1").arg(file);
    Connection copy;
    if (copy.open(file, SQLITE_OPEN_READONLY) != SQLITE_OK)
        return QStringLiteral("A fájl nem nyitható meg: %1 (%2)").arg(file, copy.message());
    QStringList tables;
    if (!copy.rows("SELECT name FROM sqlite_master WHERE type='table'", tables)) {
        if ((sqlite3_errcode(copy.db) & 0xff) == SQLITE_NOTADB)
            return Session::NotKartevoDatabaseText(file);
        return QStringLiteral("A mentés sérült, nem állítható vissza: %1 (%2)").arg(file, copy.message());
    }
    if (!tables.contains(QStringLiteral("ugyfel"), Qt::CaseInsensitive))
        return Session::NotKartevoDatabaseText(file);
    QStringList check;
    if (!copy.rows("PRAGMA integrity_check", check))
        return QStringLiteral("A mentés sérült, nem állítható vissza: %1 (%2)").arg(file, copy.message());
    if (check != QStringList{QStringLiteral("ok")})
        return QStringLiteral("A mentés sérült, nem állítható vissza: %1 (%2)").arg(file, check.value(0));
    return {};
}

QString QuickCheckProblem(const QString &databasePath)
{
    Connection db;
    if (db.open(databasePath, SQLITE_OPEN_READONLY) != SQLITE_OK)
        return db.message();
    QStringList check;
    if (!db.rows("PRAGMA quick_check", check))
        return db.message();
    return check == QStringList{QStringLiteral("ok")} ? QString() : check.value(0);
}

std::optional<BackupInfo> NewestGoodBackup(const QString &dataFolder, const QString &databasePath)
{
    for (const BackupInfo &copy : ListBackups(dataFolder, databasePath)) {
        if (BackupProblem(copy.path).isEmpty())
            return copy;
    }
    return std::nullopt;
}

bool ClosingBackupDue(const QString &dataFolder, const QString &databasePath, const QDateTime &now)
{
    const QList<BackupInfo> copies = ListBackups(dataFolder, databasePath);
    return std::none_of(copies.begin(), copies.end(), [&](const BackupInfo &copy) {
        return copy.reason == BackupReason::Closing && copy.time.date() == now.date();
    });
}

QString MakeAutomaticBackup(Session &session, BackupReason reason)
{
    try {
        return WriteBackup(session.folders().DataFolder, session.databasePath(), BackupKind::Automatic, reason);
    } catch (const Error &e) {
        throw Error(e.message() + QStringLiteral("\nA művelet nem indult el, az adatbázis nem változott."));
    }
}

QString MakeManualBackup(Session &session, const QString &to)
{
    if (to.isEmpty())
        return WriteBackup(session.folders().DataFolder, session.databasePath(), BackupKind::Manual,
                           BackupReason::Manual);
    CopyDatabase(session.databasePath(), to, BackupKind::Manual, BackupReason::Manual);
    return to;
}

namespace {

// Writes the checked copy beside the database (without its own description) and renames it
// over the database. No connection may have the database open meanwhile.
void PutInPlace(const QString &file, const QString &databasePath)
{
    Connection source;
    if (source.open(file, SQLITE_OPEN_READONLY) != SQLITE_OK)
        throw Error(QStringLiteral("A fájl nem nyitható meg: %1 (%2)").arg(file, source.message()));
    TemporaryFile temporary(databasePath);
    BackupInto(source.db, file, temporary.path, databasePath, [&](Connection &copy) {
        const QString sql = QStringLiteral("DROP TABLE IF EXISTS %1").arg(QLatin1String(kInfoTable));
        if (copy.exec(sql.toUtf8().constData()) != SQLITE_OK)
            ThrowCopyError(copy.db, databasePath, copy.message());
    });
    // The restored file keeps the permissions of the one it replaces.
    struct stat old {};
    if (::stat(Native(databasePath).constData(), &old) == 0)
        ::chmod(Native(temporary.path).constData(), old.st_mode & 07777);
    PlaceFile(temporary, databasePath, false);
}

} // namespace

void RestoreBackup(Session &session, const QString &file)
{
    if (const QString problem = BackupProblem(file); !problem.isEmpty())
        throw Error(problem);
    const QString databasePath = session.databasePath();
    if (SameFile(file, databasePath))
        throw Error(QStringLiteral("Ez maga a megnyitott adatbázis: %1").arg(file));
    // Another program in the middle of a change would lose it: refuse while one is. The
    // session's own connection may be closed (the batch tool restores a database that is no
    // longer a Kartevo database, its client table dropped).
    Database &db = session.db();
    {
        Database probe;
        Database &connection = db.isOpen() ? db : probe;
        if (!connection.isOpen())
            connection.open(databasePath);
        connection.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        connection.exec(QStringLiteral("ROLLBACK"));
    }
    MakeAutomaticBackup(session, BackupReason::Restore);
    const bool wasOpen = db.isOpen();
    db.close();
    try {
        PutInPlace(file, databasePath);
    } catch (const Error &) {
        if (wasOpen)
            session.reopenDatabase();
        throw;
    }
    session.reopenDatabase();
}

void ReplaceDamagedDatabase(const QString &dataFolder, const QString &databasePath, const QString &file)
{
    if (const QString problem = BackupProblem(file); !problem.isEmpty())
        throw Error(problem);
    const QString folder = MakeBackupFolder(dataFolder);
    const QString kept = folder + QLatin1Char('/') + QFileInfo(databasePath).completeBaseName()
                         + QStringLiteral("-serult-")
                         + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".sqb");
    // The damaged file itself is kept, byte for byte; a copy is written in its place.
    if (!QFile::copy(databasePath, kept))
        throw Error(QStringLiteral("A sérült adatbázis nem tehető félre: %1").arg(kept));
    QFile::setPermissions(kept, QFile::ReadOwner | QFile::WriteOwner);
    // A journal left by the damaged file would be played back into the restored one.
    QFile::remove(databasePath + QStringLiteral("-journal"));
    PutInPlace(file, databasePath);
}

} // namespace kartevo
