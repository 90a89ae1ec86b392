#include "exchange/importsource.h"

#include "core/error.h"

#include <QFile>

namespace kartevo {

namespace {

QByteArray readAll(const QString &fileName, qint64 limit = -1)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(fileName, file.errorString()));
    QByteArray bytes = limit < 0 ? file.readAll() : file.read(limit);
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(fileName, file.errorString()));
    return bytes;
}

} // namespace

SourceKind DetectSourceKind(const QString &fileName)
{
    const QByteArray head = readAll(fileName, 64 * 1024);
    if (head.startsWith("PK\x03\x04")) {
        if (head.contains("application/vnd.oasis.opendocument.spreadsheet"))
            return SourceKind::Ods;
        return SourceKind::Xlsx;
    }
    if (head.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1")))
        return SourceKind::Xls;
    QByteArray text = head;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    if (text.trimmed().left(11).toUpper() == "BEGIN:VCARD")
        return SourceKind::VCard;
    return SourceKind::Delimited;
}

SourceTable ReadSource(const QString &fileName, const SourceOptions &options)
{
    switch (const SourceKind kind = DetectSourceKind(fileName)) {
    case SourceKind::Xlsx:
    case SourceKind::Ods:
    case SourceKind::Xls:
        return ReadSpreadsheetSource(fileName, kind, options);
    case SourceKind::VCard:
        return ReadVCardSource(readAll(fileName));
    case SourceKind::Delimited:
        break;
    }
    return ReadDelimitedSource(readAll(fileName), options);
}

} // namespace kartevo
