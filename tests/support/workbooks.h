#pragma once

// Zip containers and the smallest .xlsx workbooks, written by the tests themselves.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <utility>

#include <zip.h>

namespace kartevo::test {

// The parts of a zip container (name, content), in their order.
using ZipParts = QList<std::pair<const char *, QByteArray>>;

// Writes a zip container of the given parts.
inline bool WriteZip(const QString &path, const ZipParts &parts)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto &[name, bytes] : parts) {
        zip_source_t *source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        if (!source || zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

// The smallest workbook around one worksheet's <sheetData> and what follows it, with one
// shared string "közös".
inline ZipParts Workbook(const QByteArray &sheetData)
{
    return {{"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
            {"xl/workbook.xml", "<workbook xmlns:r=\"urn:r\"><sheets><sheet name=\"Lap\" r:id=\"rId1\"/></sheets></workbook>"},
            {"xl/_rels/workbook.xml.rels",
             "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
             "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"/xl/strings.xml\"/>"
             "<Relationship Id=\"rId3\" Type=\"x/styles\" Target=\"./styles.xml\"/></Relationships>"},
            // Cell styles: 0 general, 1 a date format of its own, 2 the built-in date-time, 3 a
            // time, 4 a format with a quoted "d" that is no date.
            {"xl/styles.xml", "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy\\-mm\\-dd\"/>"
                              "<numFmt numFmtId=\"165\" formatCode=\"h:mm\"/><numFmt numFmtId=\"166\" formatCode=\"0&quot; db&quot;\"/>"
                              "</numFmts><cellStyleXfs><xf numFmtId=\"164\"/></cellStyleXfs><cellXfs><xf numFmtId=\"0\"/>"
                              "<xf numFmtId=\"164\"/><xf numFmtId=\"22\"/><xf numFmtId=\"165\"/><xf numFmtId=\"166\"/></cellXfs></styleSheet>"},
            {"xl/strings.xml", "<sst><si><r><t>kö</t></r><rPh><t>x</t></rPh><r><t xml:space=\"preserve\">zös</t></r></si></sst>"},
            {"xl/worksheets/sheet1.xml", "<worksheet><sheetData>" + sheetData + "</worksheet>"}};
}

} // namespace kartevo::test
