// The readers of .xlsx and .ods workbooks behind ReadSource. The first byte chooses the part the
// rest of the input becomes: 0 the worksheet of a workbook, 1 its shared strings, 2 its styles,
// 3 the content of an OpenDocument spreadsheet; the other parts are the smallest valid ones. The
// container is written with libzip (fuzzing the compressed bytes themselves would reach the XML
// rarely). A workbook that is read has sheets, no row or cell past the sheet's bounds and no
// trailing empty cell or row; anything else is refused with Error naming the file. Streamed
// (StreamSource), it gives the same rows or none.

#include "fuzzcheck.h"

#include "core/error.h"
#include "exchange/importsource.h"
#include "exchange/sheetbuilder.h"

#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

using namespace kartevo;
using namespace kartevo::fuzz;

namespace {

using Parts = QList<std::pair<const char *, QByteArray>>;

Parts Workbook(uint8_t part, const QByteArray &xml)
{
    return {{"[Content_Types].xml", "<Types/>"},
            {"xl/workbook.xml", "<workbook><sheets><sheet name=\"A\" r:id=\"rId1\"/><sheet name=\"B\" r:id=\"rId9\"/></sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels",
             "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
             "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
             "<Relationship Id=\"rId3\" Type=\"x/styles\" Target=\"styles.xml\"/></Relationships>"},
            {"xl/sharedStrings.xml", part == 1 ? xml : QByteArray("<sst><si><t>a</t></si><si><t>b</t></si></sst>")},
            {"xl/styles.xml", part == 2 ? xml : QByteArray("<styleSheet><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>")},
            {"xl/worksheets/sheet1.xml",
             part == 0 ? xml : QByteArray("<worksheet><sheetData><row><c t=\"s\" s=\"1\"><v>1</v></c><c s=\"1\"><v>45000</v></c></row></sheetData></worksheet>")}};
}

bool WriteZip(const QString &path, const Parts &parts)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto &[name, bytes] : parts) {
        zip_source_t *source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!source || zip_file_add(archive, name, source, 0) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        // Stored, not compressed: the fuzzer's time goes to the readers.
        zip_set_file_compression(archive, zip_uint64_t(zip_get_num_entries(archive, 0) - 1), ZIP_CM_STORE, 0);
    }
    return zip_close(archive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    Input input(data, size);
    const uint8_t part = input.byte() % 4;
    const QByteArray xml = input.rest();
    const Parts parts = part == 3 ? Parts{{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", xml}}
                                  : Workbook(part, xml);
    const QString path = dir.filePath(QStringLiteral("fuzz-workbook"));
    FUZZ_CHECK(WriteZip(path, parts), path);
    // Streamed, a workbook hands over the rows ReadSource reads, or says it cannot; it fails
    // where ReadSource fails, unless it has given up before.
    QList<QStringList> streamedRows;
    bool streamed = false;
    QString streamFailure;
    try {
        streamed = StreamSource(path, {}, [&](qint64 row, QStringList &&cells) {
            FUZZ_CHECK(row == streamedRows.size(), QString::number(row));
            streamedRows.append(std::move(cells));
        });
    } catch (const Error &e) {
        streamFailure = e.message();
    }
    SourceTable table;
    try {
        table = ReadSource(path);
    } catch (const Error &e) {
        FUZZ_CHECK(e.message().contains(path), e.message());
        FUZZ_CHECK(!streamed, e.message());
        return 0;
    }
    FUZZ_CHECK(streamFailure.isEmpty(), streamFailure);
    FUZZ_CHECK(!streamed || streamedRows == table.rows, QString::number(streamedRows.size()));
    FUZZ_CHECK(table.kind == (part == 3 ? SourceKind::Ods : SourceKind::Xlsx), QString());
    FUZZ_CHECK(!table.sheets.isEmpty(), QString());
    FUZZ_CHECK(table.rows.size() <= SheetBuilder::MaxRows, QString::number(table.rows.size()));
    FUZZ_CHECK(table.rows.isEmpty() || !table.rows.constLast().isEmpty(), QString());
    for (const QStringList &row : table.rows) {
        FUZZ_CHECK(row.size() <= SheetBuilder::MaxColumns, QString::number(row.size()));
        FUZZ_CHECK(row.isEmpty() || !row.constLast().isEmpty(), row.join(u'|'));
    }
    return 0;
}
