// The reader of Office Open XML workbooks (.xlsx): the workbook's sheet list, the shared strings,
// the date formats of the styles and one worksheet. The small parts go through QXmlStreamReader;
// the shared strings and the worksheet, which hold the whole table, through expat, which reads
// them about three times as fast (a worksheet of 100,000 rows: 0.2 s against 0.64 s).

#include "exchange/sheetbuilder.h"
#include "exchange/zipcontainer.h"

#include "core/error.h"

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <cmath>
#include <exception>
#include <string>
#include <string_view>

#include <expat.h>

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

// A name without its namespace prefix, as expat gives it without namespace processing: found in
// one pass, as a worksheet has several names for every cell.
std::string_view Local(const char *name)
{
    const char *local = name;
    const char *end = name;
    for (; *end; ++end) {
        if (*end == ':')
            local = end + 1;
    }
    return {local, size_t(end - local)};
}

// The value of an attribute of an element expat has started; empty when it has none.
std::string_view Attribute(const char **attributes, std::string_view name)
{
    for (const char **attribute = attributes; attribute[0]; attribute += 2) {
        if (Local(attribute[0]) == name)
            return attribute[1];
    }
    return {};
}

// Streams one part of the container through expat. Reader has start(name, attributes),
// end(name) and text(bytes, length); an exception one of them throws stops the parser and is
// thrown again here. The text comes as UTF-8, whatever the part's own encoding.
template <typename Reader>
struct ExpatParse {
    Reader &reader;
    XML_Parser parser;
    std::exception_ptr failure;
    template <typename Call>
    void guard(Call call)
    {
        if (failure)
            return;
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
            XML_StopParser(parser, XML_FALSE);
        }
    }
};

template <typename Reader>
void ParsePart(const ZipContainer &zip, const QString &part, qint64 limit, Reader &reader)
{
    using Parse = ExpatParse<Reader>;
    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(XML_ParserCreate(nullptr),
                                                                                              &XML_ParserFree);
    if (!parser)
        throw std::bad_alloc();
    Parse parse{reader, parser.get(), {}};
    XML_SetUserData(parser.get(), &parse);
    XML_SetElementHandler(
        parser.get(),
        [](void *data, const char *name, const char **attributes) {
            auto *p = static_cast<Parse *>(data);
            p->guard([&] { p->reader.start(Local(name), attributes); });
        },
        [](void *data, const char *name) {
            auto *p = static_cast<Parse *>(data);
            p->guard([&] { p->reader.end(Local(name)); });
        });
    XML_SetCharacterDataHandler(parser.get(), [](void *data, const char *text, int length) {
        auto *p = static_cast<Parse *>(data);
        p->guard([&] { p->reader.text(text, length); });
    });

    ZipEntryDevice device(zip, part, limit);
    device.open(QIODevice::ReadOnly);
    constexpr int Chunk = 256 * 1024;
    for (;;) {
        void *buffer = XML_GetBuffer(parser.get(), Chunk);
        if (!buffer)
            throw std::bad_alloc();
        const qint64 got = device.read(static_cast<char *>(buffer), Chunk);
        if (got < 0)
            throw Error(device.failed() ? device.failure() : zip.damaged(device.errorString()));
        const bool last = got == 0;
        const XML_Status status = XML_ParseBuffer(parser.get(), int(got), last);
        if (parse.failure)
            std::rethrow_exception(parse.failure);
        if (status != XML_STATUS_OK) {
            throw Error(zip.damaged(QStringLiteral("%1 (%2. sor)")
                                        .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(parser.get()))))
                                        .arg(XML_GetCurrentLineNumber(parser.get()))));
        }
        if (last)
            return;
    }
}

// Gathers the text of a rich-text element (<si>, <is>): every <t> but those of phonetic runs.
struct RichTextReader {
    std::string text;
    int inText = 0;
    int inPhonetic = 0;
    void start(std::string_view name)
    {
        if (name == "t")
            ++inText;
        else if (name == "rPh")
            ++inPhonetic;
    }
    void end(std::string_view name)
    {
        if (name == "t")
            inText = std::max(0, inText - 1);
        else if (name == "rPh")
            inPhonetic = std::max(0, inPhonetic - 1);
    }
    void add(const char *data, int length)
    {
        if (inText > 0 && inPhonetic == 0)
            text.append(data, size_t(length));
    }
    QString take()
    {
        const QString result = QString::fromUtf8(text.data(), qsizetype(text.size()));
        text.clear();
        return result;
    }
};

QStringList ReadSharedStrings(const ZipContainer &zip, const QString &part)
{
    struct Reader {
        const ZipContainer &zip;
        QStringList strings;
        RichTextReader rich;
        bool inString = false;
        void start(std::string_view name, const char **)
        {
            if (name == "si") {
                // No sheet can use more strings than it has cells.
                if (strings.size() >= SheetBuilder::MaxCells)
                    throw Error(QStringLiteral("A munkafüzetben több mint %1 szöveg van, ennyit nem lehet betölteni: %2")
                                    .arg(SheetBuilder::MaxCells).arg(zip.fileName()));
                inString = true;
            } else if (inString) {
                rich.start(name);
            }
        }
        void end(std::string_view name)
        {
            if (name == "si" && inString) {
                strings.append(rich.take());
                rich = {};
                inString = false;
            } else if (inString) {
                rich.end(name);
            }
        }
        void text(const char *data, int length)
        {
            if (inString)
                rich.add(data, length);
        }
    };
    Reader reader{zip, {}, {}, false};
    if (part.isEmpty() || !zip.contains(part))
        return reader.strings;
    ParsePart(zip, part, MaxStringsBytes, reader);
    return reader.strings;
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

bool IsAsciiLetter(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

// A cell reference's column ("AB12" → 27) from 0; -1 when it has none or is out of bounds.
qint64 ReferenceColumn(std::string_view reference)
{
    qint64 column = 0;
    size_t i = 0;
    for (; i < reference.size() && IsAsciiLetter(reference[i]); ++i) {
        column = column * 26 + ((reference[i] & ~0x20) - 'A' + 1);
        if (column > SheetBuilder::MaxColumns)
            return -1;
    }
    return i == 0 ? -1 : column - 1;
}

// A whole number written in a part; ok false when it is none.
qint64 PartNumber(std::string_view text, bool *ok)
{
    return QByteArray::fromRawData(text.data(), qsizetype(text.size())).toLongLong(ok);
}

// A cell reference's row from 0; -1 when it has none.
qint64 ReferenceRow(std::string_view reference)
{
    size_t i = 0;
    while (i < reference.size() && IsAsciiLetter(reference[i]))
        ++i;
    bool ok = false;
    const qint64 row = PartNumber(reference.substr(i), &ok);
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

// Whether the text is a whole number of at most 15 digits without a sign or leading zeros.
bool IsPlainWholeNumber(std::string_view text)
{
    return !text.empty() && text.size() <= 15 && (text[0] != '0' || text.size() == 1)
        && std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

// The text of one cell from its type (t), style (s), value (<v>) and inline text (<is>).
QString CellText(std::string_view type, qint64 style, const std::string &value, const QString &inlineText,
                 const Workbook &book, const ZipContainer &zip)
{
    if (type == "inlineStr")
        return inlineText;
    if (type == "s") {
        bool ok = false;
        const qint64 index = PartNumber(value, &ok);
        if (!ok || index < 0 || index >= book.sharedStrings.size())
            throw Error(zip.damaged(QStringLiteral("hibás hivatkozás a közös szövegekre")));
        return book.sharedStrings.at(index);
    }
    if (type == "b")
        return value == "1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type.empty() || type == "n") {
        const bool date = style >= 0 && style < book.dateStyles.size() && book.dateStyles.at(style);
        // A whole number written plainly (a postal code) is its own text: what NumberText makes
        // of it, without reading it as a double first.
        if (!date && IsPlainWholeNumber(value))
            return QString::fromLatin1(value.data(), qsizetype(value.size()));
        bool ok = false;
        const double number = QByteArray::fromRawData(value.data(), qsizetype(value.size())).toDouble(&ok);
        if (!ok)
            return QString::fromUtf8(value.data(), qsizetype(value.size()));
        if (date)
            return DateText(number, book.date1904);
        return NumberText(number);
    }
    // "str" (a formula's text), "e" (an error), "d" (an ISO date)
    return QString::fromUtf8(value.data(), qsizetype(value.size()));
}

void ReadMergeCell(std::string_view range, QList<std::array<qint64, 4>> &merged)
{
    const size_t colon = range.find(':');
    if (colon == std::string_view::npos)
        return;
    const std::string_view first = range.substr(0, colon);
    const std::string_view last = range.substr(colon + 1);
    const std::array<qint64, 4> box{ReferenceRow(first), ReferenceColumn(first), ReferenceRow(last), ReferenceColumn(last)};
    if (std::all_of(box.begin(), box.end(), [](qint64 v) { return v >= 0; }))
        merged.append(box);
}

// Thrown to stop a streamed reading whose rows can no longer be handed over in order.
struct StreamBroken {};

// The cells of a worksheet, element by element.
struct WorksheetReader {
    WorksheetReader(const ZipContainer &zip, const Workbook &book) : zip(zip), book(book), sheet(zip.fileName()) {}
    const ZipContainer &zip;
    const Workbook &book;
    SheetBuilder sheet;
    QList<std::array<qint64, 4>> merged;
    qint64 row = -1;
    qint64 column = -1;
    // The cell being read.
    bool inCell = false;
    std::string type;
    qint64 style = 0;
    std::string value;
    int inValue = 0;  // depth inside <v>
    int inInline = 0; // depth inside <is>
    int skipped = 0;  // depth inside another element of the cell (a formula, an extension)
    RichTextReader inlineText;

    void start(std::string_view name, const char **attributes)
    {
        if (inCell) {
            if (inValue > 0)
                ++inValue;
            else if (skipped > 0)
                ++skipped;
            else if (inInline > 0)
                ++inInline, inlineText.start(name);
            else if (name == "v")
                inValue = 1;
            else if (name == "is")
                inInline = 1;
            else
                skipped = 1;
        } else if (name == "row") {
            bool ok = false;
            const qint64 given = PartNumber(Attribute(attributes, "r"), &ok);
            row = ok && given >= 1 ? given - 1 : row + 1;
            column = -1;
        } else if (name == "c") {
            // The reference, type and style of the cell, in one pass over its attributes.
            std::string_view reference, typeName, styleNumber;
            for (const char **attribute = attributes; attribute[0]; attribute += 2) {
                const std::string_view local = Local(attribute[0]);
                if (local.size() != 1)
                    continue;
                if (local[0] == 'r')
                    reference = attribute[1];
                else if (local[0] == 't')
                    typeName = attribute[1];
                else if (local[0] == 's')
                    styleNumber = attribute[1];
            }
            column = reference.empty() ? column + 1 : ReferenceColumn(reference);
            type = typeName;
            style = PartNumber(styleNumber, nullptr);
            value.clear();
            inlineText = {};
            inCell = true;
        } else if (name == "mergeCell") {
            ReadMergeCell(Attribute(attributes, "ref"), merged);
        }
    }
    void end(std::string_view name)
    {
        if (!inCell)
            return;
        if (inValue > 0) {
            --inValue;
        } else if (skipped > 0) {
            --skipped;
        } else if (inInline > 0) {
            if (--inInline > 0)
                inlineText.end(name);
        } else {
            inCell = false;
            sheet.set(qMax<qint64>(row, 0), column, CellText(type, style, value, inlineText.take(), book, zip));
            if (!sheet.streamIntact())
                throw StreamBroken();
        }
    }
    void text(const char *data, int length)
    {
        if (inValue > 0)
            value.append(data, size_t(length));
        else if (inInline > 0)
            inlineText.add(data, length);
    }
};

QList<QStringList> ReadWorksheet(const ZipContainer &zip, const QString &part, const Workbook &book)
{
    WorksheetReader reader(zip, book);
    if (part.isEmpty())
        return reader.sheet.take();
    ParsePart(zip, part, MaxSheetBytes, reader);
    for (const auto &box : reader.merged)
        reader.sheet.clearMerged(box[0], box[1], box[2], box[3]);
    return reader.sheet.take();
}

// The workbook and the part of its sheet; throws Error when the sheet is not there.
std::pair<Workbook, QString> OpenSheet(const ZipContainer &zip, const SourceOptions &options)
{
    Workbook book = ReadWorkbook(zip);
    if (options.sheet < 0 || options.sheet >= book.sheets.size())
        ThrowMissingSheet(zip.fileName(), options.sheet);
    QString part = book.sheetParts.at(options.sheet);
    return {std::move(book), std::move(part)};
}

} // namespace

bool StreamXlsxSource(const QString &fileName, const SourceOptions &options, const SourceRowSink &sink)
{
    const ZipContainer zip(fileName);
    const auto [book, part] = OpenSheet(zip, options);
    WorksheetReader reader(zip, book);
    reader.sheet.streamTo(sink);
    if (!part.isEmpty()) {
        try {
            ParsePart(zip, part, MaxSheetBytes, reader);
        } catch (const StreamBroken &) {
            return false;
        }
    }
    reader.sheet.endRows();
    // A merged range empties cells of rows handed over already.
    return std::none_of(reader.merged.begin(), reader.merged.end(),
                        [](const auto &box) { return box[0] != box[2] || box[1] != box[3]; });
}

SourceTable ReadXlsxSource(const QString &fileName, const SourceOptions &options)
{
    const ZipContainer zip(fileName);
    const auto [book, part] = OpenSheet(zip, options);
    SourceTable table;
    table.kind = SourceKind::Xlsx;
    table.sheets = book.sheets;
    table.rows = ReadWorksheet(zip, part, book);
    return table;
}

} // namespace kartevo
