#include "core/database.h"
#include "core/error.h"
#include "core/statement.h"
#include "core/tableview.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;

namespace {

// No INTEGER PRIMARY KEY and two identical rows: only the rowid tells them apart.
const char *const kItems = R"(
CREATE TABLE tetel (nev CHAR(5), megj TEXT, db INTEGER, kod CHAR(2) DEFAULT 'XY');
INSERT INTO tetel VALUES ('egy', 'a', 1, 'AA');
INSERT INTO tetel VALUES ('egy', 'a', 1, 'AA');
INSERT INTO tetel VALUES ('kettő', 'b', 2, 'BB');
)";

} // namespace

class TestDataSetEdit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("tetel.sqb"));
        QFile::remove(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        m_db.open(path);
        m_db.exec(QString::fromUtf8(kItems));
    }
    void cleanup() { m_db.close(); }

    void appendAndPost()
    {
        TableView view(m_db, QStringLiteral("tetel"));
        view.open();
        view.moveTo(1);
        QSignalSpy inserted(&view, &DataSet::rowInserted);
        QSignalSpy changed(&view, &DataSet::rowChanged);
        view.append();
        QCOMPARE(view.state(), DataSet::State::Insert);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(inserted.at(0).at(0).toInt(), 3);
        QCOMPARE(view.recordCount(), 4);
        QCOMPARE(view.currentRow(), 3);
        QVERIFY(view.isNull(QStringLiteral("nev")));

        view.setValue(QStringLiteral("NEV"), QStringLiteral("három"));
        view.setValue(QStringLiteral("db"), 3);
        QCOMPARE(view.asString(QStringLiteral("nev")), QStringLiteral("három"));
        QCOMPARE(view.cell(3, 0), QVariant(QStringLiteral("három")));
        QCOMPARE(count(), 3); // nothing written yet
        view.post();

        QCOMPARE(view.state(), DataSet::State::Browse);
        QCOMPARE(count(), 4);
        QCOMPARE(view.currentRow(), 3);
        QCOMPARE(view.asInteger(QStringLiteral("rowid")), m_db.lastInsertRowId());
        // Columns not set keep their declared default.
        QCOMPARE(view.asString(QStringLiteral("kod")), QStringLiteral("XY"));
        QCOMPARE(sqlValue(QStringLiteral("SELECT kod FROM tetel WHERE nev = 'három'")), QVariant(QStringLiteral("XY")));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(changed.last().at(0).toInt(), 3);
    }

    void appendWithoutValues()
    {
        TableView view(m_db, QStringLiteral("tetel"));
        view.open();
        view.append();
        view.post();
        QCOMPARE(count(), 4);
        QCOMPARE(view.asString(QStringLiteral("kod")), QStringLiteral("XY"));
        QVERIFY(view.isNull(QStringLiteral("nev")));
    }

    void textsAreCutToTheirWidth_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("CHAR(5), accented") << QStringLiteral("nev") << QVariant(QStringLiteral("Árvíztűrő"))
                                           << QVariant(QStringLiteral("Árvíz"));
        QTest::newRow("CHAR(5), exact") << QStringLiteral("nev") << QVariant(QStringLiteral("tükör"))
                                        << QVariant(QStringLiteral("tükör"));
        QTest::newRow("CHAR(5), short") << QStringLiteral("nev") << QVariant(QStringLiteral("ab"))
                                        << QVariant(QStringLiteral("ab"));
        QTest::newRow("CHAR(5), characters not code units")
            << QStringLiteral("nev") << QVariant(QStringLiteral("😀😀😀😀😀😀")) << QVariant(QStringLiteral("😀😀😀😀😀"));
        QTest::newRow("TEXT is not cut") << QStringLiteral("megj") << QVariant(QString(300, QLatin1Char('m')))
                                         << QVariant(QString(300, QLatin1Char('m')));
        // A number is not text: the column's text affinity stores it whole.
        QTest::newRow("number into CHAR(2)") << QStringLiteral("kod") << QVariant(12345)
                                             << QVariant(QStringLiteral("12345"));
        QTest::newRow("NULL") << QStringLiteral("nev") << QVariant() << QVariant();
    }
    void textsAreCutToTheirWidth()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        TableView view(m_db, QStringLiteral("tetel"));
        view.open();
        view.append();
        view.setValue(QStringLiteral("db"), 99);
        view.setValue(field, value);
        view.post();
        QCOMPARE(view.value(field), stored);
        QCOMPARE(sqlValue(QStringLiteral("SELECT %1 FROM tetel WHERE db = 99").arg(field)), stored);

        // The same rule on an update.
        view.first();
        view.edit();
        view.setValue(field, value);
        view.post();
        QCOMPARE(sqlValue(QStringLiteral("SELECT %1 FROM tetel WHERE rowid = 1").arg(field)), stored);
    }

    void editChangesOnlyThatRowAndItsChangedColumns()
    {
        TableView view(m_db, QStringLiteral("tetel"));
        view.open();
        view.moveTo(1); // the second of the two identical rows
        // Someone else changes a column of the row after it was read.
        m_db.exec(QStringLiteral("UPDATE tetel SET megj = 'más' WHERE rowid = 2"));
        QSignalSpy changed(&view, &DataSet::rowChanged);
        view.edit();
        QCOMPARE(view.state(), DataSet::State::Edit);
        view.setValue(QStringLiteral("db"), 7);
        view.post();
        QCOMPARE(view.state(), DataSet::State::Browse);
        QCOMPARE(sqlValue(QStringLiteral("SELECT group_concat(rowid) FROM tetel WHERE db = 7")),
                 QVariant(QStringLiteral("2")));
        QCOMPARE(sqlValue(QStringLiteral("SELECT megj FROM tetel WHERE rowid = 2")), QVariant(QStringLiteral("más")));
        QCOMPARE(sqlValue(QStringLiteral("SELECT db FROM tetel WHERE rowid = 1")), QVariant(qint64(1)));
        // The data set shows the row as written.
        QCOMPARE(view.currentRow(), 1);
        QCOMPARE(view.asInteger(QStringLiteral("db")), 7);
        QCOMPARE(view.asString(QStringLiteral("megj")), QStringLiteral("más"));
        QCOMPARE(changed.last().at(0).toInt(), 1);
    }

    void cancelDropsTheChanges()
    {
        TableView view(m_db, QStringLiteral("tetel"));
        view.open();
        view.moveTo(2);
        view.edit();
        view.setValue(QStringLiteral("nev"), QStringLiteral("más"));
        view.cancel();
        QCOMPARE(view.state(), DataSet::State::Browse);
        QCOMPARE(view.asString(QStringLiteral("nev")), QStringLiteral("kettő"));

        QSignalSpy removed(&view, &DataSet::rowRemoved);
        view.moveTo(1);
        view.append();
        view.setValue(QStringLiteral("nev"), QStringLiteral("új"));
        view.cancel();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(0).toInt(), 3);
        QCOMPARE(view.recordCount(), 3);
        QCOMPARE(view.currentRow(), 1);
        QCOMPARE(count(), 3);
        QCOMPARE(sqlValue(QStringLiteral("SELECT nev FROM tetel WHERE rowid = 3")), QVariant(QStringLiteral("kettő")));
    }

    void deleteRowByRowid()
    {
        TableView view(m_db, QStringLiteral("tetel"));
        view.open();
        view.moveTo(1);
        QSignalSpy removed(&view, &DataSet::rowRemoved);
        view.deleteRow();
        QCOMPARE(removed.count(), 1);
        QCOMPARE(removed.at(0).at(0).toInt(), 1);
        // Only the row deleted, not its twin.
        QCOMPARE(sqlValue(QStringLiteral("SELECT group_concat(rowid) FROM tetel")), QVariant(QStringLiteral("1,3")));
        QCOMPARE(view.recordCount(), 2);
        QCOMPARE(view.currentRow(), 1);
        QCOMPARE(view.asString(QStringLiteral("nev")), QStringLiteral("kettő"));
        view.deleteRow(); // the last row: the cursor moves up
        QCOMPARE(view.currentRow(), 0);
        view.deleteRow();
        QCOMPARE(view.recordCount(), 0);
        QVERIFY(view.eof() && view.bof());
        QVERIFY_THROWS_EXCEPTION(Error, view.deleteRow());
        QCOMPARE(count(), 0);
    }

    void deleteRowOfANewRowWritesNothing()
    {
        TableView view(m_db, QStringLiteral("tetel"));
        view.open();
        view.append();
        view.deleteRow();
        QCOMPARE(view.state(), DataSet::State::Browse);
        QCOMPARE(view.recordCount(), 3);
        QCOMPARE(count(), 3);
    }

    void editingRulesAreEnforced()
    {
        TableView view(m_db, QStringLiteral("tetel"));
        QVERIFY_THROWS_EXCEPTION(Error, view.append()); // not open
        view.open();
        QVERIFY_THROWS_EXCEPTION(Error, view.setValue(QStringLiteral("nev"), QStringLiteral("x")));
        view.edit();
        QVERIFY_THROWS_EXCEPTION(Error, view.setValue(QStringLiteral("nincs"), 1));
        view.cancel();
        m_db.exec(QStringLiteral("DELETE FROM tetel"));
        view.refresh();
        QVERIFY_THROWS_EXCEPTION(Error, view.edit());
    }

    void beforePostCanStopTheWrite()
    {
        TableView view(m_db, QStringLiteral("tetel"));
        int calls = 0;
        view.beforePost = [&calls](TableView &row) {
            ++calls;
            if (row.asString(QStringLiteral("nev")).isEmpty())
                throw Error(QStringLiteral("A név kötelező."));
            row.setValue(QStringLiteral("megj"), QStringLiteral("ellenőrizve"));
        };
        view.open();
        view.append();
        view.setValue(QStringLiteral("db"), 5);
        QVERIFY_THROWS_EXCEPTION(Error, view.post());
        QCOMPARE(view.state(), DataSet::State::Insert);
        QCOMPARE(count(), 3);
        view.setValue(QStringLiteral("nev"), QStringLiteral("öt"));
        view.post();
        QCOMPARE(calls, 2);
        QCOMPARE(count(), 4);
        QCOMPARE(sqlValue(QStringLiteral("SELECT megj FROM tetel WHERE nev = 'öt'")),
                 QVariant(QStringLiteral("ellenőrizve")));

        view.first();
        view.edit();
        view.setValue(QStringLiteral("nev"), QString());
        QVERIFY_THROWS_EXCEPTION(Error, view.post());
        QCOMPARE(view.state(), DataSet::State::Edit);
        view.cancel();
        QCOMPARE(sqlValue(QStringLiteral("SELECT nev FROM tetel WHERE rowid = 1")), QVariant(QStringLiteral("egy")));
    }

    void failedWriteKeepsTheRowInEditing()
    {
        m_db.exec(QStringLiteral("CREATE TRIGGER tetel_ketto BEFORE INSERT ON tetel WHEN NEW.db = 2 "
                                 "BEGIN SELECT RAISE(ABORT, 'foglalt'); END"));
        TableView view(m_db, QStringLiteral("tetel"));
        view.setFilter(QStringLiteral("db = 2"));
        view.open();
        view.append();
        view.setValue(QStringLiteral("db"), 2);
        QVERIFY_THROWS_EXCEPTION(Error, view.post());
        QCOMPARE(view.state(), DataSet::State::Insert);
        view.setValue(QStringLiteral("db"), 4);
        view.post();
        QCOMPARE(count(), 4);
    }

    void movingTheCursorWritesTheEditedRow()
    {
        TableView view(m_db, QStringLiteral("tetel"));
        view.open();
        view.edit();
        view.setValue(QStringLiteral("db"), 42);
        view.next();
        QCOMPARE(view.state(), DataSet::State::Browse);
        QCOMPARE(view.currentRow(), 1);
        QCOMPARE(sqlValue(QStringLiteral("SELECT db FROM tetel WHERE rowid = 1")), QVariant(qint64(42)));
    }

    void longRowsAndManyRewrites()
    {
        // Cells beyond the first 64 KB of a row, and rows rewritten until the old copies are
        // cleared away.
        m_db.exec(QStringLiteral("CREATE TABLE hosszu (a TEXT, b TEXT, c INTEGER, d TEXT)"));
        const QString big(70000, QLatin1Char('x'));
        Statement insert(m_db, QStringLiteral("INSERT INTO hosszu VALUES (?, ?, ?, ?)"));
        for (int i = 0; i < 3; ++i) {
            insert.bind(1, i == 1 ? big : QStringLiteral("rövid"));
            insert.bind(2, i == 1 ? big : QString());
            insert.bind(3, i);
            insert.bind(4, QStringLiteral("vég %1").arg(i));
            insert.exec();
            insert.reset();
        }
        TableView view(m_db, QStringLiteral("hosszu"));
        view.open();
        QCOMPARE(view.cell(1, 2), QVariant(qint64(1)));
        QCOMPARE(view.cell(1, 3), QVariant(QStringLiteral("vég 1")));
        QCOMPARE(view.cell(1, 4), QVariant(qint64(2))); // rowid
        QVERIFY(view.locate(QStringLiteral("d"), QStringLiteral("VÉG 2")));
        QCOMPARE(view.currentRow(), 2);
        QVERIFY(view.locateValue(QStringLiteral("c"), 1));

        for (int round = 0; round < 40; ++round) {
            view.edit();
            view.setValue(QStringLiteral("a"), QString(70000 + round, QLatin1Char('y')));
            view.setValue(QStringLiteral("c"), round);
            view.post();
        }
        QCOMPARE(view.cell(1, 0).toString().size(), 70039);
        QCOMPARE(view.cell(1, 1).toString(), big);
        QCOMPARE(view.cell(1, 2), QVariant(qint64(39)));
        for (int row : {0, 2}) {
            QCOMPARE(view.cell(row, 0), QVariant(QStringLiteral("rövid")));
            QCOMPARE(view.cell(row, 3), QVariant(QStringLiteral("vég %1").arg(row)));
        }
        QVERIFY(view.memoryUsage() < 20 * 70000);
    }

private:
    int count() { return sqlValue(QStringLiteral("SELECT count(*) FROM tetel")).toInt(); }
    QVariant sqlValue(const QString &sql)
    {
        Statement statement(m_db, sql);
        return statement.step() ? statement.column(0) : QVariant();
    }

    QTemporaryDir m_dir;
    Database m_db;
};

QTEST_GUILESS_MAIN(TestDataSetEdit)
#include "tst_dataset_edit.moc"
