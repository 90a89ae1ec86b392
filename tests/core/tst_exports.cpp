#include "core/codec.h"
#include "core/database.h"
#include "core/error.h"
#include "core/outputfile.h"
#include "core/query.h"
#include "core/tableview.h"
#include "exchange/biffexport.h"
#include "exchange/delimitedexport.h"
#include "exchange/htmlexport.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDateTime>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace kartevo;
using namespace kartevo::test;

namespace {

// A table with one column of every kind an export tells apart, and three rows.
struct Sample {
    Sample()
    {
        db.open(EmptyDatabase(dir));
        db.exec(QStringLiteral(
            "CREATE TABLE t (nev CHAR(20), db INTEGER, ar REAL, megj TEXT, kep BLOB, ok BOOLEAN);"
            "INSERT INTO t VALUES ('A', 5, 1.5, 'x' || char(13,10) || 'y', x'0102', 1);"
            "INSERT INTO t VALUES (NULL, -3, NULL, NULL, NULL, 0);"
            "INSERT INTO t VALUES ('', 70000, 2.25, 'p|q', NULL, NULL);"));
        query.setSql(QStringLiteral("SELECT nev, db, ar, megj, kep, ok FROM t ORDER BY rowid"));
        query.open();
    }
    QList<ExportField> fields(const QStringList &names = {}) const
    {
        QList<ExportField> result;
        for (const ExportField &field : ExportFieldsOf(query, {{QStringLiteral("NEV"), QStringLiteral("Név")}})) {
            if (names.isEmpty() || names.contains(field.name))
                result.append(field);
        }
        return result;
    }
    QTemporaryDir dir;
    Database db;
    Query query{db};
};

QStringList Texts(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

QByteArray Delimited(const DataSet &dataSet, const QList<ExportField> &fields, const DelimitedOptions &options,
                     const ExportProgress &progress = {}, ExportResult *result = nullptr)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const ExportResult written = WriteDelimited(buffer, dataSet, fields, options, progress);
    if (result)
        *result = written;
    return buffer.data();
}

// The records of a worksheet as "number:length" pairs.
QStringList Records(const QByteArray &bytes)
{
    QStringList records;
    qsizetype at = 0;
    while (at + 4 <= bytes.size()) {
        const quint16 number = qFromLittleEndian<quint16>(bytes.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(bytes.constData() + at + 2);
        records.append(QStringLiteral("%1:%2").arg(number, 4, 16, QLatin1Char('0')).arg(length));
        at += 4 + length;
    }
    if (at != bytes.size())
        records.append(QStringLiteral("trailing bytes"));
    return records;
}

} // namespace

class TestExports : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void delimited_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("separator");
        QTest::addColumn<int>("quote");
        QTest::addColumn<bool>("memos");
        QTest::addColumn<bool>("fieldNames");
        QTest::addColumn<bool>("noHeader");
        QTest::addColumn<QByteArray>("bytes");

        const QStringList nevDb = {QStringLiteral("nev"), QStringLiteral("db")};
        QTest::newRow("labels, no quote, trailing separator")
            << nevDb << 0 << 2 << false << false << false << QByteArray("Név;db;\r\nA;5;\r\n;-3;\r\n;70000;\r\n");
        QTest::newRow("double quote") << nevDb << 0 << 0 << false << false << false
                                      << QByteArray("\"Név\";\"db\";\r\n\"A\";\"5\";\r\n\"\";\"-3\";\r\n\"\";\"70000\";\r\n");
        QTest::newRow("field names, apostrophe, tab") << nevDb << 1 << 1 << false << true << false
                                                      << QByteArray("'nev'\t'db'\t\r\n'A'\t'5'\t\r\n''\t'-3'\t\r\n''\t'70000'\t\r\n");
        QTest::newRow("no header: the file starts with an empty line")
            << QStringList{QStringLiteral("db")} << 2 << 2 << false << false << true << QByteArray("\r\n5,\r\n-3,\r\n70000,\r\n");
        QTest::newRow("memo switch clear, blob: BLOB in quotes")
            << QStringList{QStringLiteral("megj"), QStringLiteral("kep")} << 0 << 0 << false << false << true
            << QByteArray("\r\n\"BLOB\";\"BLOB\";\r\n\"BLOB\";\"BLOB\";\r\n\"BLOB\";\"BLOB\";\r\n");
        QTest::newRow("memo on one line, bar separator: line marks become commas")
            << QStringList{QStringLiteral("megj")} << 3 << 2 << true << false << true
            << QByteArray("\r\nx,y,|\r\n|\r\np,q,|\r\n");
        QTest::newRow("memo on one line, semicolon: the bar stays")
            << QStringList{QStringLiteral("megj")} << 0 << 2 << true << false << true
            << QByteArray("\r\nx|y|;\r\n;\r\np|q|;\r\n");
        QTest::newRow("real numbers")
            << QStringList{QStringLiteral("ar")} << 0 << 2 << false << false << false
            << QByteArray("ar;\r\n1.5;\r\n;\r\n2.25;\r\n");
    }

    void delimited()
    {
        QFETCH(QStringList, fields);
        QFETCH(int, separator);
        QFETCH(int, quote);
        QFETCH(bool, memos);
        QFETCH(bool, fieldNames);
        QFETCH(bool, noHeader);
        QFETCH(QByteArray, bytes);
        Sample sample;
        DelimitedOptions options;
        options.separator = ExportSeparator(separator);
        options.quote = ExportQuote(quote);
        options.memos = memos;
        options.fieldNames = fieldNames;
        options.noHeader = noHeader;
        QCOMPARE(Delimited(sample.query, sample.fields(fields), options), ToCp1250(QString::fromUtf8(bytes)));
    }

    // A quote inside a quoted value is doubled, so readers keep the value whole; without quotes
    // the value is written as it is. A fraction takes the system's decimal separator.
    void quotesInsideValues()
    {
        Sample sample;
        Query query(sample.db);
        query.setSql(QStringLiteral("SELECT 'Az \"Ő\" Kft.' AS nev, 'it''s' AS m"));
        query.open();
        const QList<ExportField> fields = ExportFieldsOf(query, {});
        DelimitedOptions options;
        options.noHeader = true;
        options.quote = QStringLiteral("\"");
        QCOMPARE(Delimited(query, fields, options), ToCp1250(u"\r\n\"Az \"\"Ő\"\" Kft.\";\"it's\";\r\n"));
        options.quote = QStringLiteral("'");
        QCOMPARE(Delimited(query, fields, options), ToCp1250(u"\r\n'Az \"Ő\" Kft.';'it''s';\r\n"));
        options.quote.clear();
        QCOMPARE(Delimited(query, fields, options), ToCp1250(u"\r\nAz \"Ő\" Kft.;it's;\r\n"));

        Query numbers(sample.db);
        numbers.setSql(QStringLiteral("SELECT 12.5 AS a, 3 AS b"));
        numbers.open();
        QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
        const QByteArray hungarian = Delimited(numbers, ExportFieldsOf(numbers, {}), options);
        QLocale::setDefault(QLocale::c());
        QCOMPARE(hungarian, QByteArray("\r\n12,5;3;\r\n"));
    }

    void delimitedStopsAndCounts()
    {
        Sample sample;
        sample.db.exec(QStringLiteral("UPDATE t SET nev = 'Győr 漢' WHERE nev = 'A'"));
        sample.query.open();
        ExportResult result;
        // The stop button pressed while the second record is on its way.
        const QByteArray bytes = Delimited(sample.query, sample.fields({QStringLiteral("nev")}), {},
                                           [](int records) { return records < 1; }, &result);
        QCOMPARE(bytes, ToCp1250(u"Név;\r\nGyőr ?;\r\n"));
        QVERIFY(result.stopped);
        QCOMPARE(result.records, 1);
        QCOMPARE(result.unmappable, 1);
    }

    void emptyDataSetWritesHeaderOnly()
    {
        Sample sample;
        sample.query.setSql(QStringLiteral("SELECT nev FROM t WHERE 0"));
        sample.query.open();
        QCOMPARE(Delimited(sample.query, sample.fields(), {}), ToCp1250(u"Név;\r\n"));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY_THROWS_EXCEPTION(Error, WriteWorksheet(buffer, sample.query, sample.fields()));
        QVERIFY(buffer.data().isEmpty());
    }

    void tableViewHasNoRowidField()
    {
        Sample sample;
        TableView table(sample.db, QStringLiteral("t"));
        table.open();
        QStringList names;
        for (const ExportField &field : ExportFieldsOf(table))
            names.append(field.name);
        QCOMPARE(names, Texts({"nev", "db", "ar", "megj", "kep", "ok"}));
    }

    void fileKinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("worksheet");
        QTest::addColumn<bool>("html");
        QTest::newRow("xls") << QStringLiteral("a.xls") << true << false;
        QTest::newRow("XlS") << QStringLiteral("dir.csv/b.XlS") << true << false;
        QTest::newRow("xlsx is text") << QStringLiteral("c.xlsx") << false << false;
        QTest::newRow("no extension") << QStringLiteral("xls") << false << false;
        QTest::newRow("htm") << QStringLiteral("d.HTM") << false << true;
        QTest::newRow("html") << QStringLiteral("e.html") << false << true;
        QTest::newRow("csv") << QStringLiteral("f.csv") << false << false;
    }

    void fileKinds()
    {
        QFETCH(QString, name);
        QFETCH(bool, worksheet);
        QFETCH(bool, html);
        QCOMPARE(IsWorksheetName(name), worksheet);
        QCOMPARE(IsHtmlName(name), html);
    }

    // Record by record: BOF, three fonts, DIMENSIONS, the header, the cells of three rows, EOF.
    void worksheetRecords()
    {
        Sample sample;
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const ExportResult result = WriteWorksheet(buffer, sample.query, sample.fields(), 96);
        QCOMPARE(result.records, 3);
        const QByteArray bytes = buffer.data();
        QCOMPARE(bytes.left(8), QByteArray::fromHex("0900040002001000"));
        // The code page right after BOF: 1250.
        QCOMPARE(bytes.mid(8, 6), QByteArray::fromHex("42000200e204"));
        // Font 0: Arial 10 pt plain; fonts 1 and 2: 13 px bold = 10 pt at 96 dpi.
        QCOMPARE(bytes.mid(14, 14), QByteArray::fromHex("31000a00c80000000541726961") + "l");
        QCOMPARE(bytes.mid(28, 14), QByteArray::fromHex("31000a00c80001000541726961") + "l");
        QCOMPARE(bytes.mid(56, 12), QByteArray::fromHex("000008000000010400000400"));
        QCOMPARE(Records(bytes), Texts({
            "0009:4", "0042:2", "0031:10", "0031:10", "0031:10", "0000:8",
            // header: Név db ar megj kep ok
            "0004:11", "0004:10", "0004:10", "0004:12", "0004:11", "0004:10",
            // A, 5, 1.5, memo text, blob, true
            "0004:9", "0002:9", "0003:15", "0004:12", "0004:12", "0005:9",
            // NULL, -3, NULL, NULL, NULL, false
            "0001:7", "0003:15", "0001:7", "0001:7", "0001:7", "0005:9",
            // '', 70000, 2.25, memo, NULL, NULL
            "0004:8", "0003:15", "0003:15", "0004:11", "0001:7", "0001:7",
            "000a:0"}));
        // The header cell of "Név": row 0, column 0, font 2, general alignment, code page 1250.
        QCOMPARE(bytes.mid(68, 15), QByteArray::fromHex("04000b000000000000800003") + QByteArray("N\xE9v"));
        QCOMPARE(WorksheetTitlePoints(120), 8);
    }

    // An independent reader sees the cell types and values.
    void worksheetReadBack()
    {
        Sample sample;
        const QString file = sample.dir.filePath(QStringLiteral("lap.xls"));
        // ő and ű are where code page 1250 and Latin-1 differ: the reader must learn the code page
        // from the file itself.
        QList<ExportField> fields = sample.fields();
        fields[0].label = QStringLiteral("Győrű Név");
        ExportToFile(file, [&](QIODevice &out) { return WriteWorksheet(out, sample.query, fields); });
        QProcess reader;
        reader.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, xlrd\n"
                                     "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                     "for r in range(s.nrows):\n"
                                     "    print('|'.join('%d:%s' % (s.cell_type(r, c), str(s.cell_value(r, c)).replace('\\r\\n', '/'))\n"
                                     "                   for c in range(s.ncols)))\n"),
                      file});
        QVERIFY(reader.waitForFinished(30000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError().constData());
        // Types: 0 empty (BLANK), 1 text, 2 number, 4 boolean.
        QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("1:Győrű Név|1:db|1:ar|1:megj|1:kep|1:ok"),
                              QStringLiteral("1:A|2:5.0|2:1.5|1:x/y|1:BLOB|4:1"),
                              QStringLiteral("0:|2:-3.0|0:|0:|0:|4:0"),
                              QStringLiteral("1:|2:70000.0|2:2.25|1:p|q|0:|0:")}));
    }

    void worksheetRefusals()
    {
        Sample sample;
        Query closed(sample.db);
        QVERIFY_THROWS_EXCEPTION(Error, CheckWorksheetExport(closed));
        Query rows(sample.db);
        rows.setSql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) SELECT i FROM n"));
        rows.setSql(rows.sql().arg(kMaxWorksheetRows));
        rows.open();
        CheckWorksheetExport(rows);
        rows.setSql(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) SELECT i FROM n")
                        .arg(kMaxWorksheetRows + 1));
        rows.open();
        try {
            CheckWorksheetExport(rows);
            QFAIL("a sheet of 65536 data rows was not refused");
        } catch (const Error &e) {
            QVERIFY(e.message().contains(QLatin1String("65535")));
        }
    }

    void htmlPage()
    {
        Sample sample;
        sample.db.exec(QStringLiteral("UPDATE t SET nev = '<b>&\"Ő\"' WHERE nev = 'A'; UPDATE t SET nev = '漢' WHERE nev = ''"));
        sample.query.open();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        const QList<HtmlColumn> columns = {{QStringLiteral("Név & cím"), 171, FieldAlign::Left, 0},
                                           {QStringLiteral("db"), 100, FieldAlign::Right, 1}};
        const ExportResult result = WriteHtmlPage(buffer, sample.query, QStringLiteral("Ügyfelek <teszt>"), columns, 845,
                                                  QDateTime(QDate(2026, 3, 7), QTime(9, 5, 2)));
        QCOMPARE(result.records, 3);
        const QByteArray bytes = buffer.data();
        QVERIFY(bytes.endsWith("</html>\r\n"));
        const QStringList lines = FromCp1250(bytes).split(QStringLiteral("\r\n"));
        const QStringList expected = Texts({
            "<html>", "", "<head>",
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1250\">",
            "<title>Ügyfelek &lt;teszt&gt;</title>",
            "<meta name=\"GENERATOR\" content=\"Pelmar Bt. Grid2Html\">", "</head>", "", "<body>",
            "<p><strong><font face=\"Verdana\" size=\"2\">Ügyfelek &lt;teszt&gt;</font></strong></p>",
            "<p><strong><font face=\"Verdana\" size=\"1\"></font></strong></p>",
            "<div align=\"center\"><center>", "",
            "<table border=\"1\" cellpadding=\"3\" cellspacing=\"0\" width=\"90%\">", "  <tr>",
            "    <td width=\"20%\" bgcolor=\"#C0C0C0\"><font face=\"Verdana\" size=\"1\"><strong>Név &amp; cím</strong></font></td>",
            "    <td width=\"12%\" bgcolor=\"#C0C0C0\"><font face=\"Verdana\" size=\"1\"><strong><p align=\"right\">db</strong></font></td>",
            "  </tr>", "  <tr>",
            "    <td width=\"20%\"><font face=\"Verdana\" size=\"1\">&lt;b&gt;&amp;&quot;Ő&quot;</font></td>",
            "    <td width=\"12%\"><font face=\"Verdana\" size=\"1\"><p align=\"right\">5</font></td>",
            "  </tr>", "  <tr>",
            "    <td width=\"20%\"><font face=\"Verdana\" size=\"1\"></font></td>",
            "    <td width=\"12%\"><font face=\"Verdana\" size=\"1\"><p align=\"right\">-3</font></td>",
            "  </tr>", "  <tr>",
            "    <td width=\"20%\"><font face=\"Verdana\" size=\"1\">&#28450;</font></td>",
            "    <td width=\"12%\"><font face=\"Verdana\" size=\"1\"><p align=\"right\">70000</font></td>",
            "  </tr>", "</table>", "</center></div>", "",
            "<p><font face=\"Verdana\" size=\"1\">Összesen 3 sor.</font></p>", "",
            "<p><font face=\"Verdana\" size=\"1\">2026.03.07 09:05:02</font></p>", "",
            "<p><font face=\"Courier New\" size=\"1\">Kartevo 1.0.0.1</font></p>", "", "</body>", "</html>", ""});
        QCOMPARE(lines, expected);
    }

    void htmlEmptyDataSet()
    {
        Sample sample;
        sample.query.setSql(QStringLiteral("SELECT nev FROM t WHERE 0"));
        sample.query.open();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        WriteHtmlPage(buffer, sample.query, QStringLiteral("x"), {{QStringLiteral("Név"), 50, FieldAlign::Left, 0}}, 100,
                      QDateTime::currentDateTime());
        const QString page = FromCp1250(buffer.data());
        QVERIFY(page.contains(QStringLiteral("<strong>Név</strong></font></td>\r\n  </tr>\r\n</table>")));
        QVERIFY(page.contains(QStringLiteral("Összesen 0 sor.")));
    }

    void htmlWidthShares_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("grid");
        QTest::addColumn<int>("share");
        QTest::newRow("171 of 845") << 171 << 845 << 20;
        QTest::newRow("12.5 to 12") << 1 << 8 << 12;
        QTest::newRow("37.5 to 38") << 3 << 8 << 38;
        QTest::newRow("no grid width") << 10 << 0 << 0;
    }

    void htmlWidthShares()
    {
        QFETCH(int, width);
        QFETCH(int, grid);
        QFETCH(int, share);
        QCOMPARE(HtmlWidthShare(width, grid), share);
    }

    void htmlDefaultPath_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("path");
        QTest::newRow("client list") << QStringLiteral("Ügyfelek") << QStringLiteral("H/_gyfelek.htm");
        QTest::newRow("slash and question mark") << QStringLiteral("Lista 2010/3?") << QStringLiteral("H/lista-2010-3-.htm");
    }

    void htmlDefaultPath()
    {
        QFETCH(QString, title);
        QFETCH(QString, path);
        QCOMPARE(HtmlDefaultPath(QStringLiteral("H"), title), path);
    }

    // The page's folder is made when missing; a failed export leaves no file behind.
    void exportToFile()
    {
        Sample sample;
        const QString file = sample.dir.filePath(QStringLiteral("Html/uj/lap.htm"));
        ExportToFile(file, [&](QIODevice &out) {
            return WriteHtmlPage(out, sample.query, QStringLiteral("x"), {}, 100, QDateTime::currentDateTime());
        }, true);
        QVERIFY(ReadBytes(file).startsWith("<html>\r\n"));
        const QString other = sample.dir.filePath(QStringLiteral("hiba.csv"));
        QVERIFY_THROWS_EXCEPTION(Error, ExportToFile(other, [](QIODevice &) -> ExportResult { throw Error(QStringLiteral("x")); }));
        QVERIFY(!QFile::exists(other));
        SetProtectedFiles(DatabaseFiles(sample.db.path()));
        QVERIFY_THROWS_EXCEPTION(Error, ExportToFile(sample.db.path(), [](QIODevice &) { return ExportResult(); }));
        SetProtectedFiles({});
    }
};

QTEST_GUILESS_MAIN(TestExports)
#include "tst_exports.moc"
