#pragma once

#include "core/database.h"
#include "core/folders.h"
#include "core/settings.h"

#include <QString>

namespace kartevo {

// Thrown by Session::open with quickCheck for a database file that the engine finds damaged.
class DamagedDatabase : public Error {
public:
    using Error::Error;
};

// What the program holds for the whole run besides its windows: the folders, the settings
// read at start and the one database connection. The desktop program and the batch tool open
// it the same way.
class Session final {
public:
    enum class OpenResult { Ok, MissingDatabase };

    struct Options {
        bool createFolders = true;  // the Html and Images folders of the data folder
        QString databaseOverride;   // a database path that replaces the configured one
        // PRAGMA quick_check before the schema upgrade: a damaged file throws DamagedDatabase.
        bool quickCheck = false;
        // false: everything but the connection (which stays closed), for the commands that work
        // on the database file as a whole: copies and restore.
        bool openDatabase = true;
    };

    explicit Session(const Folders &folders);
    ~Session();
    Q_DISABLE_COPY_MOVE(Session)

    // The start-up up to the open and upgraded database: portable mode (which also fixes the
    // process-wide folders), the Html and Images folders, the
    // settings, the database file check (nothing is created or written when it is missing,
    // except that the delivered database is copied at the first start), the connection
    // and the schema upgrade. A file without the client table ugyfel is refused before anything
    // is written into it (NotKartevoDatabaseText). Any other failure throws Error; the settings
    // read so far stay.
    OpenResult open(const Options &options);
    OpenResult open() { return open(Options{}); }

    // Closes the database and opens it again, upgrading its schema as at start (after a
    // restore has put another file in its place). Throws Error as open() does.
    void reopenDatabase();

    // The shutdown: the settings are written and the connection closed. Throws Error when
    // the configuration file cannot be written (the connection is closed all the same).
    void close();

    const Folders &folders() const { return m_folders; }
    TBeall &settings() { return m_settings; }
    const TBeall &settings() const { return m_settings; }
    Database &db() { return m_db; }
    QString databasePath() const { return m_databasePath; }

    // The database file that Path (or the default) names. At the first start of a user (the
    // default path, and neither a configuration file nor a database in the data folder) the
    // installation's delivered database is put there first; a database deleted or moved later
    // is never replaced by an empty one.
    static QString ResolveDatabase(const Folders &folders, const TBeall &settings);

    // The start-up errors about the database file, naming the path that was tried.
    // Puts the installed language files into DataFolder/Lang where they are missing, so the
    // language list offers them; a user's file of the same name is never replaced.
    static void CopyInstalledLanguages(const Folders &folders);
    static QString MissingDatabaseText(const QString &path);
    // A database path that names a folder, a device or a pipe.
    static QString NotAFileText(const QString &path);
    static QString NotKartevoDatabaseText(const QString &path);
    // The database fails the quick check: "Az adatbázis sérült: PATH (PROBLEM)".
    static QString DamagedDatabaseText(const QString &path, const QString &problem);

private:
    void openDatabase(bool quickCheck = false);
    void upgradeDatabase();

    Folders m_folders;
    TBeall m_settings;
    Database m_db;
    QString m_databasePath;
};

} // namespace kartevo
