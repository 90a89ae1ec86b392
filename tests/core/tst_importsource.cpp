// The readers of spreadsheets and vCards over files written by real programs (tests/data/import,
// described in its README): every cell exact, the sheet choice, and the files they must refuse.

#include "core/error.h"
#include "exchange/importsource.h"
#include "exchange/sheetbuilder.h"
#include "workbooks.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace kartevo;
using namespace kartevo::test;

namespace {

QString Fixture(const char *name)
{
    return QStringLiteral(KARTEVO_TEST_DATA_DIR "/import/") + QString::fromUtf8(name);
}

// Every row as its cells joined by '|', to compare whole tables at a glance.
QStringList Joined(const QList<QStringList> &rows)
{
    QStringList joined;
    for (const QStringList &row : rows)
        joined.append(row.join(u'|'));
    return joined;
}

QStringList Lines(const char *text)
{
    return QString::fromUtf8(text).split(u'\n');
}

// The first sheet of the office and library fixtures. The group of the last row is the lower
// half of a merged cell (the office suite even kept a hidden value there): it reads as empty,
// and a row's trailing empty cells are left off.
const char *ClientSheet = "Név|Kapcsolattartó|Irányítószám|Település|Cím|Csoport\n"
                          "Kovács és Társa Kft.|Kovács Ödön|6720|Szeged|Kárász utca 5.|Partnerek\n"
                          "Őri Gyula||1051|Budapest|Fő utca 1.|Magánszemélyek\n"
                          "Űrtechnika Zrt.|Szűcs Előd|9021|Győr|Szent István út 10.|Szállítók\n"
                          "Bőrdíszmű Bt.|Tőkés Űrsula|3525|Miskolc|Széchenyi István út 12.";
const char *OtherSheet = "Tétel|Érték|Dátum\n"
                         "Kedvezmény|12.5|2024-03-15";

// Throws the Error of reading fileName and gives its message; fails when nothing is thrown.
QString ReadError(const QString &fileName, const SourceOptions &options = {})
{
    try {
        ReadSource(fileName, options);
    } catch (const Error &error) {
        return error.message();
    }
    return {};
}


// The smallest spreadsheet around the rows of one table.
ZipParts Spreadsheet(const QByteArray &rows)
{
    return {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
            {"content.xml",
             "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
             "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
             "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
             "<table:table table:name=\"Lap\">" + rows + "</table:table></office:spreadsheet></office:body></office:document-content>"}};
}

} // namespace

class TestImportSource : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsSpreadsheets_data();
    void readsSpreadsheets();
    void readsVCards_data();
    void readsVCards();
    void vCardEdges_data();
    void vCardEdges();
    void recognisesByContent();
    void readsPipes();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void handMadeContainers_data();
    void handMadeContainers();
    void streamsRowsAsTheyAreRead_data();
    void streamsRowsAsTheyAreRead();
    void streamsOnlyWhatItCan();
    void numbersAsText_data();
    void numbersAsText();
};

void TestImportSource::readsSpreadsheets_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("sheet");
    QTest::addColumn<QStringList>("rows");

    const struct {
        const char *file;
        SourceKind kind;
    } books[] = {
        {"ugyfelek.xlsx", SourceKind::Xlsx},         // office suite: shared strings, 16384 styled columns
        {"ugyfelek-library.xlsx", SourceKind::Xlsx}, // spreadsheet library: inline strings
        {"ugyfelek.ods", SourceKind::Ods},           // office suite: a covered cell with a value, repeats
        {"ugyfelek.xls", SourceKind::Xls},           // office suite: BIFF8
    };
    for (const auto &book : books) {
        QTest::addRow("%s first sheet", book.file) << Fixture(book.file) << int(book.kind) << 0 << Lines(ClientSheet);
        QTest::addRow("%s second sheet", book.file) << Fixture(book.file) << int(book.kind) << 1 << Lines(OtherSheet);
    }
}

void TestImportSource::readsSpreadsheets()
{
    QFETCH(QString, file);
    QFETCH(int, kind);
    QFETCH(int, sheet);
    QFETCH(QStringList, rows);

    QCOMPARE(int(DetectSourceKind(file)), kind);
    SourceOptions options;
    options.sheet = sheet;
    SourceTable table;
    try {
        table = ReadSource(file, options);
    } catch (const Error &error) {
        QFAIL(qPrintable(error.message()));
    }
    QCOMPARE(int(table.kind), kind);
    QCOMPARE(table.sheets, QStringList({QStringLiteral("Ügyfelek"), QStringLiteral("Egyéb")}));
    QCOMPARE(Joined(table.rows), rows);
    QVERIFY(table.warnings.isEmpty());
}

void TestImportSource::readsVCards_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("rows");

    const QString titles = VCardColumnTitles().join(u'|');
    // 2.1: quoted-printable in UTF-8 with a soft line break in the work address (preferred to the
    // home address before it); ISO-8859-2 with quoted-printable, a bare QUOTED-PRINTABLE parameter.
    QTest::newRow("2.1") << Fixture("kontaktok-21.vcf")
                         << (QStringList(titles) + Lines("Szűcs|Előd|Szűcs Előd|Űrtechnika Zrt.|Szent István út 10.|9021|Győr|\n"
                                                         "Tőkés|Űrsula|Tőkés Űrsula||Széchenyi István út 12.|3525|Miskolc|Szállítók"));
    // 3.0: folded lines (one inside the address), escaped commas and semicolons, the first of
    // several categories, a card without an address, an extended address after the street.
    QTest::newRow("3.0") << Fixture("kontaktok-30.vcf")
                         << (QStringList(titles) + Lines("Kovács|Ödön|Kovács Ödön|Kovács és Társa Kft.|Kárász utca 5.|6720|Szeged|Partnerek\n"
                                                         "Őri|Gyula|Őri Gyula|||||\n"
                                                         "Bőrdíszmű||Bőrdíszmű, Bőrönd Bt.|Bőrdíszmű, Bőrönd Bt.|Fő utca 1., 2. emelet 4.|1051|Budapest|Szállítók"));
    // 4.0: a grouped work address with quoted parameters (one holds a colon) after a home address.
    QTest::newRow("4.0") << Fixture("kontaktok-40.vcf")
                         << (QStringList(titles) + Lines("Győri|Ágnes|Dr. Győri Ágnes|Győri és Fia Bt.|Ünnepi út 2.|1011|Budapest|Ügyfelek\n"
                                                         "Űrhajós|Ődön|Űrhajós Ődön||Fő tér 1.|9941|Őriszentpéter|"));
}

void TestImportSource::readsVCards()
{
    QFETCH(QString, file);
    QFETCH(QStringList, rows);

    QCOMPARE(DetectSourceKind(file), SourceKind::VCard);
    SourceTable table;
    try {
        table = ReadSource(file);
    } catch (const Error &error) {
        QFAIL(qPrintable(error.message()));
    }
    QCOMPARE(table.kind, SourceKind::VCard);
    QCOMPARE(Joined(table.rows), rows);
    QVERIFY(table.warnings.isEmpty());
}

void TestImportSource::vCardEdges_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("row");
    QTest::addColumn<int>("warnings");

    QTest::newRow("LF line ends, lower-case names") << QByteArray("begin:vcard\nversion:3.0\nn:Kiss;Éva\nadr;type=work:;;Ady utca 2.;Eger;;3300;\nend:vcard\n")
                                                    << QStringLiteral("Kiss|Éva|||Ady utca 2.|3300|Eger|") << 0;
    QTest::newRow("folded with a tab") << QByteArray("BEGIN:VCARD\r\nFN:Nagy \r\n\tPéter\r\nEND:VCARD\r\n")
                                       << QStringLiteral("||Nagy Péter|||||") << 0;
    QTest::newRow("code page 1250 without a charset") << QByteArray("BEGIN:VCARD\r\nFN:T\xF5z\xE9r \xDBr\r\nEND:VCARD\r\n")
                                                      << QStringLiteral("||Tőzér Űr|||||") << 0;
    QTest::newRow("a card inside a card adds nothing") << QByteArray("BEGIN:VCARD\r\nFN:Fő\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:Titkár\r\nADR:;;Út 1.;Vác;;2600;\r\nEND:VCARD\r\nEND:VCARD\r\n")
                                                       << QStringLiteral("||Fő|||||") << 0;
    QTest::newRow("the end is missing") << QByteArray("BEGIN:VCARD\r\nFN:Vég Nélkül\r\n")
                                        << QStringLiteral("||Vég Nélkül|||||") << 1;
    // A writer's stray "=" at the end of a quoted-printable value must not swallow the card's end,
    // nor a missing end the cards after it.
    QTest::newRow("a stray soft break before the end") << QByteArray("BEGIN:VCARD\r\nN;ENCODING=QUOTED-PRINTABLE:Kis=\r\nEND:VCARD\r\n")
                                                       << QStringLiteral("Kis|||||||") << 0;
    QTest::newRow("a card without its end before the next")
        << QByteArray("BEGIN:VCARD\r\nFN:Első\r\nBEGIN:VCARD\r\nFN:Második\r\nEND:VCARD\r\n")
        << QStringLiteral("||Első|||||\n||Második|||||") << 1;
}

void TestImportSource::vCardEdges()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, row);
    QFETCH(int, warnings);

    const SourceTable table = ReadVCardSource(bytes);
    QCOMPARE(Joined(table.rows), QStringList(VCardColumnTitles().join(u'|')) + row.split(u'\n'));
    QCOMPARE(table.warnings.size(), warnings);
}

void TestImportSource::recognisesByContent()
{
    QTemporaryDir dir;
    const QString renamed = dir.filePath(QStringLiteral("lista.csv"));
    QVERIFY(QFile::copy(Fixture("ugyfelek.ods"), renamed));
    QCOMPARE(DetectSourceKind(renamed), SourceKind::Ods);
    QCOMPARE(Joined(ReadSource(renamed).rows), Lines(ClientSheet));

    const QString empty = dir.filePath(QStringLiteral("ures.xlsx"));
    QFile file(empty);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QCOMPARE(DetectSourceKind(empty), SourceKind::Delimited);
}

// A pipe is read once: its beginning, read to recognise it, is not lost. A workbook cannot come
// through one.
void TestImportSource::readsPipes()
{
    QTemporaryDir dir;
    const struct {
        const char *file;
        const char *expected; // the second row, or the start of the error
    } cases[] = {
        {"kontaktok-40.vcf", "Győri|Ágnes|Dr. Győri Ágnes|Győri és Fia Bt.|Ünnepi út 2.|1011|Budapest|Ügyfelek"},
        {"ugyfelek.xlsx", "Munkafüzetet csak fájlból lehet betölteni"},
    };
    for (const auto &c : cases) {
        const QString fifo = dir.filePath(QString::fromUtf8(c.file));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QProcess writer;
        writer.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("cat \"$0\" > \"$1\""), Fixture(c.file), fifo});
        try {
            QCOMPARE(Joined(ReadSource(fifo).rows).value(1), QString::fromUtf8(c.expected));
        } catch (const Error &error) {
            QVERIFY2(error.message().startsWith(QString::fromUtf8(c.expected)), qPrintable(error.message()));
        }
        QVERIFY(writer.waitForFinished());
    }
}

void TestImportSource::refusesBadFiles_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("damage"); // truncate, overwrite, none
    QTest::addColumn<int>("sheet");
    QTest::addColumn<QString>("message");

    QTest::newRow("truncated xlsx") << "ugyfelek.xlsx" << "truncate" << 0 << "A fájl sérült";
    QTest::newRow("truncated ods") << "ugyfelek.ods" << "truncate" << 0 << "A fájl sérült";
    QTest::newRow("damaged xlsx data") << "ugyfelek-library.xlsx" << "overwrite" << 0 << "A fájl sérült";
    QTest::newRow("truncated xls") << "ugyfelek.xls" << "truncate" << 0 << "nem olvasható Excel 97–2003";
    QTest::newRow("missing sheet xlsx") << "ugyfelek.xlsx" << "none" << 2 << "A munkafüzetben nincs 3. munkalap";
    QTest::newRow("missing sheet ods") << "ugyfelek.ods" << "none" << 5 << "A munkafüzetben nincs 6. munkalap";
    QTest::newRow("missing sheet xls") << "ugyfelek.xls" << "none" << 2 << "A munkafüzetben nincs 3. munkalap";
    QTest::newRow("negative sheet") << "ugyfelek-library.xlsx" << "none" << -1 << "A munkafüzetben nincs 0. munkalap";
    QTest::newRow("vCard without a card") << "kontaktok-30.vcf" << "nocard" << 0 << "nincs egyetlen névjegy";
}

void TestImportSource::refusesBadFiles()
{
    QFETCH(QString, fixture);
    QFETCH(QString, damage);
    QFETCH(int, sheet);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString path = dir.filePath(fixture);
    QFile source(Fixture(fixture.toUtf8().constData()));
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray bytes = source.readAll();
    if (damage == QLatin1String("truncate")) {
        bytes.truncate(bytes.size() / 2);
    } else if (damage == QLatin1String("overwrite")) {
        // The compressed data of the first worksheet: the container's directory stays intact.
        const qsizetype start = bytes.indexOf("xl/worksheets/sheet1.xml") + 40;
        QVERIFY(start > 40);
        for (qsizetype i = start; i < start + 100; ++i)
            bytes[i] = char(i * 7);
    } else if (damage == QLatin1String("nocard")) {
        bytes = "BEGIN:VCARDS\r\nEz nem névjegy.\r\n";
    }
    QFile target(path);
    QVERIFY(target.open(QIODevice::WriteOnly));
    target.write(bytes);
    target.close();

    SourceOptions options;
    options.sheet = sheet;
    const QString error = ReadError(path, options);
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY2(error.contains(path), qPrintable(error));
}

// Workbooks and spreadsheets written here, for what the writers of the fixtures never do: a
// hostile or broken file gives an error naming it (never a crash, never an endless reading).
void TestImportSource::handMadeContainers_data()
{
    QTest::addColumn<ZipParts>("parts");
    QTest::addColumn<QStringList>("rows");  // when it reads
    QTest::addColumn<QString>("message");   // when it is refused

    const QByteArray cellA1 = "<c r=\"A1\" t=\"inlineStr\"><is><t>x</t></is></c>";
    QTest::newRow("xlsx: rich and phonetic text, rows and cells without references")
        << Workbook("<row><c t=\"s\"><v>0</v></c><c t=\"b\"><v>1</v></c></row><row/><row><c/><c><v>1E3</v></c></row></sheetData>")
        << QStringList({QStringLiteral("közös|TRUE"), QString(), QStringLiteral("|1000")}) << QString();
    QTest::newRow("xlsx: a merged range over the whole sheet")
        << Workbook("<row r=\"1\">" + cellA1 + "<c r=\"B1\"><v>2</v></c></row><row r=\"3\"><c r=\"A3\"><v>3</v></c></row></sheetData>"
                    "<mergeCells><mergeCell ref=\"A1:XFD1048576\"/><mergeCell ref=\"junk\"/></mergeCells>")
        << QStringList(QStringLiteral("x")) << QString();
    QTest::newRow("xlsx: dates by their cell style, numbers beyond any date")
        << Workbook("<row><c s=\"1\"><v>45366</v></c><c s=\"2\"><v>45366.5</v></c><c s=\"1\"><v>1E300</v></c><c s=\"1\"><v>-1E300</v></c>"
                    "<c s=\"0\"><v>45366</v></c><c s=\"3\"><v>0.5</v></c><c s=\"4\"><v>12</v></c><c s=\"99\"><v>45366</v></c></row></sheetData>")
        << QStringList(QStringLiteral("2024-03-15|2024-03-15 12:00:00|1e+300|-1e+300|45366|0.5|12|45366")) << QString();
    QTest::newRow("xlsx: whole numbers as they are written and as they are read")
        << Workbook("<row><c><v>6720</v></c><c t=\"n\"><v>0</v></c><c><v>0720</v></c><c><v>-12</v></c>"
                    "<c><v>999999999999999</v></c><c><v>1234567890123456</v></c><c><v> 12</v></c></row></sheetData>")
        << QStringList(QStringLiteral("6720|0|720|-12|999999999999999|1.23456789012346e+15|12")) << QString();
    QTest::newRow("xlsx: shared string out of range")
        << Workbook("<row><c t=\"s\"><v>1</v></c></row></sheetData>") << QStringList() << "hibás hivatkozás a közös szövegekre";
    QTest::newRow("xlsx: negative shared string")
        << Workbook("<row><c t=\"s\"><v>-1</v></c></row></sheetData>") << QStringList() << "hibás hivatkozás a közös szövegekre";
    QTest::newRow("xlsx: a row past the last")
        << Workbook("<row r=\"1048577\">" + cellA1 + "</row></sheetData>") << QStringList() << "kívül esik";
    QTest::newRow("xlsx: a column past the last")
        << Workbook("<row><c r=\"XFE1\"><v>1</v></c></row></sheetData>") << QStringList() << "kívül esik";
    QByteArray lastColumns;
    for (int row = 1; row <= 700; ++row)
        lastColumns += "<row><c r=\"XFD" + QByteArray::number(row) + "\"><v>1</v></c></row>";
    QTest::newRow("xlsx: a value in the last column of many rows")
        << Workbook(lastColumns + "</sheetData>") << QStringList() << "túl nagy";
    QTest::newRow("xlsx: broken XML") << Workbook("<row><c><v>1</v></row></sheetData>") << QStringList() << "A fájl sérült";
    QTest::newRow("xlsx: no workbook") << ZipParts({{"[Content_Types].xml", "<Types/>"}}) << QStringList() << "nincs benne munkafüzet";
    QTest::newRow("zip of something else") << ZipParts({{"readme.txt", "szöveg"}}) << QStringList() << "nem táblázat";
    QTest::newRow("OpenDocument text") << ZipParts({{"mimetype", "application/vnd.oasis.opendocument.text"}}) << QStringList()
                                       << "nem táblázat";

    QTest::newRow("ods: repeated values, huge empty repeats, spaces, notes")
        << Spreadsheet("<table:table-row table:number-rows-repeated=\"2\"><table:table-cell table:number-columns-repeated=\"2\" "
                       "office:value-type=\"string\"><text:p>a<text:s text:c=\"2\"/>b<office:annotation><text:p>megjegyzés</text:p>"
                       "</office:annotation></text:p></table:table-cell><table:table-cell table:number-columns-repeated=\"99999999\"/>"
                       "</table:table-row><table:table-row table:number-rows-repeated=\"99999999\"><table:table-cell "
                       "table:number-columns-repeated=\"99999999\"/></table:table-row>")
        << QStringList({QStringLiteral("a  b|a  b"), QStringLiteral("a  b|a  b")}) << QString();
    QTest::newRow("ods: two paragraphs, a percentage, a date and time")
        << Spreadsheet("<table:table-row><table:table-cell><text:p>Fő utca 1.</text:p><text:p>2. emelet</text:p></table:table-cell>"
                       "<table:table-cell office:value-type=\"percentage\" office:value=\"0.25\"><text:p>25%</text:p></table:table-cell>"
                       "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-03-15T08:30:00\"/></table:table-row>")
        << QStringList(QStringLiteral("Fő utca 1.\n2. emelet|0.25|2024-03-15 08:30:00")) << QString();
    QTest::newRow("ods: a value after the last column")
        << Spreadsheet("<table:table-row><table:table-cell table:number-columns-repeated=\"16384\"/><table:table-cell "
                       "office:value-type=\"float\" office:value=\"1\"/></table:table-row>")
        << QStringList() << "kívül esik";
    QTest::newRow("ods: a value after the last row")
        << Spreadsheet("<table:table-row table:number-rows-repeated=\"1048576\"/><table:table-row><table:table-cell "
                       "office:value-type=\"float\" office:value=\"1\"/></table:table-row>")
        << QStringList() << "kívül esik";
    QTest::newRow("ods: too many cells")
        << Spreadsheet("<table:table-row table:number-rows-repeated=\"1048576\"><table:table-cell table:number-columns-repeated=\"16384\" "
                       "office:value-type=\"float\" office:value=\"1\"/></table:table-row>")
        << QStringList() << "kitöltött cella";
    QTest::newRow("ods: no content") << ZipParts({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}}) << QStringList()
                                     << "nincs benne content.xml";
}

void TestImportSource::handMadeContainers()
{
    QFETCH(ZipParts, parts);
    QFETCH(QStringList, rows);
    QFETCH(QString, message);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lap"));
    QVERIFY(WriteZip(path, parts));
    if (!message.isEmpty()) {
        const QString error = ReadError(path);
        QVERIFY2(error.contains(message) && error.contains(path), qPrintable(error));
        return;
    }
    try {
        QCOMPARE(Joined(ReadSource(path).rows), rows);
    } catch (const Error &error) {
        QFAIL(qPrintable(error.message()));
    }
}

// A workbook streamed hands over exactly the rows ReadSource reads, or says it cannot.
void TestImportSource::streamsRowsAsTheyAreRead_data()
{
    QTest::addColumn<ZipParts>("parts");
    QTest::addColumn<bool>("streams");
    QTest::newRow("rows in order, an empty row between, cells without references")
        << Workbook("<row r=\"1\"><c t=\"s\"><v>0</v></c><c><v>6720</v></c></row><row r=\"3\"><c r=\"B3\" t=\"inlineStr\">"
                    "<is><t>Fő utca</t></is></c></row><row><c/><c/><c><v>1</v></c></row></sheetData>")
        << true;
    QTest::newRow("a merged range of one cell")
        << Workbook("<row><c><v>1</v></c><c><v>2</v></c></row></sheetData><mergeCells><mergeCell ref=\"A1:A1\"/></mergeCells>")
        << true;
    QTest::newRow("an empty sheet") << Workbook("</sheetData>") << true;
    QTest::newRow("a row back before the last")
        << Workbook("<row r=\"2\"><c><v>2</v></c></row><row r=\"1\"><c><v>1</v></c></row></sheetData>") << false;
    QTest::newRow("a merged range")
        << Workbook("<row><c><v>1</v></c><c><v>2</v></c></row><row><c><v>3</v></c></row></sheetData>"
                    "<mergeCells><mergeCell ref=\"A1:B1\"/></mergeCells>")
        << false;
}

void TestImportSource::streamsRowsAsTheyAreRead()
{
    QFETCH(ZipParts, parts);
    QFETCH(bool, streams);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("lap.xlsx"));
    QVERIFY(WriteZip(path, parts));
    QList<QStringList> rows;
    const bool streamed = StreamSource(path, {}, [&](qint64 row, QStringList &&cells) {
        QCOMPARE(row, rows.size());
        rows.append(std::move(cells));
    });
    QCOMPARE(streamed, streams);
    if (streams)
        QCOMPARE(Joined(rows), Joined(ReadSource(path).rows));
}

// The workbooks of the office suite and of the library have a merged range; other kinds are not
// streamed at all.
void TestImportSource::streamsOnlyWhatItCan()
{
    for (const char *file : {"ugyfelek.xlsx", "ugyfelek-library.xlsx", "ugyfelek.ods", "ugyfelek.xls"})
        QVERIFY2(!StreamSource(Fixture(file), {}, [](qint64, QStringList &&) {}), file);
}

void TestImportSource::numbersAsText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("postal code") << 6720.0 << "6720";
    QTest::newRow("fraction") << 12.5 << "12.5";
    QTest::newRow("binary noise") << 0.1 + 0.2 << "0.3";
    QTest::newRow("negative") << -3.0 << "-3";
    QTest::newRow("phone number") << 36301234567.0 << "36301234567";
    QTest::newRow("huge") << 1e20 << "1e+20";
}

void TestImportSource::numbersAsText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(NumberText(value), text);
}

QTEST_GUILESS_MAIN(TestImportSource)
#include "tst_importsource.moc"
