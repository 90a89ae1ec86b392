// The reader of Office Open XML workbooks (.xlsx): the workbook's sheet list, the shared strings,
// the date formats of the styles and one worksheet, each streamed through QXmlStreamReader.

#include "exchange/sheetbuilder.h"
#include "exchange/zipcontainer.h"

#include "core/error.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <cmath>

namespace kartevo {

namespace {

// The most a part read whole may hold uncompressed (the workbook, its relationships, the styles),
// and the streamed ones: the shared strings and the worksheet.
constexpr qint64 MaxPartBytes = 64LL * 1024 * 1024;
constexpr qint64 MaxStringsBytes = 512LL * 1024 * 1024;
constexpr qint64 MaxSheetBytes = 2LL * 1024 * 1024 * 1024;

// A name without its namespace prefix. The parts are read without namespace processing, which
// costs a good part of the reading time; a writer may still put a prefix on every element.
QStringView Local(QStringView name)
{
    return name.mid(name.lastIndexOf(u':') + 1);
}

struct Relationship {
    QString type;   // the last part of the type's URI: "officeDocument", "worksheet", ...
    QString target; // the part's name inside the container
};

// The name of the part a relationship's target points to: relative to the folder of the part
// the relationships belong to, or absolute from the container's root.
QString ResolvePart(const QString &folder, const QString &target)
{
    QStringList parts = target.startsWith(u'/') ? QStringList() : folder.split(u'/', Qt::SkipEmptyParts);
    for (const QString &step : target.split(u'/', Qt::SkipEmptyParts)) {
        if (step == QLatin1String("..")) {
            if (parts.isEmpty())
                return {};
            parts.removeLast();
        } else if (step != QLatin1String(".")) {
            parts.append(step);
        }
    }
    return parts.join(u'/');
}

QString Folder(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash);
}

// The relationships of a part (by Id), read from its _rels file; empty when it has none.
QHash<QString, Relationship> ReadRelationships(const ZipContainer &zip, const QString &part)
{
    const QString folder = Folder(part);
    const QString name = (folder.isEmpty() ? QString() : folder + u'/') + QStringLiteral("_rels/")
        + part.mid(folder.isEmpty() ? 0 : folder.size() + 1) + QStringLiteral(".rels");
    QHash<QString, Relationship> relationships;
    if (!zip.contains(name))
        return relationships;
    QXmlStreamReader xml(zip.read(name, MaxPartBytes));
    xml.setNamespaceProcessing(false);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && Local(xml.name()) == QLatin1String("Relationship")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString type = attributes.value(QLatin1String("Type")).toString();
            relationships.insert(attributes.value(QLatin1String("Id")).toString(),
                                 {type.mid(type.lastIndexOf(u'/') + 1),
                                  ResolvePart(folder, attributes.value(QLatin1String("Target")).toString())});
        }
    }
    if (xml.hasError())
        throw Error(zip.damaged(xml.errorString()));
    return relationships;
}

QString TargetOfType(const QHash<QString, Relationship> &relationships, QLatin1String type)
{
    for (const Relationship &relationship : relationships) {
        if (relationship.type == type)
            return relationship.target;
    }
    return {};
}

void CheckXml(const QXmlStreamReader &xml, const ZipContainer &zip, const ZipEntryDevice *device = nullptr)
{
    if (device && device->failed())
        throw Error(device->failure());
    if (xml.hasError())
        throw Error(zip.damaged(xml.errorString()));
}

// The text of an element with rich-text runs (<si>, <is>): every <t> but the phonetic ones.
QString RichText(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (Local(xml.name()) == QLatin1String("t"))
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else if (Local(xml.name()) == QLatin1String("rPh"))
                xml.skipCurrentElement();
            else
                ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return text;
}

QStringList ReadSharedStrings(const ZipContainer &zip, const QString &part)
{
    QStringList strings;
    if (part.isEmpty() || !zip.contains(part))
        return strings;
    ZipEntryDevice device(zip, part, MaxStringsBytes);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&device);
    xml.setNamespaceProcessing(false);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && Local(xml.name()) == QLatin1String("si")) {
            // No sheet can use more strings than it has cells.
            if (strings.size() >= SheetBuilder::MaxCells)
                throw Error(QStringLiteral("A munkafüzetben több mint %1 szöveg van, ennyit nem lehet betölteni: %2")
                                .arg(SheetBuilder::MaxCells).arg(zip.fileName()));
            strings.append(RichText(xml));
        }
    }
    CheckXml(xml, zip, &device);
    return strings;
}

// Whether a number format's code shows a date: a day or a year outside quotes and brackets.
bool IsDateFormat(QStringView code)
{
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar ch = code[i];
        if (ch == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (ch == u'\\' || ch == u'_' || ch == u'*')
            ++i; // the next character is shown as it is
        else if (ch == u'[')
            ++bracket;
        else if (ch == u']')
            bracket = qMax(0, bracket - 1);
        else if (bracket == 0 && (ch.toLower() == u'd' || ch.toLower() == u'y'))
            return true;
    }
    return false;
}

// For every cell style (the s attribute of a cell), whether it shows a date.
QList<bool> ReadDateStyles(const ZipContainer &zip, const QString &part)
{
    QList<bool> dateStyles;
    if (part.isEmpty() || !zip.contains(part))
        return dateStyles;
    // The built-in formats of dates and date-times.
    QSet<int> dateFormats{14, 15, 16, 17, 22};
    QXmlStreamReader xml(zip.read(part, MaxPartBytes));
    xml.setNamespaceProcessing(false);
    bool inCellStyles = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (Local(xml.name()) == QLatin1String("numFmt")) {
                if (IsDateFormat(attributes.value(QLatin1String("formatCode"))))
                    dateFormats.insert(attributes.value(QLatin1String("numFmtId")).toInt());
            } else if (Local(xml.name()) == QLatin1String("cellXfs")) {
                inCellStyles = true;
            } else if (inCellStyles && Local(xml.name()) == QLatin1String("xf")) {
                dateStyles.append(dateFormats.contains(attributes.value(QLatin1String("numFmtId")).toInt()));
            }
        } else if (token == QXmlStreamReader::EndElement && Local(xml.name()) == QLatin1String("cellXfs")) {
            inCellStyles = false;
        }
    }
    CheckXml(xml, zip);
    return dateStyles;
}

// A cell reference's column ("AB12" → 27) from 0; -1 when it has none or is out of bounds.
qint64 ReferenceColumn(QStringView reference)
{
    qint64 column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i) {
        column = column * 26 + (reference[i].toUpper().unicode() - 'A' + 1);
        if (column > SheetBuilder::MaxColumns)
            return -1;
    }
    return i == 0 ? -1 : column - 1;
}

// A cell reference's row from 0; -1 when it has none.
qint64 ReferenceRow(QStringView reference)
{
    qsizetype i = 0;
    while (i < reference.size() && reference[i].isLetter())
        ++i;
    bool ok = false;
    const qint64 row = reference.mid(i).toLongLong(&ok);
    return ok && row >= 1 ? row - 1 : -1;
}

struct Workbook {
    QStringList sheets;
    QStringList sheetParts;
    bool date1904 = false;
    QStringList sharedStrings;
    QList<bool> dateStyles;
};

Workbook ReadWorkbook(const ZipContainer &zip)
{
    QString workbookPart = TargetOfType(ReadRelationships(zip, QString()), QLatin1String("officeDocument"));
    if (workbookPart.isEmpty())
        workbookPart = QStringLiteral("xl/workbook.xml");
    if (!zip.contains(workbookPart))
        throw Error(QStringLiteral("A fájl nem Excel-munkafüzet (nincs benne munkafüzet): %1").arg(zip.fileName()));
    const QHash<QString, Relationship> relationships = ReadRelationships(zip, workbookPart);
    Workbook book;
    QXmlStreamReader xml(zip.read(workbookPart, MaxPartBytes));
    xml.setNamespaceProcessing(false);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (Local(xml.name()) == QLatin1String("workbookPr")) {
            const auto value = attributes.value(QLatin1String("date1904"));
            book.date1904 = value == QLatin1String("1") || value == QLatin1String("true");
        } else if (Local(xml.name()) == QLatin1String("sheet")) {
            QString id;
            for (const QXmlStreamAttribute &attribute : attributes) {
                if (Local(attribute.qualifiedName()) == QLatin1String("id"))
                    id = attribute.value().toString();
            }
            book.sheets.append(attributes.value(QLatin1String("name")).toString());
            // A chart sheet or a sheet without a part reads as an empty sheet.
            const Relationship relationship = relationships.value(id);
            book.sheetParts.append(relationship.type == QLatin1String("worksheet") ? relationship.target : QString());
        }
    }
    CheckXml(xml, zip);
    book.sharedStrings = ReadSharedStrings(zip, TargetOfType(relationships, QLatin1String("sharedStrings")));
    book.dateStyles = ReadDateStyles(zip, TargetOfType(relationships, QLatin1String("styles")));
    return book;
}

QString DateText(double serial, bool date1904)
{
    // Beyond the years 1 … 9999 a "date" is a number with a date format, shown as a number.
    if (!(serial > -700000 && serial < 3000000))
        return NumberText(serial);
    const QDate base = date1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const double days = std::floor(serial);
    const qint64 seconds = qRound64((serial - days) * 86400.0);
    const QDateTime moment(base.addDays(qint64(days)), QTime(0, 0));
    if (!moment.isValid())
        return NumberText(serial);
    if (seconds == 0)
        return moment.date().toString(Qt::ISODate);
    return moment.addSecs(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The text of one <c> element, the reader on its start, with the element's attributes.
QString CellText(QXmlStreamReader &xml, const QXmlStreamAttributes &attributes, const Workbook &book, const ZipContainer &zip)
{
    const QStringView type = attributes.value(QLatin1String("t"));
    const qint64 style = attributes.value(QLatin1String("s")).toLongLong();
    QString value;
    QString inlineText;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (Local(xml.name()) == QLatin1String("v"))
                value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else if (Local(xml.name()) == QLatin1String("is"))
                inlineText = RichText(xml);
            else
                xml.skipCurrentElement(); // a formula, an extension
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    if (type == QLatin1String("inlineStr"))
        return inlineText;
    if (type == QLatin1String("s")) {
        bool ok = false;
        const qint64 index = value.toLongLong(&ok);
        if (!ok || index < 0 || index >= book.sharedStrings.size())
            throw Error(zip.damaged(QStringLiteral("hibás hivatkozás a közös szövegekre")));
        return book.sharedStrings.at(index);
    }
    if (type == QLatin1String("b"))
        return value == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type.isEmpty() || type == QLatin1String("n")) {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            return value;
        if (style >= 0 && style < book.dateStyles.size() && book.dateStyles.at(style))
            return DateText(number, book.date1904);
        return NumberText(number);
    }
    return value; // "str" (a formula's text), "e" (an error), "d" (an ISO date)
}

void ReadMergeCell(QStringView range, QList<std::array<qint64, 4>> &merged)
{
    const qsizetype colon = range.indexOf(u':');
    if (colon < 0)
        return;
    const QStringView first = range.left(colon);
    const QStringView last = range.mid(colon + 1);
    const std::array<qint64, 4> box{ReferenceRow(first), ReferenceColumn(first), ReferenceRow(last), ReferenceColumn(last)};
    if (std::all_of(box.begin(), box.end(), [](qint64 v) { return v >= 0; }))
        merged.append(box);
}

QList<QStringList> ReadWorksheet(const ZipContainer &zip, const QString &part, const Workbook &book)
{
    SheetBuilder sheet(zip.fileName());
    if (part.isEmpty())
        return sheet.take();
    ZipEntryDevice device(zip, part, MaxSheetBytes);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&device);
    xml.setNamespaceProcessing(false);
    QList<std::array<qint64, 4>> merged;
    qint64 row = -1;
    qint64 column = -1;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (Local(xml.name()) == QLatin1String("row")) {
            const QStringView number = xml.attributes().value(QLatin1String("r"));
            bool ok = false;
            const qint64 given = number.toLongLong(&ok);
            row = ok && given >= 1 ? given - 1 : row + 1;
            column = -1;
        } else if (Local(xml.name()) == QLatin1String("c")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QStringView reference = attributes.value(QLatin1String("r"));
            column = reference.isEmpty() ? column + 1 : ReferenceColumn(reference);
            sheet.set(qMax<qint64>(row, 0), column, CellText(xml, attributes, book, zip));
        } else if (Local(xml.name()) == QLatin1String("mergeCell")) {
            ReadMergeCell(xml.attributes().value(QLatin1String("ref")), merged);
        }
    }
    CheckXml(xml, zip, &device);
    for (const auto &box : merged)
        sheet.clearMerged(box[0], box[1], box[2], box[3]);
    return sheet.take();
}

} // namespace

SourceTable ReadXlsxSource(const QString &fileName, const SourceOptions &options)
{
    const ZipContainer zip(fileName);
    const Workbook book = ReadWorkbook(zip);
    if (options.sheet < 0 || options.sheet >= book.sheets.size())
        ThrowMissingSheet(fileName, options.sheet);
    SourceTable table;
    table.kind = SourceKind::Xlsx;
    table.sheets = book.sheets;
    table.rows = ReadWorksheet(zip, book.sheetParts.at(options.sheet), book);
    return table;
}

} // namespace kartevo
