#include "core/session.h"

#include "i18n/language.h"

#include "core/backup.h"
#include "core/error.h"
#include "core/outputfile.h"
#include "core/schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kartevo {

Session::Session(const Folders &folders) : m_folders(folders) {}

Session::~Session()
{
    if (LanguageSettings() == &m_settings)
        SetLanguageSettings(nullptr);
}

QString Session::ResolveDatabase(const Folders &folders, const TBeall &settings)
{
    const QString path = settings.Path;
    const QString defaultPath = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
    if (path == defaultPath && !QFileInfo::exists(path) && !QFileInfo::exists(folders.IniFileName)) {
        // First start of this user: the installation's delivered database is put in place.
        const QString delivered = InstallationFile(folders.ProgramFolder, QStringLiteral("Kartevo.sqb"));
        if (!delivered.isEmpty() && QFileInfo(delivered).absoluteFilePath() != QFileInfo(path).absoluteFilePath()) {
            MakeDataFolder(folders.DataFolder);
            if (QFile::copy(delivered, path))
                QFile(path).setPermissions(QFile::ReadOwner | QFile::WriteOwner); // personal data: 0600
        }
    }
    return path;
}

void Session::CopyInstalledLanguages(const Folders &folders)
{
    const QString installed = InstallationFile(folders.ProgramFolder, QStringLiteral("Lang"));
    const QString own = folders.DataFolder + QStringLiteral("/Lang");
    if (installed.isEmpty() || !QFileInfo(installed).isDir()
        || QFileInfo(installed).canonicalFilePath() == QFileInfo(own).canonicalFilePath())
        return;
    QDir().mkpath(own);
    for (const QFileInfo &file : QDir(installed).entryInfoList({QStringLiteral("*.ini")}, QDir::Files)) {
        const QString target = own + QLatin1Char('/') + file.fileName();
        if (!QFileInfo::exists(target))
            QFile::copy(file.filePath(), target); // a user's own file of that name stays
    }
}

QString Session::MissingDatabaseText(const QString &path)
{
    return QStringLiteral("Nem létező adatbázis: ") + path;
}

QString Session::NotAFileText(const QString &path)
{
    return QStringLiteral("Az adatbázis helyén nem közönséges fájl áll (mappa, eszköz vagy csatorna): ") + path;
}

QString Session::NotKartevoDatabaseText(const QString &path)
{
    return QStringLiteral("Ez a fájl nem Kartevo adatbázis: ") + path;
}

QString Session::DamagedDatabaseText(const QString &path, const QString &problem)
{
    return QStringLiteral("Az adatbázis sérült: %1 (%2)").arg(path, problem);
}

void Session::openDatabase(bool quickCheck)
{
    try {
        m_db.open(m_databasePath);
    } catch (const NotADatabase &) {
        throw Error(NotKartevoDatabaseText(m_databasePath));
    }
    // A damaged file is told before the upgrade writes anything into it.
    if (quickCheck) {
        if (const QString problem = QuickCheckProblem(m_databasePath); !problem.isEmpty()) {
            m_db.close();
            throw DamagedDatabase(DamagedDatabaseText(m_databasePath, problem));
        }
    }
    // The upgrade would add its tables to any database it is given: another program's file,
    // or an empty one, is left as it was.
    if (!m_db.tableNames().contains(QStringLiteral("ugyfel"), Qt::CaseInsensitive)) {
        m_db.close();
        throw Error(NotKartevoDatabaseText(m_databasePath));
    }
}

Session::OpenResult Session::open(const Options &options)
{
    ApplyPortableMode(m_folders);
    SetAppFolders(m_folders);
    if (options.createFolders) {
        MakeDataFolder(m_folders.DataFolder);
        CopyInstalledLanguages(m_folders);
        QDir().mkpath(m_folders.DataFolder + QStringLiteral("/Html"));
        QDir().mkpath(m_folders.DataFolder + QStringLiteral("/Images"));
    }

    m_settings = LoadSettings(m_folders.IniFileName, m_folders.DataFolder);
    if (!options.databaseOverride.isEmpty())
        m_settings.Path = QDir::fromNativeSeparators(options.databaseOverride);
    m_databasePath = ResolveDatabase(m_folders, m_settings);
    // Windows and reports take their texts from the language file this run's settings name.
    SetLanguageSettings(&m_settings);
    // No print output may ever replace the address book or the settings.
    SetProtectedFiles(DatabaseFiles(m_databasePath) << m_folders.IniFileName);
    const QFileInfo database(m_databasePath);
    if (database.exists() && !database.isFile())
        throw Error(NotAFileText(m_databasePath));
    if (!database.isFile())
        return OpenResult::MissingDatabase;

    m_db.close();
    if (!options.openDatabase)
        return OpenResult::Ok;
    openDatabase(options.quickCheck);
    upgradeDatabase();
    return OpenResult::Ok;
}

void Session::reopenDatabase()
{
    m_db.close();
    openDatabase();
    upgradeDatabase();
}

void Session::upgradeDatabase()
{
    QString cimkeScript = InstallationFile(m_folders.ProgramFolder, QStringLiteral("cimke.sql"));
    if (cimkeScript.isEmpty())
        cimkeScript = m_folders.ProgramFolder + QStringLiteral("/cimke.sql"); // named in the error
    UpgradeSchema(m_db, cimkeScript);
}

void Session::close()
{
    struct CloseDb {
        Database &db;
        ~CloseDb() { db.close(); }
    } closeDb{m_db};
    SaveSettings(m_settings, m_folders.IniFileName);
}

} // namespace kartevo
