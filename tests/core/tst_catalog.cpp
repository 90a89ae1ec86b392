// The program catalog without its window: the catalog file, the refresh that replaces it only
// with a complete and well-formed download, the in-memory table with its sorting and search,
// and the links it may open.
#include "masterdata/masterdata.h"
#include "tools/catalog.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;

namespace {

QByteArray Jpeg(Qt::GlobalColor color)
{
    QImage image(25, 16, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

CatalogRow Row(qint64 key, const QString &name, const QString &free = QStringLiteral("N"))
{
    CatalogRow row;
    row.programok = key;
    row.programok_nev = name;
    row.link = QStringLiteral("https://www.example.com/%1/").arg(key);
    row.letoltlink = QStringLiteral("https://www.example.com/letoltes/%1.zip").arg(key);
    row.kategoria = QStringLiteral("Iroda");
    row.ingyenes = free;
    row.leiras = name + QStringLiteral(" leírása");
    return row;
}

QList<CatalogRow> SampleRows()
{
    CatalogRow quoted = Row(2, QStringLiteral("Számlázó \"Kis\", irodáknak"), QStringLiteral("I"));
    quoted.leiras = QStringLiteral("Első sor,\r\nmásodik sor; \"idézet\"");
    quoted.kep = Jpeg(Qt::red);
    return {Row(1, QStringLiteral("Névjegy Tár")), quoted, Row(3, QStringLiteral("ábécé naptár"))};
}

QStringList Names(const CatalogTable &table)
{
    QStringList names;
    for (int row = 0; row < table.recordCount(); ++row)
        names.append(table.cell(row, table.fieldIndex(QStringLiteral("programok_nev"))).toString());
    return names;
}

// The files of a folder, temporary ones included.
QStringList FolderFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestCatalog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundTrip()
    {
        const QList<CatalogRow> rows = SampleRows();
        const QByteArray file = FormatCatalog(rows);
        QVERIFY(file.startsWith("\"programok:integer\",\"programok_nev:text(50)\","));
        const QList<CatalogRow> read = ParseCatalog(file);
        QCOMPARE(read.size(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(read.at(i).programok, rows.at(i).programok);
            QCOMPARE(read.at(i).programok_nev, rows.at(i).programok_nev);
            QCOMPARE(read.at(i).link, rows.at(i).link);
            QCOMPARE(read.at(i).letoltlink, rows.at(i).letoltlink);
            QCOMPARE(read.at(i).ingyenes, rows.at(i).ingyenes);
            QCOMPARE(read.at(i).leiras, rows.at(i).leiras);
            QCOMPARE(read.at(i).kep, rows.at(i).kep);
        }
    }

    // Columns are found by name, in any order, unknown ones skipped; LF works as a line end.
    void columnsByName()
    {
        const QByteArray text = "\"kep:jpeg-base64\",\"uj:text\",\"leiras\",\"ingyenes\",\"kategoria\",\"letoltlink\",\"link\","
                                "\"programok_nev\",\"programok\"\n"
                                "\"\",\"x\",\"Leírás\",\"I\",\"Iroda\",\"http://d\",\"http://h\",\"Név\",\"7\"\n";
        const QList<CatalogRow> rows = ParseCatalog(text);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().programok, 7);
        QCOMPARE(rows.first().programok_nev, QStringLiteral("Név"));
        QCOMPARE(rows.first().link, QStringLiteral("http://h"));
        QVERIFY(rows.first().kep.isEmpty());
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = FormatCatalog(SampleRows());
        const QByteArray header = good.left(good.indexOf("\r\n") + 2);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("an HTML page") << QByteArray("<html><body>Not found</body></html>\r\n");
        QTest::newRow("missing column") << QByteArray(header).replace("\"kep:jpeg-base64\"", "\"kepek\"");
        QTest::newRow("cut in a quoted value") << good.left(good.size() - 40);
        QTest::newRow("a field missing") << header + "\"1\",\"a\",\"b\",\"c\",\"d\",\"I\",\"e\"\r\n";
        QTest::newRow("key not a number") << header + "\"x\",\"a\",\"b\",\"c\",\"d\",\"I\",\"e\",\"\"\r\n";
        QTest::newRow("picture not base64") << header + "\"1\",\"a\",\"b\",\"c\",\"d\",\"I\",\"e\",\"@@@\"\r\n";
        QTest::newRow("text after a closing quote") << header + "\"1\"x,\"a\",\"b\",\"c\",\"d\",\"I\",\"e\",\"\"\r\n";
        QTest::newRow("not UTF-8") << header + "\"1\",\"\xe1rv\xedz\",\"b\",\"c\",\"d\",\"I\",\"e\",\"\"\r\n";
    }
    void malformed()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY_THROWS_EXCEPTION(Error, ParseCatalog(bytes));
    }

    // A refresh replaces the catalog only with a complete, well-formed download; otherwise the
    // old catalog stays and nothing is left beside it.
    void update_data()
    {
        QTest::addColumn<QByteArray>("download");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<bool>("replaced");
        const QByteArray good = FormatCatalog(SampleRows());
        QTest::newRow("complete") << good << true << true;
        QTest::newRow("truncated") << good.left(good.size() / 2) << true << false;
        QTest::newRow("broken off") << good << false << false;
        QTest::newRow("too large") << good + QByteArray(CatalogSizeLimit, ' ') << true << false;
    }
    void update()
    {
        QFETCH(QByteArray, download);
        QFETCH(bool, finished);
        QFETCH(bool, replaced);
        QTemporaryDir dir;
        const QString catalog = dir.filePath(QStringLiteral("programok.csv"));
        const QByteArray old = FormatCatalog({Row(9, QStringLiteral("Régi"))});
        WriteBytes(catalog, old);
        {
            CatalogUpdate update(catalog);
            for (qsizetype at = 0; at < download.size(); at += 64 * 1024) {
                if (!update.append(QByteArrayView(download).sliced(at, qMin<qsizetype>(64 * 1024, download.size() - at))))
                    break;
            }
            QCOMPARE(update.tooLarge(), download.size() > CatalogSizeLimit);
            if (finished && replaced) {
                QCOMPARE(update.finish().size(), 3);
            } else if (finished) {
                QVERIFY_THROWS_EXCEPTION(Error, update.finish());
            }
        }
        QCOMPARE(ReadBytes(catalog), replaced ? download : old);
        QCOMPARE(FolderFiles(dir.path()), QStringList{QStringLiteral("programok.csv")});
    }

    void updateCannotCreate()
    {
        QTemporaryDir dir;
        try {
            CatalogUpdate update(dir.filePath(QStringLiteral("nincs/programok.csv")));
            QFAIL("no error");
        } catch (const Error &e) {
            const QString target = dir.filePath(QStringLiteral("nincs/programok.csv"));
            QVERIFY2(e.message().startsWith(QStringLiteral("File létrehozási hiba\nA fájl nem írható: ") + target),
                     qPrintable(e.message()));
        }
    }

    // Sorting ignores letter case (accented letters too), keeps equal rows in their order and
    // the cursor on the same program; the list search finds a name by its beginning in any case.
    void tableSortAndSearch()
    {
        QList<CatalogRow> rows = {Row(1, QStringLiteral("zeta")), Row(2, QStringLiteral("Alma")),
                                  Row(3, QStringLiteral("Ébredés")), Row(4, QStringLiteral("alfa")),
                                  Row(5, QStringLiteral("kert"), QStringLiteral("I")), Row(6, QStringLiteral("Kapu"))};
        rows[1].kategoria = QStringLiteral("b");
        rows[3].kategoria = QStringLiteral("B");
        rows[0].kategoria = QStringLiteral("a");
        CatalogTable table;
        table.setRows(rows);
        QCOMPARE(Names(table).first(), QStringLiteral("zeta")); // the file's order
        table.moveTo(4);
        table.sortBy(QStringLiteral("programok_nev"));
        QCOMPARE(Names(table), (QStringList{QStringLiteral("alfa"), QStringLiteral("Alma"), QStringLiteral("Ébredés"),
                                            QStringLiteral("Kapu"), QStringLiteral("kert"), QStringLiteral("zeta")}));
        QCOMPARE(table.asString(QStringLiteral("programok_nev")), QStringLiteral("kert"));
        QVERIFY(table.isFree());

        table.sortBy(QStringLiteral("kategoria"));
        // "b" and "B" compare equal: they keep the order the name sort gave them.
        QCOMPARE(Names(table).mid(0, 3), (QStringList{QStringLiteral("zeta"), QStringLiteral("alfa"), QStringLiteral("Alma")}));

        table.sortBy(QStringLiteral("programok_nev"));
        QVERIFY(SearchList(table, QStringLiteral("programok_nev"), QStringLiteral("k")));
        QCOMPARE(table.asString(QStringLiteral("programok_nev")), QStringLiteral("Kapu"));
        QVERIFY(SearchList(table, QStringLiteral("programok_nev"), QStringLiteral("éB")));
        QCOMPARE(table.asString(QStringLiteral("programok_nev")), QStringLiteral("Ébredés"));
        QVERIFY(!SearchList(table, QStringLiteral("programok_nev"), QStringLiteral("kx")));
    }

    void tablePicture()
    {
        QList<CatalogRow> rows = SampleRows();
        rows[0].kep = "not a picture";
        CatalogTable table;
        table.setRows(rows);
        QVERIFY(table.picture().isNull());
        table.moveTo(1);
        QCOMPARE(table.picture().size(), QSize(25, 16));
        table.moveTo(2);
        QVERIFY(table.picture().isNull());
    }

    void links_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("http") << QStringLiteral("http://www.example.com/a") << true;
        QTest::newRow("https in capitals") << QStringLiteral(" HTTPS://www.example.com/") << true;
        QTest::newRow("mailto") << QStringLiteral("mailto:info@example.com") << true;
        QTest::newRow("mailto with subject and body")
            << QStringLiteral("mailto:info@example.com?subject=Rendel%C3%A9s&body=J%C3%B3%20napot") << true;
        QTest::newRow("mailto with an attachment")
            << QStringLiteral("mailto:info@example.com?subject=x&attach=/home/user/.ssh/id_rsa") << false;
        QTest::newRow("mailto with a hidden addressee") << QStringLiteral("mailto:info@example.com?bcc=x@example.org") << false;
        QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << false;
        QTest::newRow("local path") << QStringLiteral("/usr/bin/xterm") << false;
        QTest::newRow("relative") << QStringLiteral("setup.exe") << false;
        QTest::newRow("other scheme") << QStringLiteral("javascript:alert(1)") << false;
        QTest::newRow("http without host") << QStringLiteral("http:/etc/passwd") << false;
        QTest::newRow("empty") << QString() << false;
    }
    // Every text column holds at most its declared width, however long the server's value.
    void fieldWidthsAreEnforced()
    {
        CatalogRow row = Row(1, QStringLiteral("N").repeated(80));
        row.link = QStringLiteral("https://www.example.com/") + QStringLiteral("a").repeated(400);
        row.ingyenes = QStringLiteral("Igen");
        row.leiras = QStringLiteral("L").repeated(5000);
        const CatalogRow read = ParseCatalog(FormatCatalog({row})).first();
        QCOMPARE(read.programok_nev.size(), 50);
        QCOMPARE(read.link.size(), 255);
        QCOMPARE(read.ingyenes, QStringLiteral("I"));
        QCOMPARE(read.leiras.size(), 255);
    }

    void links()
    {
        QFETCH(QString, link);
        QFETCH(bool, allowed);
        QCOMPARE(IsCatalogLinkAllowed(link), allowed);
    }

    void catalogUrl()
    {
        qunsetenv("KARTEVO_CATALOG_URL");
        QVERIFY(CatalogUrl().startsWith(QLatin1String("http")));
        qputenv("KARTEVO_CATALOG_URL", "http://127.0.0.1:1/programok.csv");
        QCOMPARE(CatalogUrl(), QStringLiteral("http://127.0.0.1:1/programok.csv"));
        qunsetenv("KARTEVO_CATALOG_URL");
    }

    // The installation's catalog goes into the data folder once; a catalog already there stays.
    void shippedCatalog()
    {
        Installation inst;
        QVERIFY(QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/programok.csv"),
                            inst.share() + QStringLiteral("/programok.csv")));
        const Folders folders = inst.folders();
        QDir().mkpath(folders.DataFolder);
        EnsureCatalogFile(folders);
        const QList<CatalogRow> rows = ReadCatalogFile(CatalogFileName(folders));
        QVERIFY(rows.size() >= 3);
        int pictures = 0;
        for (const CatalogRow &row : rows) {
            QVERIFY(IsCatalogLinkAllowed(row.link));
            QVERIFY(IsCatalogLinkAllowed(row.letoltlink));
            if (!row.kep.isEmpty()) {
                QVERIFY(!QImage::fromData(row.kep, "JPEG").isNull());
                ++pictures;
            }
        }
        QVERIFY(pictures > 0);

        const QByteArray own = FormatCatalog({Row(1, QStringLiteral("Saját"))});
        WriteBytes(CatalogFileName(folders), own);
        EnsureCatalogFile(folders);
        QCOMPARE(ReadBytes(CatalogFileName(folders)), own);
    }
};

QTEST_MAIN(TestCatalog)
#include "tst_catalog.moc"
