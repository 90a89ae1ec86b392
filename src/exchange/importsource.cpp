#include "exchange/importsource.h"

#include "core/error.h"
#include "core/inputfile.h"
#include "exchange/sheetbuilder.h"
#include "exchange/zipcontainer.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace kartevo {

namespace {

QByteArray ReadHead(const QString &fileName, qint64 limit)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(fileName, file.errorString()));
    QByteArray bytes = file.read(limit);
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(fileName, file.errorString()));
    return bytes;
}

// The kind of a zip container: an OpenDocument spreadsheet names its type in the "mimetype"
// entry, a workbook of Office Open XML has its workbook part.
SourceKind ZipKind(const QString &fileName)
{
    const ZipContainer zip(fileName);
    if (zip.contains(QStringLiteral("mimetype"))) {
        const QByteArray type = zip.read(QStringLiteral("mimetype"), 256).trimmed();
        if (type == "application/vnd.oasis.opendocument.spreadsheet")
            return SourceKind::Ods;
        throw Error(QStringLiteral("A fájl nem táblázat (%1): %2").arg(QString::fromUtf8(type.left(80)), fileName));
    }
    if (zip.contains(QStringLiteral("xl/workbook.xml")) || zip.contains(QStringLiteral("[Content_Types].xml")))
        return SourceKind::Xlsx;
    throw Error(QStringLiteral("A fájl tömörített állomány, de nem táblázat: %1").arg(fileName));
}

bool IsZip(const QByteArray &head)
{
    return head.startsWith("PK\x03\x04");
}

bool IsCompoundFile(const QByteArray &head)
{
    return head.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"));
}

// The kind of a text file by its beginning.
SourceKind TextKind(const QByteArray &head)
{
    QByteArray text = head.left(4096);
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    else if (text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF"))
        text = QString(QStringDecoder(QStringDecoder::Utf16).decode(text)).toUtf8();
    if (text.trimmed().left(11).toUpper() == "BEGIN:VCARD")
        return SourceKind::VCard;
    return SourceKind::Delimited;
}

} // namespace

SourceKind DetectSourceKind(const QString &fileName)
{
    const QByteArray head = ReadHead(fileName, 4096);
    if (IsZip(head))
        return ZipKind(fileName);
    if (IsCompoundFile(head))
        return SourceKind::Xls;
    return TextKind(head);
}

bool StreamSource(const QString &fileName, const SourceOptions &options, const SourceRowSink &sink)
{
    return QFileInfo(fileName).isFile() && DetectSourceKind(fileName) == SourceKind::Xlsx
        && StreamXlsxSource(fileName, options, sink);
}

SourceTable ReadSource(const QString &fileName, const SourceOptions &options)
{
    if (!QFileInfo(fileName).isFile()) {
        // A pipe is read once, whole, and recognised by what was read; the readers of
        // workbooks need a file they can seek in. ReadInputFile refuses a device or a folder.
        const QByteArray bytes = ReadInputFile(fileName);
        if (IsZip(bytes) || IsCompoundFile(bytes))
            throw Error(QStringLiteral("Munkafüzetet csak fájlból lehet betölteni, csőből nem: %1").arg(fileName));
        if (TextKind(bytes) == SourceKind::VCard)
            return ReadVCardSource(bytes, fileName);
        return ReadDelimitedSource(bytes, options, fileName);
    }
    switch (const SourceKind kind = DetectSourceKind(fileName)) {
    case SourceKind::Xlsx:
    case SourceKind::Ods:
    case SourceKind::Xls:
        return ReadSpreadsheetSource(fileName, kind, options);
    case SourceKind::VCard:
        return ReadVCardSource(ReadInputFile(fileName), fileName);
    case SourceKind::Delimited:
        break;
    }
    return ReadDelimitedSource(ReadInputFile(fileName), options, fileName);
}

} // namespace kartevo
