#pragma once

// Read access to the entries of a zip container (.xlsx, .ods) through libzip. Every failure
// throws Error naming the file: a damaged container is reported, never read half.

#include <QByteArray>
#include <QIODevice>
#include <QString>

struct zip;
struct zip_file;

namespace kartevo {

class ZipContainer {
public:
    // Opens the container. Throws Error when it is not a readable zip file.
    explicit ZipContainer(const QString &fileName);
    ~ZipContainer();
    ZipContainer(const ZipContainer &) = delete;
    ZipContainer &operator=(const ZipContainer &) = delete;

    const QString &fileName() const { return m_fileName; }
    bool contains(const QString &name) const;
    // The whole entry, at most limit bytes uncompressed. Throws Error when it is missing,
    // damaged, encrypted or larger than the limit.
    QByteArray read(const QString &name, qint64 limit) const;
    // The message of a damaged container, naming the file.
    QString damaged(const QString &detail) const;

private:
    friend class ZipEntryDevice;
    QString m_fileName;
    zip *m_zip = nullptr;
};

// One entry as a sequential device, read piece by piece (for QXmlStreamReader), so a large
// worksheet is never held whole. Reading stops with failed() set at a damaged place or after
// limit bytes.
class ZipEntryDevice final : public QIODevice {
public:
    // Throws Error when the entry is missing or cannot be opened.
    ZipEntryDevice(const ZipContainer &container, const QString &name, qint64 limit);
    ~ZipEntryDevice() override;

    bool isSequential() const override { return true; }
    bool failed() const { return !m_failure.isEmpty(); }
    // Why the reading stopped early (empty when it did not).
    const QString &failure() const { return m_failure; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    zip_file *m_file = nullptr;
    qint64 m_limit;
    qint64 m_read = 0;
    QString m_failure;
};

} // namespace kartevo
