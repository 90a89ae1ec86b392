#include "core/database.h"
#include "core/error.h"
#include "core/query.h"
#include "core/statement.h"
#include "core/tableview.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;

namespace {

// Rows chosen for the cursor and search rules: two names that differ only in case, two that
// differ only in an accented capital, a NULL name and NULL numbers.
const char *const kPeople = R"(
CREATE TABLE ember (id INTEGER PRIMARY KEY, nev CHAR(10), varos TEXT, kor INTEGER, suly FLOAT);
INSERT INTO ember VALUES (1, 'alma fa', 'Győr', 30, 70.5);
INSERT INTO ember VALUES (2, 'Alma', 'Pécs', 25, NULL);
INSERT INTO ember VALUES (3, 'Árpád', 'Eger', 40, 80.0);
INSERT INTO ember VALUES (4, 'árok', NULL, NULL, 60.25);
INSERT INTO ember VALUES (5, 'Bodri', 'Baja', 35, 90);
INSERT INTO ember VALUES (6, NULL, 'Ózd', 50, 55);
)";

QList<qint64> Ids(const DataSet &data)
{
    QList<qint64> ids;
    const int column = data.fieldIndex(QStringLiteral("id"));
    for (int row = 0; row < data.recordCount(); ++row)
        ids.append(data.cell(row, column).toLongLong());
    return ids;
}

} // namespace

class TestDataSet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("ember.sqb"));
        QFile::remove(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        m_db.open(path);
        m_db.exec(QString::fromUtf8(kPeople));
    }
    void cleanup() { m_db.close(); }

    void selectText_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QString() << QString() << QStringLiteral("select *, rowid as rowid from ember");
        QTest::newRow("filter") << QStringLiteral("kor > 30") << QString()
                                << QStringLiteral("select *, rowid as rowid from ember\n where kor > 30");
        QTest::newRow("order") << QString() << QStringLiteral("nev")
                               << QStringLiteral("select *, rowid as rowid from ember\n order by (nev)");
        QTest::newRow("both") << QStringLiteral("kor > 30") << QStringLiteral("lower(nev)")
                              << QStringLiteral("select *, rowid as rowid from ember\n where kor > 30\n order by (lower(nev))");
    }
    void selectText()
    {
        QFETCH(QString, filter);
        QFETCH(QString, order);
        QFETCH(QString, text);
        TableView view(m_db, QStringLiteral("ember"));
        view.setFilter(filter);
        view.setOrder(order);
        QCOMPARE(view.selectText(), text);
    }

    void openReadsInTheGivenOrder_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QList<qint64>>("ids");
        QTest::newRow("as stored") << QString() << QString() << QList<qint64>({1, 2, 3, 4, 5, 6});
        // The order is one expression (it stands in parentheses); a descending number is its negative.
        QTest::newRow("descending") << QString() << QStringLiteral("-id") << QList<qint64>({6, 5, 4, 3, 2, 1});
        // Bytes order: NULL, capitals, small letters, then the accented letters.
        QTest::newRow("by name") << QString() << QStringLiteral("nev") << QList<qint64>({6, 2, 5, 1, 3, 4});
        QTest::newRow("filtered") << QStringLiteral("kor > 30") << QStringLiteral("kor") << QList<qint64>({5, 3, 6});
        QTest::newRow("nothing") << QStringLiteral("kor > 99") << QString() << QList<qint64>();
    }
    void openReadsInTheGivenOrder()
    {
        QFETCH(QString, filter);
        QFETCH(QString, order);
        QFETCH(QList<qint64>, ids);
        TableView view(m_db, QStringLiteral("ember"));
        view.setFilter(filter);
        view.setOrder(order);
        view.open();
        QVERIFY(view.isOpen());
        QCOMPARE(view.fieldNames(), QStringList({QStringLiteral("id"), QStringLiteral("nev"), QStringLiteral("varos"),
                                                 QStringLiteral("kor"), QStringLiteral("suly"), QStringLiteral("rowid")}));
        QCOMPARE(Ids(view), ids);
        QCOMPARE(view.currentRow(), ids.isEmpty() ? -1 : 0);
        QCOMPARE(view.recNo(), ids.isEmpty() ? 0 : 1);
    }

    void openFailureLeavesTheDataSetClosed()
    {
        TableView view(m_db, QStringLiteral("ember"));
        view.open();
        view.setFilter(QStringLiteral("nincs = 1"));
        QVERIFY_THROWS_EXCEPTION(Error, view.open());
        QVERIFY(!view.isOpen());
        QCOMPARE(view.recordCount(), 0);
        TableView missing(m_db, QStringLiteral("nincs"));
        QVERIFY_THROWS_EXCEPTION(Error, missing.open());
    }

    void walkWithTheCursor()
    {
        TableView view(m_db, QStringLiteral("ember"));
        view.open();
        QVERIFY(view.bof());
        QVERIFY(!view.eof());
        QList<qint64> seen;
        while (!view.eof()) {
            seen.append(view.asInteger(QStringLiteral("id")));
            view.next();
        }
        QCOMPARE(seen, QList<qint64>({1, 2, 3, 4, 5, 6}));
        QCOMPARE(view.recNo(), 6); // next() on the last row does not move
        view.prior();
        QCOMPARE(view.recNo(), 5);
        QVERIFY(!view.eof() && !view.bof());
        view.first();
        view.prior();
        QVERIFY(view.bof());
        QCOMPARE(view.currentRow(), 0);
        view.last();
        QVERIFY(view.eof());
        QCOMPARE(view.currentRow(), 5);
        view.moveTo(2);
        QCOMPARE(view.asInteger(QStringLiteral("id")), 3);
        view.moveTo(100);
        QCOMPARE(view.currentRow(), 5);
        view.moveTo(-3);
        QCOMPARE(view.currentRow(), 0);
    }

    void emptyDataSet()
    {
        TableView view(m_db, QStringLiteral("ember"));
        view.setFilter(QStringLiteral("0"));
        view.open();
        QVERIFY(view.eof());
        QVERIFY(view.bof());
        QCOMPARE(view.recNo(), 0);
        QCOMPARE(view.currentRow(), -1);
        view.next();
        view.last();
        view.moveTo(0);
        QCOMPARE(view.currentRow(), -1);
        QVERIFY(view.isNull(QStringLiteral("nev")));
        QCOMPARE(view.asString(QStringLiteral("nev")), QStringLiteral(""));
        QCOMPARE(view.asInteger(QStringLiteral("kor")), 0);
        QVERIFY(!view.locate(QStringLiteral("nev"), QString()));
        QCOMPARE(view.cell(0, 0), QVariant());
    }

    void fieldAccess()
    {
        TableView view(m_db, QStringLiteral("ember"));
        view.open();
        view.moveTo(3); // árok: NULL town and age
        QCOMPARE(view.value(QStringLiteral("NEV")), QVariant(QStringLiteral("árok")));
        QCOMPARE(view.asString(QStringLiteral("Nev")), QStringLiteral("árok"));
        QVERIFY(view.isNull(QStringLiteral("varos")));
        QCOMPARE(view.asString(QStringLiteral("varos")), QStringLiteral(""));
        QVERIFY(!view.asString(QStringLiteral("varos")).isNull());
        QCOMPARE(view.asInteger(QStringLiteral("kor")), 0);
        QCOMPARE(view.asFloat(QStringLiteral("suly")), 60.25);
        QCOMPARE(view.asInteger(QStringLiteral("rowid")), 4);
        QCOMPARE(view.value(QStringLiteral("id")).typeId(), QMetaType::LongLong);
        QCOMPARE(view.fieldIndex(QStringLiteral("SULY")), 4);
        QCOMPARE(view.fieldIndex(QStringLiteral("nincs")), -1);
        QVERIFY_THROWS_EXCEPTION(Error, view.value(QStringLiteral("nincs")));
        QVERIFY_THROWS_EXCEPTION(Error, view.locate(QStringLiteral("nincs"), QStringLiteral("a")));

        QSignalSpy scrolled(&view, &DataSet::afterScroll);
        QCOMPARE(view.cell(0, 2), QVariant(QStringLiteral("Győr")));
        QCOMPARE(view.cell(4, 4), QVariant(90.0));
        QCOMPARE(view.cell(1, 4), QVariant());
        QCOMPARE(view.cell(6, 0), QVariant());
        QCOMPARE(view.cell(0, 6), QVariant());
        QCOMPARE(view.currentRow(), 3);
        QCOMPARE(scrolled.count(), 0);
    }

    void locate_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<qint64>("foundId"); // 0: not found
        QTest::newRow("first from the top") << QString() << QStringLiteral("nev") << QStringLiteral("al") << qint64(1);
        QTest::newRow("capitals match small letters") << QString() << QStringLiteral("nev") << QStringLiteral("ALMA ")
                                                      << qint64(1);
        QTest::newRow("in the current order") << QStringLiteral("nev") << QStringLiteral("nev")
                                               << QStringLiteral("al") << qint64(2);
        QTest::newRow("whole text") << QString() << QStringLiteral("nev") << QStringLiteral("bodri") << qint64(5);
        QTest::newRow("small accented letter finds a capital") << QString() << QStringLiteral("nev")
                                                               << QStringLiteral("á") << qint64(3);
        QTest::newRow("capital accented letter") << QString() << QStringLiteral("nev") << QStringLiteral("Á")
                                                 << qint64(3);
        QTest::newRow("capital accented letter finds a small one")
            << QString() << QStringLiteral("nev") << QStringLiteral("ÁRO") << qint64(4);
        QTest::newRow("double acute in either case") << QString() << QStringLiteral("varos") << QStringLiteral("GYŐ")
                                                     << qint64(1);
        QTest::newRow("other accented letters are exact") << QString() << QStringLiteral("varos")
                                                          << QStringLiteral("Gyô") << qint64(0);
        QTest::newRow("longer than the text") << QString() << QStringLiteral("nev") << QStringLiteral("Alma fa x")
                                              << qint64(0);
        QTest::newRow("nothing") << QString() << QStringLiteral("nev") << QStringLiteral("x") << qint64(0);
        QTest::newRow("empty prefix") << QStringLiteral("-id") << QStringLiteral("nev") << QString() << qint64(6);
        QTest::newRow("number as text") << QString() << QStringLiteral("kor") << QStringLiteral("3") << qint64(1);
        QTest::newRow("other field") << QString() << QStringLiteral("VAROS") << QStringLiteral("ó") << qint64(6);
    }
    void locate()
    {
        QFETCH(QString, order);
        QFETCH(QString, field);
        QFETCH(QString, prefix);
        QFETCH(qint64, foundId);
        TableView view(m_db, QStringLiteral("ember"));
        view.setOrder(order);
        view.open();
        QVERIFY(view.locateValue(QStringLiteral("id"), 5)); // start away from the top
        const int before = view.currentRow();
        QSignalSpy scrolled(&view, &DataSet::afterScroll);
        QCOMPARE(view.locate(field, prefix), foundId != 0);
        if (foundId != 0) {
            QCOMPARE(view.asInteger(QStringLiteral("id")), foundId);
            QCOMPARE(scrolled.count(), view.currentRow() == before ? 0 : 1);
        } else {
            QCOMPARE(view.currentRow(), before);
            QCOMPARE(scrolled.count(), 0);
        }
    }

    void locateNearest_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<qint64>("foundId");
        QTest::newRow("whole text") << QStringLiteral("bo") << true << qint64(5);
        QTest::newRow("last letter matches nothing") << QStringLiteral("Bx") << false << qint64(5);
        QTest::newRow("longest matching beginning") << QStringLiteral("alma fx") << false << qint64(1);
        QTest::newRow("accented beginning") << QStringLiteral("ÁRPX") << false << qint64(3);
        QTest::newRow("first letter matches nothing: first row") << QStringLiteral("x") << false << qint64(1);
        QTest::newRow("empty text: first row") << QString() << true << qint64(1);
    }
    void locateNearest()
    {
        QFETCH(QString, prefix);
        QFETCH(bool, whole);
        QFETCH(qint64, foundId);
        TableView view(m_db, QStringLiteral("ember"));
        view.open();
        QVERIFY(view.locateValue(QStringLiteral("id"), 4)); // start away from the top
        QCOMPARE(view.locateNearest(QStringLiteral("nev"), prefix), whole);
        QCOMPARE(view.asInteger(QStringLiteral("id")), foundId);
    }

    void locateValue_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<qint64>("foundId"); // 0: not found
        QTest::newRow("integer") << QStringLiteral("id") << QVariant(3) << qint64(3);
        QTest::newRow("integer given as text") << QStringLiteral("id") << QVariant(QStringLiteral("4")) << qint64(4);
        QTest::newRow("text") << QStringLiteral("nev") << QVariant(QStringLiteral("Alma")) << qint64(2);
        QTest::newRow("text is exact") << QStringLiteral("nev") << QVariant(QStringLiteral("alma")) << qint64(0);
        QTest::newRow("prefix is not enough") << QStringLiteral("nev") << QVariant(QStringLiteral("Bod")) << qint64(0);
        QTest::newRow("whole number against real") << QStringLiteral("suly") << QVariant(90) << qint64(5);
        QTest::newRow("real") << QStringLiteral("suly") << QVariant(60.25) << qint64(4);
        QTest::newRow("NULL") << QStringLiteral("varos") << QVariant() << qint64(4);
        QTest::newRow("missing") << QStringLiteral("kor") << QVariant(99) << qint64(0);
    }
    void locateValue()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(qint64, foundId);
        TableView view(m_db, QStringLiteral("ember"));
        view.open();
        view.last();
        QCOMPARE(view.locateValue(field, value), foundId != 0);
        QCOMPARE(view.asInteger(QStringLiteral("id")), foundId != 0 ? foundId : 6);
    }

    void signalsFollowTheCursorAndTheRows()
    {
        TableView view(m_db, QStringLiteral("ember"));
        QSignalSpy scrolled(&view, &DataSet::afterScroll);
        QSignalSpy reset(&view, &DataSet::dataReset);
        view.open();
        QCOMPARE(scrolled.count(), 1);
        QCOMPARE(reset.count(), 1);
        view.next();
        view.moveTo(1); // already there
        QCOMPARE(scrolled.count(), 2);
        view.last();
        view.next(); // at the end: no movement
        QCOMPARE(scrolled.count(), 3);
        view.refresh();
        QCOMPARE(reset.count(), 2);
        QCOMPARE(scrolled.count(), 4);
        view.close();
        QVERIFY(!view.isOpen());
        QCOMPARE(view.recordCount(), 0);
        QCOMPARE(reset.count(), 3);
    }

    void refreshKeepsTheRowByRowid()
    {
        TableView view(m_db, QStringLiteral("ember"));
        view.setOrder(QStringLiteral("nev"));
        view.open();
        QVERIFY(view.locate(QStringLiteral("nev"), QStringLiteral("Bodri")));
        QCOMPARE(view.currentRow(), 2);
        m_db.exec(QStringLiteral("INSERT INTO ember (id, nev) VALUES (7, 'Aladár')"));
        view.refresh();
        QCOMPARE(view.recordCount(), 7);
        QCOMPARE(view.currentRow(), 3);
        QCOMPARE(view.asString(QStringLiteral("nev")), QStringLiteral("Bodri"));
        // When the row is gone the cursor stays at its place.
        m_db.exec(QStringLiteral("DELETE FROM ember WHERE id = 5"));
        view.refresh();
        QCOMPARE(view.currentRow(), 3);
        QCOMPARE(view.asString(QStringLiteral("nev")), QStringLiteral("alma fa"));
    }

    void queryWithNamedParameters()
    {
        Query query(m_db);
        query.setSql(QStringList({QStringLiteral("select id, nev from ember"),
                                  QStringLiteral("where kor > :kor and varos <> :VAROS")}));
        query.sqlLines().append(QStringLiteral("order by kor"));
        query.setParam(QStringLiteral("kor"), 30);
        query.setParam(QStringLiteral(":varos"), QStringLiteral("Eger"));
        query.open();
        QCOMPARE(query.fieldNames(), QStringList({QStringLiteral("id"), QStringLiteral("nev")}));
        QCOMPARE(Ids(query), QList<qint64>({5, 6}));
        QCOMPARE(query.asString(QStringLiteral("nev")), QStringLiteral("Bodri"));

        query.setParam(QStringLiteral(":kor"), 0);
        query.open();
        QCOMPARE(Ids(query), QList<qint64>({2, 1, 5, 6}));
        query.close();
        QVERIFY(!query.isOpen());
    }

    void queryErrors()
    {
        Query query(m_db);
        query.setSql(QStringLiteral("select * from ember where id = :pugyfel"));
        QVERIFY_THROWS_EXCEPTION(Error, query.open()); // no value for :pugyfel
        QVERIFY(!query.isOpen());
        query.setSql(QStringLiteral("select * from nincs"));
        QVERIFY_THROWS_EXCEPTION(Error, query.open());
        query.setSql(QStringLiteral("-- semmi"));
        QVERIFY_THROWS_EXCEPTION(Error, query.open());
    }

    void queryExecRunsEveryStatement()
    {
        Query query(m_db);
        query.setSql(QStringList({QStringLiteral("update ember set kor = kor + :plusz where id = :pugyfel;"),
                                  QStringLiteral(";"),
                                  QStringLiteral("delete from ember where id = 6;")}));
        query.setParam(QStringLiteral("plusz"), 5);
        query.setParam(QStringLiteral(":pugyfel"), 1);
        query.exec();
        query.setSql(QStringLiteral("select id, kor from ember where id in (1, 6)"));
        query.open();
        QCOMPARE(Ids(query), QList<qint64>({1}));
        QCOMPARE(query.asInteger(QStringLiteral("kor")), 35);
    }

private:
    QTemporaryDir m_dir;
    Database m_db;
};

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_dataset.moc"
