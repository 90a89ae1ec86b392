#include "core/codec.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/schema.h"
#include "core/statement.h"
#include "exchange/csvimport.h"
#include "testfiles.h"

#include "core/inputfile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

using namespace kartevo;
using namespace kartevo::test;

namespace {

// An upgraded database without a client: what a new user has after the first start.
struct EmptyClients {
    EmptyClients()
    {
        db.open(DeliveredDatabase(dir));
        UpgradeSchema(db, QStringLiteral(KARTEVO_SOURCE_DIR "/data/cimke.sql"));
    }
    QTemporaryDir dir;
    Database db;
};

// Every client as "key|name|contact|code|town|address|group|mark|name key|group key", by key.
QStringList Clients(Database &db)
{
    QStringList rows;
    Statement statement(db, QStringLiteral(
        "SELECT ugyfel, ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, csoport, jelolve, ugyfel_nevs, csoports "
        "FROM ugyfel ORDER BY ugyfel"));
    while (statement.step()) {
        QStringList cells;
        for (int i = 0; i < 10; ++i)
            cells.append(statement.column(i).isNull() ? QStringLiteral("NULL") : statement.column(i).toString());
        rows.append(cells.join(u'|'));
    }
    return rows;
}

QStringList Groups(Database &db)
{
    QStringList rows;
    Statement statement(db, QStringLiteral("SELECT csoport, csoports FROM csoport ORDER BY rowid"));
    while (statement.step())
        rows.append(statement.column(0).toString() + u'|' + statement.column(1).toString());
    return rows;
}

} // namespace

class TestCsvImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void importLines_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("separator"); // the window's choice
        QTest::addColumn<bool>("header");
        QTest::addColumn<QStringList>("clients");
        QTest::addColumn<QStringList>("groups");

        const QString longLine = QStringLiteral("Nagyon Hosszú Nevű Kereskedelmi és Szolgáltató Kft.,Kiss Anna,1011,Budapest,Fő utca 1.");
        QTest::newRow("header only") << QString() << QStringLiteral("Név;Kapcsolat;Irsz;Város;Cím;Csoport\r\n")
                                     << 0 << true << QStringList() << QStringList();
        QTest::newRow("two fields, keys from 1")
            << QString() << QStringLiteral("Alfa Kft.;Kiss Anna") << 0 << false
            << QStringList{QStringLiteral("1|Alfa Kft.|Kiss Anna|||||N|ALFA KFT.|")} << QStringList();
        QTest::newRow("header line skipped, trailing separator")
            << QString() << QStringLiteral("Név;Kapcsolat\nÁbel Bt.;;1011;Budapest;Fő u. 2.;Partnerek;\n") << 0 << true
            << QStringList{QStringLiteral("1|Ábel Bt.||1011|Budapest|Fő u. 2.|Partnerek|N|ABEL BT.|PARTNEREK")}
            << QStringList{QStringLiteral("Partnerek|PARTNEREK")};
        QTest::newRow("quotes kept, separator inside quotes splits")
            << QString() << QStringLiteral("\"Béta; Társa\";\"Nagy\"") << 0 << false
            << QStringList{QStringLiteral("1|\"Béta| Társa\"|\"Nagy\"||||N|\"BETA|")} << QStringList();
        QTest::newRow("comma file read with semicolon: whole line cut to the name")
            << QString() << longLine << 0 << false
            << QStringList{QStringLiteral("1|%1||||||N|%2|").arg(longLine.left(75), FoldAccents(longLine.left(20)))}
            << QStringList();
        QTest::newRow("comma and tab separators")
            << QString() << QStringLiteral("A,b,1011") << 1 << false
            << QStringList{QStringLiteral("1|A|b|1011||||N|A|")} << QStringList();
        QTest::newRow("tab") << QString() << QStringLiteral("A\tb\t\t\t\tG") << 2 << false
                             << QStringList{QStringLiteral("1|A|b||||G|N|A|G")} << QStringList{QStringLiteral("G|G")};
        QTest::newRow("postal code cut to its width")
            << QString() << QStringLiteral("A;;123456789") << 0 << false
            << QStringList{QStringLiteral("1|A||12345678||||N|A|")} << QStringList();
        QTest::newRow("group case A-Z: first spelling creates the group, clients keep their own")
            << QString() << QStringLiteral("A;;;;;Havi számlázás\nB;;;;;havi számlázás\nC;;;;;HAVI SZáMLáZáS") << 0 << false
            << QStringList{QStringLiteral("1|A|||||Havi számlázás|N|A|HAVI SZAMLAZAS"),
                           QStringLiteral("2|B|||||havi számlázás|N|B|HAVI SZAMLAZAS"),
                           QStringLiteral("3|C|||||HAVI SZáMLáZáS|N|C|HAVI SZAMLAZAS")}
            << QStringList{QStringLiteral("Havi számlázás|HAVI SZAMLAZAS")};
        QTest::newRow("existing group in another case, accented capital makes a new one")
            << QStringLiteral("INSERT INTO csoport VALUES ('Ábécé', 'ABECE'); INSERT INTO ugyfel (ugyfel) VALUES (41);")
            << QStringLiteral("A;;;;;ÁBÉCÉ\nB;;;;;ábécé\nC;;;;;Ábécé") << 0 << false
            << QStringList{QStringLiteral("41|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL"),
                           QStringLiteral("42|A|||||ÁBÉCÉ|N|A|ABECE"), QStringLiteral("43|B|||||ábécé|N|B|ABECE"),
                           QStringLiteral("44|C|||||Ábécé|N|C|ABECE")}
            << QStringList{QStringLiteral("Ábécé|ABECE"), QStringLiteral("ÁBÉCÉ|ABECE"), QStringLiteral("ábécé|ABECE")};
        QTest::newRow("empty line is an empty client, final line break adds none")
            << QString() << QStringLiteral("A\r\n\r\nB\r\n") << 0 << false
            << QStringList{QStringLiteral("1|A||||||N|A|"), QStringLiteral("2|||||||N||"), QStringLiteral("3|B||||||N|B|")}
            << QStringList();
    }

    void importLines()
    {
        QFETCH(QString, setup);
        QFETCH(QString, text);
        QFETCH(int, separator);
        QFETCH(bool, header);
        QFETCH(QStringList, clients);
        QFETCH(QStringList, groups);
        EmptyClients fixture;
        if (!setup.isEmpty())
            fixture.db.exec(setup);
        const int groupsBefore = int(Groups(fixture.db).size());
        const int clientsBefore = int(Clients(fixture.db).size());

        QList<int> progress;
        const ImportSummary summary = ImportClients(fixture.db, SplitTextLines(text), ImportSeparator(separator), header,
                                                    [&progress](int line) { progress.append(line); });
        QCOMPARE(Clients(fixture.db), clients);
        QCOMPARE(Groups(fixture.db), groups);
        QCOMPARE(summary.clients, int(clients.size()) - clientsBefore);
        QCOMPARE(summary.groups, int(groups.size()) - groupsBefore);
        QCOMPARE(progress.size(), summary.clients);
        QVERIFY(sqlite3_get_autocommit(fixture.db.handle()) != 0);
        QCOMPARE(IndexesIfSound(fixture.db), ClientIndexes());
    }

    // A client that cannot be stored ends the import; the clients before it stay.
    void failingClientKeepsEarlierRows()
    {
        EmptyClients fixture;
        fixture.db.exec(QStringLiteral("CREATE TRIGGER tilt BEFORE INSERT ON ugyfel WHEN NEW.ugyfel_nev = 'HIBA' "
                                       "BEGIN SELECT RAISE(ABORT, 'tiltott név'); END;"));
        const QStringList lines = {QStringLiteral("Név"), QStringLiteral("A;;;;;G1"), QStringLiteral("B"),
                                   QStringLiteral("HIBA;;;;;G2"), QStringLiteral("D")};
        try {
            ImportClients(fixture.db, lines, u';', true);
            QFAIL("the failing row was not reported");
        } catch (const ImportError &e) {
            QCOMPARE(e.line, 4);
            QCOMPARE(e.kept.clients, 2);
            QCOMPARE(e.kept.groups, 1);
            QVERIFY2(e.message().contains(QLatin1String("4. sor")) && e.message().contains(QStringLiteral("tiltott név")),
                     qPrintable(e.message()));
        }
        QCOMPARE(Clients(fixture.db), (QStringList{QStringLiteral("1|A|||||G1|N|A|G1"), QStringLiteral("2|B||||||N|B|")}));
        QCOMPARE(Groups(fixture.db), QStringList{QStringLiteral("G1|G1")});
        QVERIFY(sqlite3_get_autocommit(fixture.db.handle()) != 0);
        QCOMPARE(IndexesIfSound(fixture.db), ClientIndexes());
    }

    // A group that cannot be stored is skipped; the client keeps its group name.
    void failingGroupIsSkipped()
    {
        EmptyClients fixture;
        fixture.db.exec(QStringLiteral("CREATE TRIGGER tilt BEFORE INSERT ON csoport WHEN NEW.csoport = 'Rossz' "
                                       "BEGIN SELECT RAISE(ABORT, 'nem'); END;"));
        const ImportSummary summary = ImportClients(fixture.db, {QStringLiteral("A;;;;;Rossz"), QStringLiteral("B;;;;;Jó")}, u';', false);
        QCOMPARE(summary.clients, 2);
        QCOMPARE(summary.groups, 1);
        QCOMPARE(Clients(fixture.db), (QStringList{QStringLiteral("1|A|||||Rossz|N|A|ROSSZ"), QStringLiteral("2|B|||||Jó|N|B|JO")}));
        QCOMPARE(Groups(fixture.db), QStringList{QStringLiteral("Jó|JO")});
    }

    void encodings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("warning"); // a part of the warning, or empty for none
        const QString text = QStringLiteral("Őrségi Árvíztűrő Kft.;Kovács Éva;9941;Őriszentpéter;Kossuth u. 1.;Régiók\r\n"
                                            "Zöldség Bt.;;;;;régiók\r\n");
        QTest::newRow("UTF-8") << text.toUtf8() << QStringLiteral("UTF-8") << QString();
        QTest::newRow("UTF-8 with byte-order mark")
            << QByteArray("\xEF\xBB\xBF") + text.toUtf8() << QStringLiteral("UTF-8") << QString();
        QTest::newRow("code page 1250") << ToCp1250(text) << QStringLiteral("Windows-1250") << QString();
        // A byte-order mark before a code page 1250 body is not glued to the first name.
        QTest::newRow("byte-order mark before code page 1250")
            << QByteArray("\xEF\xBB\xBF") + ToCp1250(text) << QStringLiteral("Windows-1250")
            << QStringLiteral("UTF-8 jellel kezdődik, de a(z) 1. sora nem UTF-8");
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QTest::newRow("lines of both encodings")
            << ToCp1250(lines.at(0)) + "\r\n" + lines.at(1).toUtf8() << QStringLiteral("Windows-1250")
            << QStringLiteral("a(z) 1. sora nem UTF-8");
    }

    // The same names give the same rows whichever encoding the file was saved in.
    void encodings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QString, warning);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("ügyfelek.csv"));
        WriteBytes(file, bytes);
        const ImportText read = ReadImportFile(file);
        QCOMPARE(read.encoding, encoding);
        QVERIFY2(warning.isEmpty() ? read.warning.isEmpty() : read.warning.contains(warning), qPrintable(read.warning));
        // The reading that keeps UTF-8 (the command line's) reads the same.
        const ImportUtf8 utf8 = DecodeImportBytesToUtf8(bytes);
        QCOMPARE(utf8.text, read.text.toUtf8());
        QCOMPARE(utf8.encoding, read.encoding);
        QCOMPARE(utf8.warning, read.warning);
        EmptyClients fixture;
        ImportClients(fixture.db, SplitTextLines(read.text), u';', false);
        if (QByteArray(QTest::currentDataTag()) == "lines of both encodings")
            return; // the second line reads wrong in part, as the warning says
        QCOMPARE(Clients(fixture.db),
                 (QStringList{QStringLiteral("1|Őrségi Árvíztűrő Kft.|Kovács Éva|9941|Őriszentpéter|Kossuth u. 1.|Régiók|N|ORSEGI ARVIZTURO KFT|REGIOK"),
                              QStringLiteral("2|Zöldség Bt.|||||régiók|N|ZOLDSEG BT.|REGIOK")}));
        QCOMPARE(Groups(fixture.db), QStringList{QStringLiteral("Régiók|REGIOK")});
    }

    void unreadableFile()
    {
        QTemporaryDir dir;
        QVERIFY_THROWS_EXCEPTION(Error, ReadImportFile(dir.filePath(QStringLiteral("nincs.csv"))));
    }

    // Devices and folders are refused at once; an endless line stops the reading at 1 MB with
    // its number; a pipe is read like a file.
    void onlyFilesAndPipesAreRead()
    {
        for (const char *path : {"/dev/zero", "/dev/null"}) {
            try {
                ReadImportFile(QString::fromLatin1(path));
                QFAIL(path);
            } catch (const Error &error) {
                QVERIFY2(error.message().contains(QStringLiteral("nem közönséges fájl")), qPrintable(error.message()));
            }
        }
        QTemporaryDir dir;
        const QString longLines = dir.filePath(QStringLiteral("hosszu.csv"));
        WriteBytes(longLines, QByteArray("A;b\n") + QByteArray(MaxInputLine + 1, 'x'));
        try {
            ReadImportFile(longLines);
            QFAIL("a line over 1 MB was read");
        } catch (const Error &error) {
            QVERIFY2(error.message().contains(QStringLiteral("2. sora hosszabb")), qPrintable(error.message()));
        }
        const QString fifo = dir.filePath(QStringLiteral("cso.csv"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QProcess writer;
        writer.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("printf 'A;b\\nC;d\\n' > \"$0\""), fifo});
        QCOMPARE(ReadImportFile(fifo).text, QStringLiteral("A;b\nC;d\n"));
        QVERIFY(writer.waitForFinished());
    }

    // A database, picture or worksheet chosen by mistake is refused, not turned into clients.
    void fileThatIsNotTextIsRefused()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Kartevo.sqb"));
        test::WriteBytes(file, QByteArrayLiteral("SQLite format 3\0\x10\0;x;1011;Budapest;"));
        try {
            ReadImportFile(file);
            QFAIL("a binary file was read as clients");
        } catch (const Error &error) {
            QVERIFY(error.message().contains(QStringLiteral("nem szöveges")));
        }
    }
};

QTEST_GUILESS_MAIN(TestCsvImport)
#include "tst_csvimport.moc"
