#pragma once

#include "core/folders.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kartevo::test {

// A throwaway installation: DIR/bin is the program folder, DIR/share/kartevo holds the
// delivered database and cimke.sql from the build, DIR/data is the data folder.
struct Installation {
    QTemporaryDir dir;

    explicit Installation(bool withDeliveredFiles = true)
    {
        QDir(dir.path()).mkpath(QStringLiteral("bin"));
        if (withDeliveredFiles) {
            QDir(dir.path()).mkpath(QStringLiteral("share/kartevo"));
            for (const char *name : {"Kartevo.sqb", "cimke.sql"}) {
                const QString file = QLatin1String(name);
                QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/") + file, share() + QLatin1Char('/') + file);
                QFile(share() + QLatin1Char('/') + file).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
            }
        }
    }

    QString programFolder() const { return dir.path() + QStringLiteral("/bin"); }
    QString share() const { return dir.path() + QStringLiteral("/share/kartevo"); }
    QString dataHome() const { return dir.path() + QStringLiteral("/data"); }

    // The folders as the program computes them with XDG_DATA_HOME pointing into this installation.
    Folders folders() const
    {
        qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
        return ComputeFolders(programFolder(), QRect(0, 0, 1024, 768));
    }
};

// Puts the delivered database with the demo data into the installation's data folder, runs the
// extra SQL on it and returns the folders.
inline Folders DemoFolders(const Installation &inst, const QString &extraSql = {})
{
    const Folders folders = inst.folders();
    QDir().mkpath(folders.DataFolder);
    const QString path = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
    QFile::copy(inst.share() + QStringLiteral("/Kartevo.sqb"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    Database db;
    db.open(path);
    db.exec(DemoSql());
    if (!extraSql.isEmpty())
        db.exec(extraSql);
    return folders;
}

} // namespace kartevo::test
