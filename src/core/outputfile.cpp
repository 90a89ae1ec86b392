#include "core/outputfile.h"

#include "core/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QMutex>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kartevo {

namespace {

QMutex protectedMutex;
QStringList protectedFiles;

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The name with its folder resolved: links and "." and ".." of the folder followed.
QString RealName(const QString &name)
{
    const QFileInfo info(name);
    QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(info.absolutePath());
    return folder + QLatin1Char('/') + info.fileName();
}

bool WriteAll(int fd, const char *data, qint64 size, off_t offset, bool positioned)
{
    while (size > 0) {
        const ssize_t written = positioned ? ::pwrite(fd, data, size_t(size), offset) : ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        data += written;
        size -= written;
        offset += written;
    }
    return true;
}

} // namespace

void SetProtectedFiles(const QStringList &files)
{
    const QMutexLocker lock(&protectedMutex);
    protectedFiles = files;
}

QStringList ProtectedFiles()
{
    const QMutexLocker lock(&protectedMutex);
    return protectedFiles;
}

QStringList DatabaseFiles(const QString &databasePath)
{
    return {databasePath, databasePath + QStringLiteral("-journal"), databasePath + QStringLiteral("-wal"),
            databasePath + QStringLiteral("-shm")};
}

bool SameFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    struct stat first {};
    struct stat second {};
    const bool firstExists = ::stat(QFile::encodeName(a).constData(), &first) == 0;
    const bool secondExists = ::stat(QFile::encodeName(b).constData(), &second) == 0;
    if (firstExists && secondExists)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    if (firstExists != secondExists)
        return false;
    return RealName(a) == RealName(b);
}

void CheckOutputTarget(const QString &target)
{
    for (const QString &file : ProtectedFiles()) {
        if (SameFile(target, file))
            throw Error(QStringLiteral("A kimenet nem írhatja felül a program saját fájlját (adatbázis vagy "
                                       "beállítások): %1")
                            .arg(target));
    }
}

void CheckOwnFileTarget(const QString &name, const QString &target)
{
    const bool itself = !QFileInfo(name).isSymLink();
    for (const QString &file : ProtectedFiles()) {
        if (SameFile(target, file) && !(itself && RealName(file) == RealName(name)))
            throw FileWriteError(name, QStringLiteral("a program egy másik fájljára mutat: %1").arg(file));
    }
}

bool MayWrite(const QString &path)
{
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}

FileWriteError::FileWriteError(const QString &file, const QString &reason)
    : Error(QStringLiteral("A fájl nem írható: %1 (%2)").arg(file, reason)), m_reason(reason)
{
}

// The temporary file: unbuffered writes straight to the descriptor, the first error kept.
class OutputFile::Device final : public QIODevice {
public:
    explicit Device(const QString &target) : m_target(target) {}

    int fd = -1;
    int error = 0;

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (error != 0)
            return -1;
        if (!WriteAll(fd, data, size, 0, false)) {
            error = errno;
            setErrorString(QStringLiteral("%1 (%2)").arg(m_target, SystemError(error)));
            return -1;
        }
        return size;
    }

private:
    QString m_target;
};

OutputFile::OutputFile(const QString &target, Kind kind)
    : m_target(target), m_device(std::make_unique<Device>(target)), m_ownFile(kind == Kind::OwnFile)
{
    if (kind == Kind::Output)
        CheckOutputTarget(target);
    const QFileInfo info(target);
    if (info.isDir())
        fail(QStringLiteral("ez egy mappa"));
    // A pipe, a device or a socket would be replaced by a regular file (as the superuser,
    // /dev/null itself): such a target is refused, never renamed over.
    if (info.exists() && !info.isFile())
        fail(QStringLiteral("ez nem közönséges fájl, hanem eszköz, csatorna vagy foglalat"));
    // Renaming over a file needs only the folder's rights; a file the user made read-only
    // stays as it is.
    if (info.exists() && !MayWrite(target))
        fail(SystemError(errno));
    QByteArray pattern = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                                           + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        fail(SystemError(errno));
    m_device->fd = fd;
    m_temporary = QFile::decodeName(pattern);
    m_device->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

OutputFile::~OutputFile()
{
    if (m_device->fd >= 0)
        ::close(m_device->fd);
    if (!m_committed && !m_temporary.isEmpty())
        ::unlink(QFile::encodeName(m_temporary).constData());
}

QIODevice &OutputFile::device()
{
    return *m_device;
}

void OutputFile::fail(const QString &reason) const
{
    throw FileWriteError(m_target, reason);
}

void OutputFile::check() const
{
    if (m_device->error != 0)
        fail(SystemError(m_device->error));
}

QByteArray OutputFile::contents()
{
    check();
    struct stat status {};
    if (::fstat(m_device->fd, &status) != 0)
        fail(SystemError(errno));
    QByteArray bytes(qsizetype(status.st_size), Qt::Uninitialized);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t read = ::pread(m_device->fd, bytes.data() + done, size_t(bytes.size() - done), done);
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            fail(read < 0 ? SystemError(errno) : QStringLiteral("a fájl rövidebb lett írás közben"));
        done += read;
    }
    return bytes;
}

void OutputFile::rewrite(const QByteArray &bytes)
{
    check();
    if (!WriteAll(m_device->fd, bytes.constData(), bytes.size(), 0, true)
        || ::ftruncate(m_device->fd, off_t(bytes.size())) != 0)
        fail(SystemError(errno));
}

void OutputFile::commit()
{
    check();
    // A new file gets the permissions the user's file mask allows (the program's own files, the
    // settings among them, are for their owner only); a replaced one keeps its own.
    struct stat old {};
    mode_t mode;
    if (::stat(QFile::encodeName(m_target).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = (m_ownFile ? 0600 : 0666) & ~mask;
    }
    if (::fchmod(m_device->fd, mode) != 0 || ::fsync(m_device->fd) != 0)
        fail(SystemError(errno));
    const int fd = m_device->fd;
    m_device->fd = -1;
    m_device->close();
    if (::close(fd) != 0)
        fail(SystemError(errno));
    if (::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData()) != 0)
        fail(SystemError(errno));
    m_committed = true;
}

} // namespace kartevo
