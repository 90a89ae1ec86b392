// The SQL console without its window: which texts are queries, where a script's statements end,
// the script run statement by statement with its stop at the first error, and SQL files.
#include "core/codec.h"
#include "tools/sqlconsole.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;

class TestSqlConsole : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void selectTest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isQuery");
        QTest::newRow("lower case after blank lines") << QStringLiteral("\r\n\r\n  \tselect * from ugyfel") << true;
        QTest::newRow("control characters in front") << QStringLiteral("\x01\x1fSeLeCt 1") << true;
        QTest::newRow("update") << QStringLiteral("UPDATE ugyfel SET jelolve='I';") << false;
        QTest::newRow("comment first") << QStringLiteral("-- list\nSELECT 1") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void selectTest()
    {
        QFETCH(QString, text);
        QFETCH(bool, isQuery);
        QCOMPARE(IsSelectText(text), isQuery);
    }

    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("statements");
        QTest::addColumn<QString>("rest");
        QTest::newRow("three, with the breaks before each")
            << QStringLiteral("A;\r\nB;\r\n  C;")
            << QStringList{QStringLiteral("A;"), QStringLiteral("\r\nB;"), QStringLiteral("\r\n  C;")} << QString();
        QTest::newRow("no closing semicolon")
            << QStringLiteral("UPDATE ugyfel SET jelolve='I'") << QStringList{}
            << QStringLiteral("UPDATE ugyfel SET jelolve='I'");
        QTest::newRow("text after the last statement")
            << QStringLiteral("DELETE FROM x;\nUPDATE x SET a=1")
            << QStringList{QStringLiteral("DELETE FROM x;")} << QStringLiteral("\nUPDATE x SET a=1");
        QTest::newRow("semicolon in a string literal")
            << QStringLiteral("INSERT INTO x VALUES('a;b');")
            << QStringList{QStringLiteral("INSERT INTO x VALUES('a;b');")} << QString();
        QTest::newRow("semicolon in comments and a quoted name")
            << QStringLiteral("-- első; második\nUPDATE \"a;b\" SET c=1 /* ; */;")
            << QStringList{QStringLiteral("-- első; második\nUPDATE \"a;b\" SET c=1 /* ; */;")} << QString();
        QTest::newRow("trigger body")
            << QStringLiteral("CREATE TRIGGER t AFTER INSERT ON x BEGIN UPDATE y SET a=1; END;")
            << QStringList{QStringLiteral("CREATE TRIGGER t AFTER INSERT ON x BEGIN UPDATE y SET a=1; END;")}
            << QString();
        QTest::newRow("doubled quote and bracketed name")
            << QStringLiteral("UPDATE [a;b] SET c='it''s;';DELETE FROM `x;`;")
            << QStringList{QStringLiteral("UPDATE [a;b] SET c='it''s;';"), QStringLiteral("DELETE FROM `x;`;")}
            << QString();
        QTest::newRow("unbalanced quote in a comment-like line")
            << QStringLiteral("# don't\nDELETE FROM x;") << QStringList{} << QStringLiteral("# don't\nDELETE FROM x;");
    }
    void split()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, statements);
        QFETCH(QString, rest);
        QString actualRest;
        QCOMPARE(SplitSqlScript(text, &actualRest), statements);
        QCOMPARE(actualRest, rest);
    }

    // A script runs statement by statement; the first failing one stops it with the engine's
    // message, the ones before it stay done, the ones after it are not run.
    void script_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<int>>("progress");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("message");
        const QString one = QStringLiteral("INSERT INTO t VALUES('1');");
        QTest::newRow("three statements")
            << one + QStringLiteral("\r\nINSERT INTO t VALUES('2');\r\nINSERT INTO t VALUES('3');")
            << true << QList<int>{0, 1, 2, 3}
            << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}
            << QStringLiteral("SQL futtatás kész.");
        QTest::newRow("error in the second")
            << one + QStringLiteral("\r\nINSERT INTO nincs VALUES('2');\r\nINSERT INTO t VALUES('3');")
            << false << QList<int>{0, 1} << QStringList{QStringLiteral("1")}
            << QStringLiteral("SQL hiba:\r\nno such table: nincs");
        QTest::newRow("semicolon in a literal")
            << QStringLiteral("INSERT INTO t VALUES('x;y');") << true << QList<int>{0, 1}
            << QStringList{QStringLiteral("x;y")} << QStringLiteral("SQL futtatás kész.");
        QTest::newRow("last statement without semicolon")
            << one + QStringLiteral("\nUPDATE t SET a='4'") << false << QList<int>{0, 1}
            << QStringList{QStringLiteral("1")} << IncompleteScriptText(2);
        QTest::newRow("only a comment after the last statement")
            << one + QStringLiteral("\n-- vége; /* megjegyzés */") << true << QList<int>{0, 1}
            << QStringList{QStringLiteral("1")} << QStringLiteral("SQL futtatás kész.");
        QTest::newRow("transaction left open")
            << QStringLiteral("BEGIN;") + one << false << QList<int>{0, 1, 2} << QStringList{}
            << OpenTransactionText();
        QTest::newRow("attach of a file that cannot be opened")
            << QStringLiteral("ATTACH '/nincs/ilyen/mappa/x.sqb' AS x;") << false << QList<int>{0} << QStringList{}
            << QStringLiteral("SQL hiba:\r\nA megadott adatbázisfájl nem nyitható meg: /nincs/ilyen/mappa/x.sqb");
        QTest::newRow("schema written by hand")
            << QStringLiteral("PRAGMA writable_schema=ON;UPDATE sqlite_master SET sql='x' WHERE name='t';") << false
            << QList<int>{0, 1} << QStringList{} << QStringLiteral("SQL hiba:\r\ntable sqlite_master may not be modified");
        QTest::newRow("empty text") << QStringLiteral("  \r\n") << true << QList<int>{0} << QStringList{}
                                    << QStringLiteral("SQL futtatás kész.");
    }
    void script()
    {
        QFETCH(QString, script);
        QFETCH(bool, ok);
        QFETCH(QList<int>, progress);
        QFETCH(QStringList, rows);
        QFETCH(QString, message);
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        db.exec(QStringLiteral("CREATE TABLE t (a TEXT)"));
        SqlConsole console(db);
        QList<int> steps;
        int total = -1;
        const SqlConsole::Outcome outcome = console.run(script, [&](int done, int all) {
            steps.append(done);
            total = all;
        });
        QVERIFY(!outcome.isQuery);
        QCOMPARE(outcome.ok, ok);
        QCOMPARE(outcome.message, message);
        QCOMPARE(steps, progress);
        QCOMPARE(outcome.executed, progress.last());
        QCOMPARE(total, int(SplitSqlScript(TrimSqlText(script)).size()));
        QStringList found;
        Query read(db);
        read.setSql(QStringLiteral("SELECT a FROM t ORDER BY rowid"));
        read.open();
        for (int row = 0; row < read.recordCount(); ++row)
            found.append(read.cell(row, 0).toString());
        QCOMPARE(found, rows);
    }

    void query()
    {
        DemoDatabase demo;
        SqlConsole console(demo.db);
        SqlConsole::Outcome outcome = console.run(QStringLiteral("\n\nselect ugyfel_nev, ugyfel from ugyfel order by ugyfel"));
        QVERIFY(outcome.isQuery);
        QVERIFY(outcome.ok);
        QVERIFY(outcome.message.isEmpty());
        QCOMPARE(console.query().recordCount(), 30);
        QCOMPARE(console.query().fieldNames(), (QStringList{QStringLiteral("ugyfel_nev"), QStringLiteral("ugyfel")}));

        // A failed query leaves no result behind.
        outcome = console.run(QStringLiteral("SELECT nincs FROM ugyfel"));
        QVERIFY(outcome.isQuery);
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.message, QStringLiteral("SQL hiba:\r\nno such column: nincs"));
        QVERIFY(!console.query().isOpen());
    }

    // SQL files are code page 1250 with CR LF after every line, whatever the editor holds.
    void files()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("proba.sql"));
        const QString text = QStringLiteral("UPDATE ugyfel SET varos='Győr';\nSELECT 1;\r\n-- vége");
        WriteSqlFile(file, text);
        QCOMPARE(ReadBytes(file), ToCp1250(u"UPDATE ugyfel SET varos='Győr';\r\nSELECT 1;\r\n-- vége\r\n"));
        QCOMPARE(ReadSqlFile(file), QStringLiteral("UPDATE ugyfel SET varos='Győr';\nSELECT 1;\n-- vége"));
        QVERIFY_THROWS_EXCEPTION(Error, ReadSqlFile(dir.filePath(QStringLiteral("nincs.sql"))));
        // Devices, zero bytes and UTF-16 are refused, never read as a script.
        for (const QByteArray &bytes : {QByteArray("SELECT 1;\0\0", 11), QByteArray("\xFF\xFES\0E\0;\0", 8)}) {
            WriteBytes(file, bytes);
            QVERIFY_THROWS_EXCEPTION(Error, ReadSqlFile(file));
        }
        QVERIFY_THROWS_EXCEPTION(Error, ReadSqlFile(QStringLiteral("/dev/zero")));
        QVERIFY_THROWS_EXCEPTION(Error, ReadSqlFile(dir.path()));
        QVERIFY_THROWS_EXCEPTION(Error, WriteSqlFile(dir.filePath(QStringLiteral("nincs/x.sql")), text));
    }
};

QTEST_GUILESS_MAIN(TestSqlConsole)
#include "tst_sqlconsole.moc"
