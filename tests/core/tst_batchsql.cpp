// kartevo-batch sql: an SQL file run as the console runs a script, from the command line.
#include "core/codec.h"
#include "core/database.h"
#include "tools/sqlconsole.h"
#include "batchrunner.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;

class TestBatchSql : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void run_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("names"); // the names of clients 1 to 3 afterwards
        QTest::newRow("three statements")
            << QStringLiteral("UPDATE ugyfel SET ugyfel_nev='Első; Kft.' WHERE ugyfel=1;\r\n"
                              "UPDATE ugyfel SET ugyfel_nev='Második' WHERE ugyfel=2;\r\n"
                              "UPDATE ugyfel SET ugyfel_nev='Harmadik' WHERE ugyfel=3;\r\n")
            << 0 << QStringLiteral("SQL futtatás kész.\n") << QStringLiteral("Első; Kft.|Második|Harmadik");
        QTest::newRow("error in the second")
            << QStringLiteral("UPDATE ugyfel SET ugyfel_nev='Első' WHERE ugyfel=1;\r\n"
                              "UPDATE nincs SET a=1;\r\n"
                              "UPDATE ugyfel SET ugyfel_nev='Harmadik' WHERE ugyfel=3;\r\n")
            << 1 << QStringLiteral("SQL hiba:\nno such table: nincs\n") << QStringLiteral("Első|B|C");
        QTest::newRow("no closing semicolon")
            << QStringLiteral("UPDATE ugyfel SET ugyfel_nev='Első' WHERE ugyfel=1") << 1
            << IncompleteScriptText(1) + QStringLiteral("\n") << QStringLiteral("A|B|C");
        // One unbalanced quote makes the rest of the text one literal: nothing is complete.
        QTest::newRow("unbalanced quote")
            << QStringLiteral("-- first\r\n# don't\r\nUPDATE ugyfel SET ugyfel_nev='Első' WHERE ugyfel=1;\r\n") << 1
            << IncompleteScriptText(2) + QStringLiteral("\n") << QStringLiteral("A|B|C");
        // A transaction left open is taken back, and the run fails.
        QTest::newRow("begin without commit")
            << QStringLiteral("BEGIN;\r\nDELETE FROM ugyfel;\r\n") << 1
            << OpenTransactionText() + QStringLiteral("\n") << QStringLiteral("A|B|C");
        QTest::newRow("error inside a transaction")
            << QStringLiteral("BEGIN;\r\nUPDATE ugyfel SET ugyfel_nev='Első' WHERE ugyfel=1;\r\nUPDATE nincs SET a=1;\r\n")
            << 1 << QStringLiteral("SQL hiba:\nno such table: nincs\n") + OpenTransactionText() + QStringLiteral("\n")
            << QStringLiteral("A|B|C");
        QTest::newRow("own commit")
            << QStringLiteral("BEGIN;\r\nUPDATE ugyfel SET ugyfel_nev='Első' WHERE ugyfel=1;\r\nCOMMIT;\r\n-- done\r\n")
            << 0 << QStringLiteral("SQL futtatás kész.\n") << QStringLiteral("Első|B|C");
    }
    void run()
    {
        QFETCH(QString, script);
        QFETCH(int, code);
        QFETCH(QString, output);
        QFETCH(QString, names);
        QTemporaryDir dir;
        const QString dbPath = DeliveredDatabase(dir);
        {
            Database db;
            db.open(dbPath);
            db.exec(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (1,'A'),(2,'B'),(3,'C');"));
        }
        const QString file = dir.filePath(QStringLiteral("proba.sql"));
        WriteBytes(file, ToCp1250(script));
        const BatchResult result = RunBatch({QStringLiteral("--db"), dbPath, QStringLiteral("sql"), file},
                                            dir.filePath(QStringLiteral("xdg")));
        QCOMPARE(result.code, code);
        QCOMPARE(code == 0 ? result.out : result.err, output);
        Database db;
        db.open(dbPath);
        QCOMPARE(SqlValue(db, QStringLiteral("SELECT group_concat(ugyfel_nev, '|') FROM "
                                             "(SELECT ugyfel_nev FROM ugyfel ORDER BY ugyfel)")).toString(),
                 names);
    }

    void missingFile()
    {
        QTemporaryDir dir;
        const BatchResult result = RunBatch({QStringLiteral("--db"), DeliveredDatabase(dir), QStringLiteral("sql"),
                                             dir.filePath(QStringLiteral("nincs.sql"))},
                                            dir.filePath(QStringLiteral("xdg")));
        QCOMPARE(result.code, 1);
        QVERIFY(result.err.contains(QStringLiteral("nincs.sql")));
    }
};

QTEST_GUILESS_MAIN(TestBatchSql)
#include "tst_batchsql.moc"
