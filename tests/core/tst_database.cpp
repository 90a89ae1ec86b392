#include "core/database.h"
#include "core/error.h"
#include "core/statement.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void openRefusesWhatIsNotAnExistingFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << QStringLiteral("nincs.sqb");
        QTest::newRow("missing folder") << QStringLiteral("nincs/nincs.sqb");
        QTest::newRow("empty path") << QString();
        QTest::newRow("in-memory name") << QStringLiteral(":memory:");
        QTest::newRow("a folder") << QStringLiteral(".");
    }
    void openRefusesWhatIsNotAnExistingFile()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = name.isEmpty() || name.startsWith(QLatin1Char(':')) ? name : dir.filePath(name);
        Database db;
        QVERIFY_THROWS_EXCEPTION(Error, db.open(path));
        QVERIFY(!db.isOpen());
        QVERIFY(db.path().isEmpty());
        // Nothing may have been created: neither the file nor a journal beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void openRefusesAFileThatIsNotADatabase()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("szoveg.sqb"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
        file.close();
        Database db;
        QVERIFY_THROWS_EXCEPTION(Error, db.open(path));
        QVERIFY(!db.isOpen());
    }

    void openDeliveredDatabase()
    {
        QTemporaryDir dir;
        const QString path = DeliveredDatabase(dir);
        Database db;
        db.open(path);
        QVERIFY(db.isOpen());
        QVERIFY(db.handle() != nullptr);
        QCOMPARE(db.path(), path);
        QCOMPARE(db.tableNames(), QStringList({QStringLiteral("irsz"), QStringLiteral("tulajdonos"),
                                               QStringLiteral("ugyfel")}));
        QCOMPARE(db.columnNames(QStringLiteral("ugyfel")),
                 QStringList({QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nev"), QStringLiteral("kapcsolat"),
                              QStringLiteral("cim_irsz"), QStringLiteral("cim_varos"), QStringLiteral("cim_cim"),
                              QStringLiteral("ugyfel_nevs"), QStringLiteral("cim_vaross"),
                              QStringLiteral("kapcsolats")}));
        QCOMPARE(db.columnWidths(QStringLiteral("ugyfel")), QList<int>({0, 75, 75, 8, 25, 75, 20, 20, 20}));
        QCOMPARE(db.columnNames(QStringLiteral("nincs")), QStringList());
        db.close();
        QVERIFY(!db.isOpen());
        QVERIFY(db.path().isEmpty());
        QVERIFY_THROWS_EXCEPTION(Error, db.tableNames());
    }

    void columnWidth_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("width");
        QTest::newRow("CHAR(75)") << QStringLiteral("ugyfel_nev") << 75;
        QTest::newRow("CHAR(8)") << QStringLiteral("cim_irsz") << 8;
        QTest::newRow("name in other case") << QStringLiteral("CIM_VAROSS") << 20;
        QTest::newRow("INTEGER") << QStringLiteral("ugyfel") << 0;
        QTest::newRow("missing column") << QStringLiteral("nincs") << 0;
    }
    void columnWidth()
    {
        QFETCH(QString, column);
        QFETCH(int, width);
        QTemporaryDir dir;
        Database db;
        db.open(DeliveredDatabase(dir));
        QCOMPARE(db.columnWidth(QStringLiteral("ugyfel"), column), width);
    }

    void declaredWidth_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("width");
        QTest::newRow("CHAR(20)") << QStringLiteral("CHAR(20)") << 20;
        QTest::newRow("lower case, spaces") << QStringLiteral("char ( 8 )") << 8;
        QTest::newRow("CHAR(1)") << QStringLiteral("CHAR(1)") << 1;
        QTest::newRow("INTEGER") << QStringLiteral("INTEGER") << 0;
        QTest::newRow("FLOAT") << QStringLiteral("FLOAT") << 0;
        QTest::newRow("TEXT") << QStringLiteral("TEXT") << 0;
        QTest::newRow("no type") << QString() << 0;
        QTest::newRow("CHAR without width") << QStringLiteral("CHAR") << 0;
    }
    void declaredWidth()
    {
        QFETCH(QString, type);
        QFETCH(int, width);
        QCOMPARE(Database::declaredWidth(type), width);
    }

    void execRunsSeveralStatementsAndReportsTheEnginesError()
    {
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        db.exec(QStringLiteral("CREATE TABLE a (x INTEGER); INSERT INTO a VALUES (1); INSERT INTO a VALUES (2);"));
        QCOMPARE(SqlValue(db, QStringLiteral("SELECT count(*) FROM a")).toInt(), 2);
        try {
            db.exec(QStringLiteral("SELECT * FROM nincs"));
            QFAIL("no error");
        } catch (const Error &error) {
            QCOMPARE(error.message(), QStringLiteral("no such table: nincs"));
        }
        QVERIFY_THROWS_EXCEPTION(Error, Statement(db, QStringLiteral("SELEC 1")));
        QVERIFY_THROWS_EXCEPTION(Error, Statement(db, QStringLiteral("INSERT INTO a VALUES (1, 2)")));
    }

    void stepFailureThrows()
    {
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        db.exec(QStringLiteral("CREATE TABLE a (x INTEGER PRIMARY KEY); INSERT INTO a VALUES (1);"));
        Statement insert(db, QStringLiteral("INSERT INTO a VALUES (?)"));
        insert.bind(1, 1);
        QVERIFY_THROWS_EXCEPTION(Error, insert.exec());
        // The statement can be used again after the failure.
        insert.reset();
        insert.bind(1, 2);
        insert.exec();
        QCOMPARE(db.changes(), 1);
        QCOMPARE(db.lastInsertRowId(), 2);
    }

    void bindAndReadBack_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("storedAs");
        QTest::addColumn<QVariant>("readBack");
        QTest::newRow("invalid") << QVariant() << QStringLiteral("null") << QVariant();
        QTest::newRow("typed null") << QVariant(QMetaType::fromType<int>()) << QStringLiteral("null") << QVariant();
        QTest::newRow("int") << QVariant(42) << QStringLiteral("integer") << QVariant(qint64(42));
        QTest::newRow("large") << QVariant(Q_INT64_C(9000000000)) << QStringLiteral("integer")
                               << QVariant(Q_INT64_C(9000000000));
        QTest::newRow("negative") << QVariant(-7) << QStringLiteral("integer") << QVariant(qint64(-7));
        QTest::newRow("bool") << QVariant(true) << QStringLiteral("integer") << QVariant(qint64(1));
        QTest::newRow("double") << QVariant(2.5) << QStringLiteral("real") << QVariant(2.5);
        QTest::newRow("accented text") << QVariant(QStringLiteral("Árvíztűrő ŐŰ"))
                                       << QStringLiteral("text") << QVariant(QStringLiteral("Árvíztűrő ŐŰ"));
        QTest::newRow("empty text") << QVariant(QString()) << QStringLiteral("text") << QVariant(QStringLiteral(""));
        QTest::newRow("bytes") << QVariant(QByteArray("a\0b", 3)) << QStringLiteral("blob")
                               << QVariant(QByteArray("a\0b", 3));
    }
    void bindAndReadBack()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, storedAs);
        QFETCH(QVariant, readBack);
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        Statement statement(db, QStringLiteral("SELECT typeof(:v), :v"));
        statement.bind(QStringLiteral(":v"), value);
        QVERIFY(statement.step());
        QCOMPARE(statement.column(0).toString(), storedAs);
        QCOMPARE(statement.column(1), readBack);
        QVERIFY(!statement.step());
    }

    void namedParameters()
    {
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        Statement statement(db, QStringLiteral("SELECT :elso - :masodik, ?"));
        QCOMPARE(statement.parameterCount(), 3);
        QCOMPARE(statement.parameterName(1), QStringLiteral(":elso"));
        QCOMPARE(statement.parameterName(3), QString());
        QCOMPARE(statement.parameterIndex(QStringLiteral("masodik")), 2);
        QCOMPARE(statement.parameterIndex(QStringLiteral("nincs")), 0);
        statement.bind(QStringLiteral(":elso"), 10);
        statement.bind(QStringLiteral("masodik"), 3);
        QVERIFY_THROWS_EXCEPTION(Error, statement.bind(QStringLiteral(":nincs"), 1));
        QVERIFY(statement.step());
        QCOMPARE(statement.columnCount(), 2);
        QCOMPARE(statement.column(0), QVariant(qint64(7)));
        QCOMPARE(statement.column(1), QVariant());
    }

    void statementsOneAfterTheOther()
    {
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabase(dir));
        const QByteArray text("SELECT 1; SELECT 'két';\n-- vége\n");
        qsizetype offset = 0;
        QStringList results;
        for (;;) {
            Statement statement(db, text, &offset);
            if (statement.isEmpty())
                break;
            QVERIFY(statement.step());
            results.append(statement.column(0).toString());
        }
        QCOMPARE(results, QStringList({QStringLiteral("1"), QStringLiteral("két")}));
        QCOMPARE(offset, text.size());
    }

    void lockIsNotWaitedFor()
    {
        QTemporaryDir dir;
        const QString path = EmptyDatabase(dir);
        Database first;
        first.open(path);
        first.exec(QStringLiteral("CREATE TABLE a (x)"));
        Database second;
        second.open(path);
        first.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        try {
            second.exec(QStringLiteral("INSERT INTO a VALUES (1)"));
            QFAIL("the second connection wrote through an exclusive lock");
        } catch (const Error &error) {
            QVERIFY2(error.message().contains(QStringLiteral("zárolva")), qPrintable(error.message()));
        }
        first.exec(QStringLiteral("COMMIT"));
        second.exec(QStringLiteral("INSERT INTO a VALUES (1)"));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
