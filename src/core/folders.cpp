#include "core/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kartevo {

namespace {
Folders g_folders;

QString withoutTrailingSlash(QString path)
{
    path = QDir::fromNativeSeparators(path);
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}
} // namespace

QString CommonAppDataFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return withoutTrailingSlash(xdg);
    const QString home = QDir::homePath();
    if (home.isEmpty() || home == QDir::rootPath())
        return {};
    return home + QStringLiteral("/.local/share");
}

Folders ComputeFolders(const QString &programFolder, const QRect &workArea)
{
    Folders f;
    f.ProgramFolder = withoutTrailingSlash(programFolder);
    const QString common = CommonAppDataFolder();
    f.DataFolder = common.isEmpty() ? f.ProgramFolder : common + QStringLiteral("/Kartevo");
    f.IniFileName = f.DataFolder + QStringLiteral("/Kartevo.ini");
    f.WorkArea = workArea;
    return f;
}

bool ApplyPortableMode(Folders &folders)
{
    const QString ini = folders.ProgramFolder + QStringLiteral("/Kartevo.ini");
    if (!QFileInfo(ini).isFile())
        return false;
    folders.DataFolder = folders.ProgramFolder;
    folders.IniFileName = ini;
    return true;
}

QString InstallationFile(const QString &programFolder, const QString &name)
{
    const QString candidates[] = {
        programFolder + QLatin1Char('/') + name,
        QDir::cleanPath(programFolder + QStringLiteral("/../share/kartevo/") + name),
    };
    for (const QString &candidate : candidates) {
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return {};
}

const Folders &AppFolders() { return g_folders; }

void SetAppFolders(const Folders &folders) { g_folders = folders; }

void MakeDataFolder(const QString &dataFolder)
{
    if (QFileInfo::exists(dataFolder))
        return;
    QDir().mkpath(dataFolder);
    QFile::setPermissions(dataFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace kartevo
