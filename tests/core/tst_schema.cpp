#include "core/codec.h"
#include "core/database.h"
#include "core/error.h"
#include "core/schema.h"
#include "core/statement.h"
#include "core/tableview.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;

namespace {

const QString kCimkeScript = QStringLiteral(KARTEVO_SOURCE_DIR "/data/cimke.sql");

const QStringList kLaterSteps = {
    QStringLiteral("ALTER TABLE ugyfel ADD jelolve CHAR(1);"),
    QStringLiteral("UPDATE ugyfel SET jelolve='N';"),
    QStringLiteral("ALTER TABLE ugyfel ADD csoport CHAR(50);"),
    QStringLiteral("ALTER TABLE ugyfel ADD csoports CHAR(50);"),
    QStringLiteral("CREATE TABLE csoport (csoport CHAR(50), csoports CHAR(50), PRIMARY KEY (csoport));"),
    QStringLiteral("CREATE TABLE betoltes (betoltes INTEGER PRIMARY KEY, idopont CHAR(19), forras CHAR(255));"),
    QStringLiteral("CREATE TABLE betoltes_ugyfel (betoltes INTEGER, ugyfel INTEGER, ujjlenyomat CHAR(40), "
                   "PRIMARY KEY (betoltes, ugyfel));"),
    QStringLiteral("CREATE TABLE betoltes_ugyfelek (betoltes INTEGER PRIMARY KEY, ugyfelek BLOB);"),
    QStringLiteral("CREATE TABLE betoltes_csoport (betoltes INTEGER, csoport CHAR(50), PRIMARY KEY (betoltes, csoport));"),
    QStringLiteral("CREATE TABLE betoltes_terkep (fejlec CHAR(40), terkep CHAR(255), PRIMARY KEY (fejlec));"),
};

// The tables the upgrade adds beside the label formats and the groups, in name order.
const QStringList kImportTables = {QStringLiteral("betoltes"), QStringLiteral("betoltes_csoport"),
                                   QStringLiteral("betoltes_terkep"), QStringLiteral("betoltes_ugyfel"),
                                   QStringLiteral("betoltes_ugyfelek")};

} // namespace

class TestSchema : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void foldAccents_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("town") << QStringLiteral("Székesfehérvár") << QStringLiteral("SZEKESFEHERVAR");
        QTest::newRow("every Hungarian accent, small")
            << QStringLiteral("áéíóőöúűü") << QStringLiteral("AEIOOOUUU");
        QTest::newRow("every Hungarian accent, capital")
            << QStringLiteral("ÁÉÍÓŐÖÚŰÜ") << QStringLiteral("AEIOOOUUU");
        QTest::newRow("other accents are only upper-cased")
            << QStringLiteral("äôč Ärger") << QStringLiteral("ÄÔČ ÄRGER");
        QTest::newRow("digits and signs") << QStringLiteral("1-2. em/3") << QStringLiteral("1-2. EM/3");
        QTest::newRow("Latin Extended-A, letter by letter")
            << QStringLiteral("ďěňřšť ıſÿ") << QStringLiteral("ĎĚŇŘŠŤ ISŸ");
        QTest::newRow("capitals longer than their letter, the whole text")
            << QStringLiteral("Straße µ ŉ ű") << QStringLiteral("STRASSE Μ ʼN U");
        QTest::newRow("empty") << QString() << QString();
    }
    void foldAccents()
    {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(FoldAccents(text), folded);
    }

    void sortKey_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("key");
        QTest::newRow("NULL") << QVariant() << QString();
        QTest::newRow("short") << QVariant(QStringLiteral("Győr")) << QStringLiteral("GYOR");
        QTest::newRow("30 characters") << QVariant(QStringLiteral("Árvíztűrő Tükörfúrógépgyártó B"))
                                       << QStringLiteral("ARVIZTURO TUKORFUROG");
        QTest::newRow("number") << QVariant(1234) << QStringLiteral("1234");
    }
    void sortKey()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, key);
        QCOMPARE(SortKey(value), key);
        QVERIFY(SortKey(value).size() <= 20);
    }

    // The key is made letter by letter where a capital is one letter; every other text goes
    // through the whole text's capitals. Both ways give the first 20 characters of the folded
    // text, also where a capital is longer than its letter or a pair of code units is cut; from
    // UTF-8 text too.
    void sortKeyAgreesWithFolding_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("Hungarian, lower case") << QStringLiteral("árvíztűrő tükörfúrógép");
        QTest::newRow("Latin Extended-A") << QStringLiteral("ďěňřšťžľĺŕ ąćęłńśźż ıſÿ");
        QTest::newRow("sharp s at the start") << QStringLiteral("ßtraße Großhandel Kft.");
        QTest::newRow("sharp s at 19") << QStringLiteral("abcdefghijklmnopqrßt");
        QTest::newRow("apostrophe n") << QStringLiteral("ŉa");
        QTest::newRow("micro sign, ligature, Greek") << QStringLiteral("µ ﬁ ΐ ω");
        QTest::newRow("pair cut at 20") << QStringLiteral("abcdefghijklmnopqrs") + QString::fromUcs4(U"\U00010428x");
        QTest::newRow("exactly 20") << QStringLiteral("Ügyfél és Társa Bt.!");
        QTest::newRow("signs and digits") << QStringLiteral("1055 Budapest, Fő u. 1/a.");
    }
    void sortKeyAgreesWithFolding()
    {
        QFETCH(QString, text);
        QCOMPARE(SortKey(text), FoldAccents(text).left(20));
        char key[kSortKeyUtf8Size];
        QCOMPARE(QByteArray(key, SortKeyOfUtf8(text.toUtf8(), key)), FoldAccents(text).left(20).toUtf8());
    }

    void nextId_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("table");
        QTest::addColumn<qint64>("next");
        QTest::newRow("empty table") << QList<int>() << QString() << qint64(1);
        QTest::newRow("gap") << QList<int>({1, 2, 9}) << QString() << qint64(10);
        QTest::newRow("table named") << QList<int>({4}) << QStringLiteral("ugyfel") << qint64(5);
        QTest::newRow("other table") << QList<int>({4}) << QStringLiteral("masik") << qint64(8);
    }
    void nextId()
    {
        QFETCH(QList<int>, keys);
        QFETCH(QString, table);
        QFETCH(qint64, next);
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        db.exec(QStringLiteral("CREATE TABLE ugyfel (ugyfel INTEGER PRIMARY KEY, ugyfel_nev CHAR(75));"
                               "CREATE TABLE masik (ugyfel INTEGER); INSERT INTO masik VALUES (7);"));
        for (int key : std::as_const(keys))
            db.exec(QStringLiteral("INSERT INTO ugyfel (ugyfel) VALUES (%1)").arg(key));
        QCOMPARE(NextId(db, QStringLiteral("ugyfel"), table), next);
    }

    void nextIdReportsTheEnginesError_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing table") << QStringLiteral("ugyfel") << QStringLiteral("nincs")
                                       << QStringLiteral("no such table: nincs");
        QTest::newRow("missing column") << QStringLiteral("nincs") << QStringLiteral("ugyfel")
                                        << QStringLiteral("no such column: nincs");
        QTest::newRow("table defaults to the column") << QStringLiteral("kod") << QString()
                                                      << QStringLiteral("no such table: kod");
    }
    void nextIdReportsTheEnginesError()
    {
        QFETCH(QString, column);
        QFETCH(QString, table);
        QFETCH(QString, message);
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        db.exec(QStringLiteral("CREATE TABLE ugyfel (ugyfel INTEGER PRIMARY KEY)"));
        try {
            NextId(db, column, table);
            QFAIL("no error");
        } catch (const Error &error) {
            QCOMPARE(error.message(), message);
        }
    }

    void runSqlDropsErrors()
    {
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        RunSQL(db, QStringLiteral("CREATE TABLE a (x)"));
        RunSQL(db, QStringLiteral("CREATE TABLE a (x)"));
        RunSQL(db, QStringLiteral("nem SQL"));
        RunSQL(db, QString());
        QCOMPARE(db.tableNames(), QStringList({QStringLiteral("a")}));
    }

    void upgradeDeliveredDatabase()
    {
        QTemporaryDir dir;
        Database db;
        db.open(DeliveredDatabase(dir));
        db.exec(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (1, 'Első'), (2, 'Második'), (5, 'Ötödik');"));

        const QStringList run = UpgradeSchema(db, kCimkeScript);

        // The label formats first, in file order and in one transaction, then the other steps.
        const QStringList script = ReadCp1250Lines(kCimkeScript);
        QCOMPARE(script.size(), 439);
        QCOMPARE(run.size(), 1 + script.size() + 1 + kLaterSteps.size());
        QCOMPARE(run.first(), QStringLiteral("BEGIN;"));
        QCOMPARE(run.mid(1, script.size()), script);
        QCOMPARE(run.at(script.size() + 1), QStringLiteral("COMMIT;"));
        QCOMPARE(run.mid(script.size() + 2), kLaterSteps);

        QCOMPARE(SqlValue(db, QStringLiteral("SELECT count(*) FROM cimke")).toInt(), 438);
        QCOMPARE(SqlValue(db, QStringLiteral("SELECT cimke FROM cimke WHERE id = 1")),
                 QVariant(QStringLiteral("Avery 18036")));
        QCOMPARE(SqlValue(db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve = 'N'")).toInt(), 3);
        QCOMPARE(db.columnNames(QStringLiteral("ugyfel")).mid(9),
                 QStringList({QStringLiteral("jelolve"), QStringLiteral("csoport"), QStringLiteral("csoports")}));
        QCOMPARE(db.columnWidths(QStringLiteral("ugyfel")).mid(9), QList<int>({1, 50, 50}));
        QCOMPARE(db.columnNames(QStringLiteral("csoport")),
                 QStringList({QStringLiteral("csoport"), QStringLiteral("csoports")}));
        QCOMPARE(db.tableNames(), kImportTables + QStringList({QStringLiteral("cimke"), QStringLiteral("csoport"),
                                                               QStringLiteral("irsz"), QStringLiteral("tulajdonos"),
                                                               QStringLiteral("ugyfel")}));

        // A second run finds everything in place.
        QCOMPARE(UpgradeSchema(db, kCimkeScript), QStringList());
        QCOMPARE(SqlValue(db, QStringLiteral("SELECT count(*) FROM cimke")).toInt(), 438);
    }

    void upgradeRunsOnlyTheMissingSteps_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("expected");
        // The label table is in place in every case, so the script is never read (its path is
        // a missing file here).
        QTest::newRow("only the mark missing")
            << QStringLiteral("CREATE TABLE cimke (id); CREATE TABLE csoport (csoport);"
                              "CREATE TABLE ugyfel (ugyfel, csoport, csoports); INSERT INTO ugyfel VALUES (1, NULL, NULL);")
            << kLaterSteps.mid(0, 2) + kLaterSteps.mid(5);
        QTest::newRow("only the group sort key missing")
            << QStringLiteral("CREATE TABLE cimke (id); CREATE TABLE csoport (csoport);"
                              "CREATE TABLE ugyfel (ugyfel, jelolve, csoport);")
            << kLaterSteps.mid(3, 1) + kLaterSteps.mid(5);
        QTest::newRow("only the group table missing")
            << QStringLiteral("CREATE TABLE cimke (id); CREATE TABLE ugyfel (ugyfel, jelolve, csoport, csoports);")
            << kLaterSteps.mid(4, 1) + kLaterSteps.mid(5);
        QTest::newRow("names in other case")
            << QStringLiteral("CREATE TABLE CIMKE (id); CREATE TABLE Csoport (csoport);"
                              "CREATE TABLE Ugyfel (ugyfel, JELOLVE, Csoport, CSOPORTS); CREATE TABLE BETOLTES (a);"
                              "CREATE TABLE Betoltes_Ugyfel (a); CREATE TABLE BETOLTES_UGYFELEK (a); CREATE TABLE BETOLTES_csoport (a);"
                              "CREATE TABLE betoltes_TERKEP (a);")
            << QStringList();
        QTest::newRow("no client table")
            << QStringLiteral("CREATE TABLE cimke (id);") << kLaterSteps;
    }
    void upgradeRunsOnlyTheMissingSteps()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        db.exec(setup);
        QCOMPARE(UpgradeSchema(db, dir.filePath(QStringLiteral("nincs.sql"))), expected);
        QVERIFY(db.tableNames().contains(QStringLiteral("csoport"), Qt::CaseInsensitive));
        QCOMPARE(UpgradeSchema(db, dir.filePath(QStringLiteral("nincs.sql"))),
                 db.tableNames().contains(QStringLiteral("ugyfel"), Qt::CaseInsensitive) ? QStringList() : kLaterSteps.mid(0, 4));
    }

    void upgradeWithoutClientTableStillRunsTheOtherSteps()
    {
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        const QStringList run = UpgradeSchema(db, kCimkeScript);
        QCOMPARE(run.mid(run.size() - kLaterSteps.size()), kLaterSteps);
        QCOMPARE(SqlValue(db, QStringLiteral("SELECT count(*) FROM cimke")).toInt(), 438);
        QCOMPARE(db.tableNames(), kImportTables + QStringList({QStringLiteral("cimke"), QStringLiteral("csoport")}));
    }

    void upgradeWithAMissingScriptThrows()
    {
        QTemporaryDir dir;
        Database db;
        db.open(DeliveredDatabase(dir));
        QVERIFY_THROWS_EXCEPTION(Error, UpgradeSchema(db, dir.filePath(QStringLiteral("nincs.sql"))));
        QVERIFY(!db.tableNames().contains(QStringLiteral("cimke")));
        QVERIFY(!db.columnNames(QStringLiteral("ugyfel")).contains(QStringLiteral("jelolve")));
    }

    void upgradeSkipsBadLinesOfTheScript()
    {
        QTemporaryDir dir;
        const QString script = dir.filePath(QStringLiteral("cimke.sql"));
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ToCp1250(QStringLiteral("CREATE TABLE cimke (id INTEGER PRIMARY KEY, cimke CHAR(25));\r\n"
                                           "\r\n"
                                           "ez nem SQL\r\n"
                                           "INSERT INTO cimke VALUES (1, 'Őrző 1');\r\n"
                                           "INSERT INTO cimke VALUES (1, 'kettős kulcs');\r\n"
                                           "INSERT INTO cimke VALUES (2, 'Űrlap 2');\r\n")));
        file.close();
        Database db;
        db.open(EmptyDatabase(dir));
        UpgradeSchema(db, script);
        Statement labels(db, QStringLiteral("SELECT group_concat(cimke, '|') FROM cimke"));
        QVERIFY(labels.step());
        QCOMPARE(labels.column(0).toString(), QStringLiteral("Őrző 1|Űrlap 2"));
    }

    void clientWriteRule_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("town");
        QTest::addColumn<QVariant>("contact");
        QTest::addColumn<QVariant>("group");
        QTest::addColumn<QVariant>("key");
        QTest::addColumn<QStringList>("sortKeys"); // ugyfel_nevs, cim_vaross, kapcsolats, csoports
        QTest::addColumn<qint64>("storedKey");
        // The table holds the keys 1, 2 and 9.
        QTest::newRow("town folded, no key")
            << QStringLiteral("Kiss Péter") << QStringLiteral("Székesfehérvár") << QVariant(QStringLiteral("Kiss Éva"))
            << QVariant(QStringLiteral("Ügyfelek")) << QVariant()
            << QStringList({QStringLiteral("KISS PETER"), QStringLiteral("SZEKESFEHERVAR"), QStringLiteral("KISS EVA"),
                            QStringLiteral("UGYFELEK")})
            << qint64(10);
        QTest::newRow("long name, key 0")
            << QStringLiteral("Árvíztűrő Tükörfúrógépgyártó B") << QStringLiteral("Győr") << QVariant()
            << QVariant() << QVariant(0)
            << QStringList({QStringLiteral("ARVIZTURO TUKORFUROG"), QStringLiteral("GYOR"), QString(), QString()})
            << qint64(10);
        QTest::newRow("lower case, empty key")
            << QStringLiteral("nagy és társa bt.") << QStringLiteral("őrbottyán") << QVariant(QStringLiteral("ügyintéző"))
            << QVariant(QStringLiteral("szállító")) << QVariant(QStringLiteral(""))
            << QStringList({QStringLiteral("NAGY ES TARSA BT."), QStringLiteral("ORBOTTYAN"), QStringLiteral("UGYINTEZO"),
                            QStringLiteral("SZALLITO")})
            << qint64(10);
        QTest::newRow("key kept")
            << QStringLiteral("Ödön") << QStringLiteral("Pécs") << QVariant() << QVariant() << QVariant(42)
            << QStringList({QStringLiteral("ODON"), QStringLiteral("PECS"), QString(), QString()}) << qint64(42);
    }
    void clientWriteRule()
    {
        QFETCH(QString, name);
        QFETCH(QString, town);
        QFETCH(QVariant, contact);
        QFETCH(QVariant, group);
        QFETCH(QVariant, key);
        QFETCH(QStringList, sortKeys);
        QFETCH(qint64, storedKey);
        QTemporaryDir dir;
        Database db;
        db.open(DeliveredDatabase(dir));
        UpgradeSchema(db, kCimkeScript);
        db.exec(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (1, 'a'), (2, 'b'), (9, 'c');"));

        TableView clients(db, QStringLiteral("ugyfel"));
        clients.beforePost = ApplyClientWriteRule;
        clients.open();
        clients.append();
        clients.setValue(QStringLiteral("ugyfel_nev"), name);
        clients.setValue(QStringLiteral("cim_varos"), town);
        clients.setValue(QStringLiteral("kapcsolat"), contact);
        clients.setValue(QStringLiteral("csoport"), group);
        clients.setValue(QStringLiteral("ugyfel"), key);
        clients.post();

        QCOMPARE(clients.asInteger(QStringLiteral("ugyfel")), storedKey);
        Statement stored(db, QStringLiteral("SELECT ugyfel_nevs, cim_vaross, kapcsolats, csoports FROM ugyfel "
                                            "WHERE ugyfel = ?"));
        stored.bind(1, storedKey);
        QVERIFY(stored.step());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(stored.column(i).toString(), sortKeys.at(i));
    }

    void clientWriteRuleOnEdit()
    {
        QTemporaryDir dir;
        Database db;
        db.open(DeliveredDatabase(dir));
        UpgradeSchema(db, kCimkeScript);
        db.exec(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev, ugyfel_nevs) VALUES (3, 'Régi', 'REGI'), (7, 'x', 'X');"));
        TableView clients(db, QStringLiteral("ugyfel"));
        clients.beforePost = ApplyClientWriteRule;
        clients.open();
        QVERIFY(clients.locateValue(QStringLiteral("ugyfel"), 3));
        clients.edit();
        clients.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Új Név"));
        clients.post();
        QCOMPARE(SqlValue(db, QStringLiteral("SELECT ugyfel_nevs FROM ugyfel WHERE ugyfel = 3")),
                 QVariant(QStringLiteral("UJ NEV")));
        QCOMPARE(SqlValue(db, QStringLiteral("SELECT count(*) FROM ugyfel")).toInt(), 2);
    }

    void clientWriteRuleBeforeTheUpgrade()
    {
        QTemporaryDir dir;
        Database db;
        db.open(DeliveredDatabase(dir));
        TableView clients(db, QStringLiteral("ugyfel"));
        clients.beforePost = ApplyClientWriteRule;
        clients.open();
        clients.append();
        clients.setValue(QStringLiteral("ugyfel_nev"), QStringLiteral("Tóth"));
        clients.post();
        QCOMPARE(SqlValue(db, QStringLiteral("SELECT ugyfel || ' ' || ugyfel_nevs FROM ugyfel")),
                 QVariant(QStringLiteral("1 TOTH")));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
