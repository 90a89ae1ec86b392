#pragma once

// Faults of the file system and of the database that a test brings about on purpose: a full
// disk, files and folders the program may not write, a database another program holds locked,
// a small disk of its own.

#include "core/database.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QString>
#include <QStringList>

#include <csignal>
#include <functional>

#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace kartevo::test {

// The engine's own words for the faults, which the user is never shown.
inline const QStringList &EngineFaultTexts()
{
    static const QStringList texts = {QStringLiteral("database is locked"), QStringLiteral("readonly database"),
                                      QStringLiteral("unable to open database file"), QStringLiteral("disk I/O error"),
                                      QStringLiteral("database or disk is full")};
    return texts;
}

// The names of the files of a folder, hidden ones (temporary files) included.
inline QSet<QString> FolderEntries(const QString &folder)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    return QSet<QString>(names.begin(), names.end());
}

// Lets this process write no file beyond a size, as a full disk would, while it lives. A write
// past the limit fails (EFBIG) instead of killing the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        struct rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    struct rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

// The same limit for a child process (a RunBatch childSetup).
inline std::function<void()> FileSizeLimitInChild(rlim_t bytes)
{
    return [bytes] {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    };
}

// The capabilities that let the superuser write a file or folder whatever its mode. Tests run
// as root on the build machines, where a file of mode 0444 would otherwise stay writable.
constexpr unsigned kFileOverrideCapabilities =
    (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

// While it lives, this thread is bound by the modes of files and folders as any user is.
// Nothing happens for an ordinary user.
class ModesApply {
public:
    ModesApply() { m_changed = setEffective(false); }
    ~ModesApply()
    {
        if (m_changed)
            setEffective(true);
    }
    ModesApply(const ModesApply &) = delete;
    ModesApply &operator=(const ModesApply &) = delete;

private:
    static bool setEffective(bool on)
    {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (::syscall(SYS_capget, &header, data) != 0 || (data[0].permitted & kFileOverrideCapabilities) == 0)
            return false;
        if (on)
            data[0].effective |= data[0].permitted & kFileOverrideCapabilities;
        else
            data[0].effective &= ~kFileOverrideCapabilities;
        return ::syscall(SYS_capset, &header, data) == 0;
    }

    bool m_changed = false;
};

// The same for a child process, before it starts its program (a RunBatch childSetup).
inline void ModesApplyInChild()
{
    for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
        ::prctl(PR_CAPBSET_DROP, capability, 0, 0, 0);
}

// Sets the permission bits of a file or folder (0444 read-only file, 0555 read-only folder).
inline bool SetMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

// Another program's transaction on the database, on a connection of its own, until release():
// a read (others may write but not commit), a write (BEGIN IMMEDIATE: others may still read) or
// an exclusive one (others may not even read).
class DatabaseLock {
public:
    enum class Kind { Reading, Writing, Exclusive };

    DatabaseLock(const QString &path, Kind kind)
    {
        m_db.open(path);
        switch (kind) {
        case Kind::Reading:
            m_db.exec(QStringLiteral("BEGIN; SELECT count(*) FROM sqlite_master;"));
            break;
        case Kind::Writing:
            m_db.exec(QStringLiteral("BEGIN IMMEDIATE"));
            break;
        case Kind::Exclusive:
            // An exclusive lock is only taken at the first write.
            m_db.exec(QStringLiteral("BEGIN EXCLUSIVE; CREATE TABLE IF NOT EXISTS lock_holder (x);"));
            break;
        }
    }
    DatabaseLock(const QString &path, bool exclusive) : DatabaseLock(path, exclusive ? Kind::Exclusive : Kind::Writing) {}
    ~DatabaseLock() { release(); }
    void release()
    {
        if (m_db.isOpen()) {
            m_db.exec(QStringLiteral("ROLLBACK"));
            m_db.close();
        }
    }

private:
    Database m_db;
};

// A small disk of its own: a tmpfs of the given size mounted on a new folder, unmounted and
// removed again when the object goes. mounted() is false where the test may not mount.
class SmallDisk {
public:
    SmallDisk(const QString &folder, qint64 bytes) : m_folder(folder)
    {
        QDir().mkpath(folder);
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
        QDir().rmdir(m_folder);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return m_mounted; }
    QString folder() const { return m_folder; }

    // Fills the disk to its last block with the file filler() names.
    void fill() const
    {
        QFile file(filler());
        file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        const QByteArray block(4096, 'x');
        while (file.write(block) == block.size()) {
        }
    }
    QString filler() const { return m_folder + QStringLiteral("/filler"); }

private:
    QString m_folder;
    bool m_mounted = false;
};

} // namespace kartevo::test
