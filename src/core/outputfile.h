#pragma once

#include "core/error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QIODevice;

namespace kartevo {

// The files of the running program that no output may replace: the open database with its
// journal files, and the configuration file. The session names them when it opens.
void SetProtectedFiles(const QStringList &files);
QStringList ProtectedFiles();

// The database file and the files the engine keeps beside it (rollback journal, write-ahead
// log and its index).
QStringList DatabaseFiles(const QString &databasePath);

// Whether two names lead to the same file: the same file system object when both exist (other
// spellings, symbolic and hard links), otherwise the same real folder and file name.
bool SameFile(const QString &a, const QString &b);

// Throws Error when the output file named would replace one of the protected files.
void CheckOutputTarget(const QString &target);

// The program's own files (the configuration, a language template) are written through links:
// name is the file's own name, target the file that would be replaced. Throws FileWriteError
// when target is a protected file other than name itself (a configuration file made a link to
// the database must not be written over it).
void CheckOwnFileTarget(const QString &name, const QString &target);

// Whether this process may write the file or folder, by the rights it has now (the
// superuser's included).
bool MayWrite(const QString &path);

// A file that could not be written: "A fájl nem írható: FILE (REASON)".
class FileWriteError : public Error {
public:
    FileWriteError(const QString &file, const QString &reason);
    const QString &reason() const { return m_reason; }

private:
    QString m_reason;
};

// An output file written under a temporary name in its target's folder and renamed over the
// target only when it is complete: a failed or killed write never leaves half a file under the
// target's name, and a previous file there stays as it was until the new one replaces it. The
// target is checked against the protected files before anything is created.
//
// The first failed write is remembered (later writes are refused), so a writer that does not
// look at what its writes return still cannot turn a full disk into a finished file; the
// device's error string then names the file and the reason, as FileWriteError does.
//
// An existing target that the user may not write (a read-only file) is not replaced.
class OutputFile {
public:
    // Output the user chose, which may never be a protected file; or one of the program's own
    // files (the configuration, a language template), which are written the same way.
    enum class Kind { Output, OwnFile };

    // Throws Error when the target is protected, and FileWriteError when it may not be
    // written or the temporary file cannot be created.
    explicit OutputFile(const QString &target, Kind kind = Kind::Output);
    // Removes the temporary file unless it was committed.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    QString target() const { return m_target; }
    // The temporary file as a sequential device, open for writing.
    QIODevice &device();

    // Everything written so far, read back from the disk. Throws Error after a failed write.
    QByteArray contents();
    // Replaces the whole contents. Throws Error when it cannot be written.
    void rewrite(const QByteArray &bytes);

    // Checks that every write succeeded, puts the file on the disk, closes it and renames it
    // over the target. Throws FileWriteError.
    void commit();

private:
    class Device;
    [[noreturn]] void fail(const QString &reason) const;
    void check() const;

    QString m_target;
    QString m_temporary;
    std::unique_ptr<Device> m_device;
    bool m_committed = false;
    bool m_ownFile = false;
};

} // namespace kartevo
