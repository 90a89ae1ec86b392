// The reader of OpenDocument spreadsheets (.ods): content.xml streamed through QXmlStreamReader.
// Repeated rows and columns are written out only up to the last cell with a value, so the
// trailing repeat of a whole sheet's empty cells costs nothing.

#include "exchange/sheetbuilder.h"
#include "exchange/zipcontainer.h"

#include "core/error.h"

#include <QXmlStreamReader>

namespace kartevo {

namespace {

constexpr qint64 MaxContentBytes = 2LL * 1024 * 1024 * 1024;

const QString TableNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString OfficeNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString TextNs = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");

bool Is(const QXmlStreamReader &xml, const QString &ns, QLatin1String name)
{
    return xml.namespaceUri() == ns && xml.name() == name;
}

// A repeat count from an attribute: at least 1, at most limit.
qint64 Repeat(const QXmlStreamAttributes &attributes, QLatin1String name, qint64 limit)
{
    bool ok = false;
    const qint64 count = attributes.value(TableNs, name).toLongLong(&ok);
    return ok && count > 1 ? qMin(count, limit) : 1;
}

// The text of a paragraph (<text:p>, <text:h>) with its spans, links, spaces and tabs.
void AppendParagraph(QXmlStreamReader &xml, QString &text)
{
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::Characters:
            text += xml.text();
            break;
        case QXmlStreamReader::StartElement:
            if (Is(xml, TextNs, QLatin1String("s"))) {
                bool ok = false;
                const int count = xml.attributes().value(TextNs, QLatin1String("c")).toInt(&ok);
                text += QString(ok && count > 0 ? qMin(count, 1000) : 1, u' ');
                xml.skipCurrentElement();
            } else if (Is(xml, TextNs, QLatin1String("tab"))) {
                text += u'\t';
                xml.skipCurrentElement();
            } else if (Is(xml, TextNs, QLatin1String("line-break"))) {
                text += u'\n';
                xml.skipCurrentElement();
            } else if (xml.namespaceUri() == OfficeNs || Is(xml, TextNs, QLatin1String("note"))) {
                xml.skipCurrentElement(); // an annotation or a note is no part of the value
            } else {
                ++depth;
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
}

// The text of a cell, the reader on its start: the value of a number or date, else its
// paragraphs, one line each. A covered cell (inside a merged range) reads as empty.
QString CellText(QXmlStreamReader &xml)
{
    const bool covered = xml.name() == QLatin1String("covered-table-cell");
    const QXmlStreamAttributes attributes = xml.attributes();
    const QStringView type = attributes.value(OfficeNs, QLatin1String("value-type"));
    QString text;
    bool firstParagraph = true;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (Is(xml, TextNs, QLatin1String("p")) || Is(xml, TextNs, QLatin1String("h"))) {
                if (!firstParagraph)
                    text += u'\n';
                firstParagraph = false;
                AppendParagraph(xml, text);
            } else {
                xml.skipCurrentElement(); // an annotation, a drawing, a detective mark
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    if (covered)
        return {};
    if (type == QLatin1String("float") || type == QLatin1String("percentage") || type == QLatin1String("currency")) {
        bool ok = false;
        const double number = attributes.value(OfficeNs, QLatin1String("value")).toDouble(&ok);
        if (ok)
            return NumberText(number);
    } else if (type == QLatin1String("date")) {
        QString date = attributes.value(OfficeNs, QLatin1String("date-value")).toString();
        if (!date.isEmpty())
            return date.endsWith(QLatin1String("T00:00:00")) ? date.left(date.size() - 9) : date.replace(u'T', u' ');
    }
    return text;
}

// Reads the rows of one table, the reader on its start, into sheet (when given).
void ReadTable(QXmlStreamReader &xml, SheetBuilder *sheet)
{
    qint64 row = 0;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (!Is(xml, TableNs, QLatin1String("table-row"))) {
            // Row groups and header rows hold rows; columns, shapes and the rest are skipped.
            if (Is(xml, TableNs, QLatin1String("table-row-group")) || Is(xml, TableNs, QLatin1String("table-header-rows"))
                || Is(xml, TableNs, QLatin1String("table-rows")))
                ++depth;
            else
                xml.skipCurrentElement();
            continue;
        }
        const qint64 rowRepeat = Repeat(xml.attributes(), QLatin1String("number-rows-repeated"), SheetBuilder::MaxRows);
        // The row's cells as (column, text, repeat); empty cells only move the column.
        QList<std::tuple<qint64, QString, qint64>> cells;
        qint64 column = 0;
        while (xml.readNextStartElement()) {
            if (Is(xml, TableNs, QLatin1String("table-cell")) || Is(xml, TableNs, QLatin1String("covered-table-cell"))) {
                const qint64 repeat = Repeat(xml.attributes(), QLatin1String("number-columns-repeated"), SheetBuilder::MaxColumns);
                QString text = CellText(xml);
                if (!text.isEmpty())
                    cells.append({column, std::move(text), repeat});
                column += repeat;
            } else {
                xml.skipCurrentElement();
            }
        }
        if (sheet && !cells.isEmpty()) {
            // A repeated row with values is written out as many times; the builder refuses a
            // cell past the sheet's last row or column and more cells than it holds.
            for (qint64 copy = 0; copy < rowRepeat; ++copy) {
                for (const auto &[first, text, repeat] : cells) {
                    for (qint64 i = 0; i < repeat; ++i)
                        sheet->set(row + copy, first + i, text);
                }
            }
        }
        row += rowRepeat;
        if (row > SheetBuilder::MaxRows)
            row = SheetBuilder::MaxRows; // further rows are beyond any sheet and refused by set()
    }
}

} // namespace

SourceTable ReadOdsSource(const QString &fileName, const SourceOptions &options)
{
    const ZipContainer zip(fileName);
    if (!zip.contains(QStringLiteral("content.xml")))
        throw Error(QStringLiteral("A fájl nem OpenDocument-táblázat (nincs benne content.xml): %1").arg(fileName));
    ZipEntryDevice device(zip, QStringLiteral("content.xml"), MaxContentBytes);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&device);
    SourceTable table;
    table.kind = SourceKind::Ods;
    SheetBuilder sheet(fileName);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && Is(xml, TableNs, QLatin1String("table"))) {
            const bool chosen = table.sheets.size() == options.sheet;
            table.sheets.append(xml.attributes().value(TableNs, QLatin1String("name")).toString());
            ReadTable(xml, chosen ? &sheet : nullptr);
        }
    }
    if (device.failed())
        throw Error(device.failure());
    if (xml.hasError())
        throw Error(zip.damaged(xml.errorString()));
    if (options.sheet < 0 || options.sheet >= table.sheets.size())
        ThrowMissingSheet(fileName, options.sheet);
    table.rows = sheet.take();
    return table;
}

} // namespace kartevo
