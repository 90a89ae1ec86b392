#include "exchange/zipcontainer.h"

#include "core/error.h"

#include <QFile>

#include <zip.h>

namespace kartevo {

namespace {

// The cause of a failure of libzip: in Hungarian for what a damaged file gives, else libzip's own.
QString LibzipMessage(int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("nem ép zip-állomány");
    case ZIP_ER_CRC:
        return QStringLiteral("ellenőrzőösszeg-hiba");
    case ZIP_ER_INCONS:
        return QStringLiteral("ellentmondó tartalomjegyzék");
    case ZIP_ER_EOF:
        return QStringLiteral("váratlanul véget ér");
    case ZIP_ER_ZLIB:
    case ZIP_ER_COMPRESSED_DATA:
        return QStringLiteral("hibás tömörített adat");
    case ZIP_ER_COMPNOTSUPP:
        return QStringLiteral("ismeretlen tömörítési mód");
    default:
        break;
    }
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString message = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return message;
}

QString DamagedMessage(const QString &fileName, const QString &detail)
{
    return QStringLiteral("A fájl sérült, nem olvasható táblázat: %1 (%2)").arg(fileName, detail);
}

zip_int64_t Locate(zip *archive, const QString &name)
{
    return zip_name_locate(archive, name.toUtf8().constData(), 0);
}

} // namespace

ZipContainer::ZipContainer(const QString &fileName)
    : m_fileName(fileName)
{
    int code = 0;
    m_zip = zip_open(QFile::encodeName(fileName).constData(), ZIP_RDONLY, &code);
    if (!m_zip) {
        if (code == ZIP_ER_OPEN || code == ZIP_ER_READ)
            throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(fileName, LibzipMessage(code)));
        throw Error(damaged(LibzipMessage(code)));
    }
}

ZipContainer::~ZipContainer()
{
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipContainer::contains(const QString &name) const
{
    return Locate(m_zip, name) >= 0;
}

QString ZipContainer::damaged(const QString &detail) const
{
    return DamagedMessage(m_fileName, detail);
}

QByteArray ZipContainer::read(const QString &name, qint64 limit) const
{
    ZipEntryDevice device(*this, name, limit);
    device.open(QIODevice::ReadOnly);
    QByteArray bytes = device.readAll();
    if (device.failed())
        throw Error(device.failure());
    return bytes;
}

ZipEntryDevice::ZipEntryDevice(const ZipContainer &container, const QString &name, qint64 limit)
    : m_limit(limit)
{
    const zip_int64_t index = Locate(container.m_zip, name);
    if (index < 0)
        throw Error(container.damaged(QStringLiteral("hiányzik belőle: %1").arg(name)));
    m_file = zip_fopen_index(container.m_zip, zip_uint64_t(index), 0);
    if (!m_file) {
        const int code = zip_error_code_zip(zip_get_error(container.m_zip));
        if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP)
            throw Error(QStringLiteral("A táblázat jelszóval védett, így nem olvasható: %1").arg(container.fileName()));
        throw Error(container.damaged(LibzipMessage(code)));
    }
    // The container's name, for the message of a later failure.
    setObjectName(container.fileName());
}

ZipEntryDevice::~ZipEntryDevice()
{
    if (m_file)
        zip_fclose(m_file);
}

qint64 ZipEntryDevice::readData(char *data, qint64 maxSize)
{
    if (failed())
        return -1;
    const zip_int64_t count = zip_fread(m_file, data, zip_uint64_t(maxSize));
    if (count < 0) {
        m_failure = DamagedMessage(objectName(), LibzipMessage(zip_error_code_zip(zip_file_get_error(m_file))));
        return -1;
    }
    m_read += count;
    if (m_read > m_limit) {
        m_failure = QStringLiteral("A táblázat túl nagy, nem olvasható be: %1").arg(objectName());
        return -1;
    }
    return count;
}

} // namespace kartevo
