// Print marks: toggling through the client write rule, setting all marks of a group, colours.
#include "core/clientlist.h"
#include "core/database.h"
#include "core/error.h"
#include "core/folders.h"
#include "core/marks.h"
#include "core/statement.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QTest>

using namespace kartevo;
using kartevo::test::DemoDatabase;

namespace {

QVariant Scalar(Database &db, const QString &sql)
{
    Statement statement(db, sql);
    return statement.step() ? statement.column(0) : QVariant();
}

// "key=mark" for every client, in key order; NULL shows as "-".
QString MarksByKey(Database &db)
{
    QStringList marks;
    Statement statement(db, QStringLiteral("SELECT ugyfel, jelolve FROM ugyfel ORDER BY ugyfel"));
    while (statement.step()) {
        const QVariant mark = statement.column(1);
        marks.append(statement.column(0).toString() + QLatin1Char('=')
                     + (mark.isNull() ? QStringLiteral("-") : mark.toString()));
    }
    return marks.join(QLatin1Char(' '));
}

} // namespace

Q_DECLARE_METATYPE(kartevo::CellColors)

class TestMarks : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void isMarked_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("marked");
        QTest::newRow("I") << QVariant(QStringLiteral("I")) << true;
        QTest::newRow("N") << QVariant(QStringLiteral("N")) << false;
        QTest::newRow("NULL") << QVariant() << false;
        QTest::newRow("lower-case i") << QVariant(QStringLiteral("i")) << false;
        QTest::newRow("empty") << QVariant(QString()) << false;
    }
    void isMarked()
    {
        QFETCH(QVariant, value);
        QFETCH(bool, marked);
        QCOMPARE(IsMarked(value), marked);
    }

    void toggleGoesThroughTheWriteRule()
    {
        DemoDatabase demo;
        // A NULL mark and a stale sort key, as an old database may have them.
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve=NULL, ugyfel_nevs='STALE' WHERE ugyfel=9"));
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("cim_irsz"), QStringLiteral("irsz."));
        QVERIFY(list.table().locateValue(QStringLiteral("ugyfel"), 9));

        QCOMPARE(ToggleMark(list.table()), QStringLiteral("I"));
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT jelolve FROM ugyfel WHERE ugyfel=9")).toString(),
                 QStringLiteral("I"));
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT ugyfel_nevs FROM ugyfel WHERE ugyfel=9")).toString(),
                 QStringLiteral("KISS ANNA"));
        QCOMPARE(list.table().asString(QStringLiteral("jelolve")), QStringLiteral("I"));
        QCOMPARE(list.table().state(), DataSet::State::Browse);

        QCOMPARE(ToggleMark(list.table()), QStringLiteral("N"));
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT jelolve FROM ugyfel WHERE ugyfel=9")).toString(),
                 QStringLiteral("N"));
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 0);
    }

    void toggleOnAnEmptyListFails()
    {
        DemoDatabase demo;
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        list.setGroupFilter(QStringLiteral("nincs ilyen"));
        QVERIFY_THROWS_EXCEPTION(Error, ToggleMark(list.table()));
    }

    void aFailedToggleLeavesTheRowUnedited()
    {
        DemoDatabase demo;
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        demo.db.exec(QStringLiteral("CREATE TRIGGER no_marks BEFORE UPDATE ON ugyfel "
                                    "BEGIN SELECT RAISE(ABORT, 'csak olvasható'); END"));
        QVERIFY_THROWS_EXCEPTION(Error, ToggleMark(list.table()));
        QCOMPARE(list.table().state(), DataSet::State::Browse);
        QCOMPARE(list.table().asString(QStringLiteral("jelolve")), QStringLiteral("N"));
    }

    void setAllMarksStatement_data()
    {
        QTest::addColumn<bool>("mark");
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("statement");
        QTest::newRow("mark all") << true << false << "" << "UPDATE ugyfel SET jelolve='I' ;";
        QTest::newRow("clear all") << false << false << "" << "UPDATE ugyfel SET jelolve='N' ;";
        QTest::newRow("mark a group")
            << true << true << "Partnerek" << "UPDATE ugyfel SET jelolve='I' WHERE csoport='Partnerek';";
        QTest::newRow("apostrophe")
            << false << true << "O'Brien" << "UPDATE ugyfel SET jelolve='N' WHERE csoport='O''Brien';";
        QTest::newRow("the group named empty")
            << true << true << "" << "UPDATE ugyfel SET jelolve='I' WHERE csoport='';";
    }
    void setAllMarksStatement()
    {
        QFETCH(bool, mark);
        QFETCH(bool, grouped);
        QFETCH(QString, group);
        QFETCH(QString, statement);
        QCOMPARE(SetAllMarksStatement(mark, grouped, group), statement);
    }

    void setAllMarksTouchesOnlyTheFilterGroup()
    {
        DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel=2")); // Szállítók
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve=NULL WHERE ugyfel=17")); // Önkormányzatok
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET ugyfel_nevs='STALE' WHERE ugyfel=1"));
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        list.setGroupFilter(QStringLiteral("Partnerek"));
        list.table().moveTo(3);
        const qint64 current = list.currentKey();

        SetAllMarks(list, true);
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE csoport='Partnerek' "
                                                "AND jelolve IS NOT 'I'")).toInt(), 0);
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT jelolve FROM ugyfel WHERE ugyfel=2")).toString(),
                 QStringLiteral("I"));
        QVERIFY(Scalar(demo.db, QStringLiteral("SELECT jelolve FROM ugyfel WHERE ugyfel=17")).isNull());
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE csoport<>'Partnerek' "
                                                "AND jelolve='I'")).toInt(), 1);
        // The statement bypasses the write rule; the list is read again with its filter.
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT ugyfel_nevs FROM ugyfel WHERE ugyfel=1")).toString(),
                 QStringLiteral("STALE"));
        QCOMPARE(list.table().recordCount(), 14);
        QCOMPARE(list.currentKey(), current);
        QCOMPARE(list.table().asString(QStringLiteral("jelolve")), QStringLiteral("I"));

        SetAllMarks(list, false);
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 1);
    }

    void setAllMarksWithoutAGroupMarksTheWholeTable()
    {
        DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve=NULL WHERE ugyfel=17"));
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        SetAllMarks(list, true);
        QCOMPARE(Scalar(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 30);
        SetAllMarks(list, false);
        QCOMPARE(MarksByKey(demo.db).count(QStringLiteral("=N")), 30);
    }

    void aFailingSetAllMarksLeavesTheMarks()
    {
        DemoDatabase demo;
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        list.table().moveTo(5);
        const QString before = MarksByKey(demo.db);
        demo.db.exec(QStringLiteral("CREATE TRIGGER no_marks BEFORE UPDATE ON ugyfel "
                                    "BEGIN SELECT RAISE(ABORT, 'csak olvasható'); END"));
        SetAllMarks(list, true); // no error
        QCOMPARE(MarksByKey(demo.db), before);
        QCOMPARE(list.table().recNo(), 6);
    }

    void cellColors_data()
    {
        const CellColors selection{Qt::white, QColor(48, 140, 198)};
        const CellColors plain{Qt::black, Qt::white};
        const CellColors sortColumn{Qt::black, SortColumnColor};
        QTest::addColumn<bool>("marked");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("isSortColumn");
        QTest::addColumn<CellColors>("standard");
        QTest::addColumn<CellColors>("expected");
        QTest::newRow("unmarked") << false << false << false << plain << plain;
        QTest::newRow("unmarked selected") << false << true << false << selection << selection;
        QTest::newRow("unmarked sort column") << false << false << true << sortColumn << sortColumn;
        QTest::newRow("marked") << true << false << false << plain
                                << CellColors{MarkedTextColor, MarkedBackgroundColor};
        QTest::newRow("marked sort column") << true << false << true << sortColumn
                                            << CellColors{QColor(0, 0, 255), SortColumnColor};
        QTest::newRow("marked selected") << true << true << false << selection
                                         << CellColors{QColor(255, 255, 0), selection.background};
        QTest::newRow("marked selected sort column") << true << true << true << selection
                                                     << CellColors{QColor(255, 255, 0), selection.background};
    }
    void cellColors()
    {
        QFETCH(bool, marked);
        QFETCH(bool, selected);
        QFETCH(bool, isSortColumn);
        QFETCH(CellColors, standard);
        QFETCH(CellColors, expected);
        QCOMPARE(MarkCellColors(marked, selected, isSortColumn, standard), expected);
        QCOMPARE(MarkedBackgroundColor, QColor(230, 242, 255));
    }
};

QTEST_GUILESS_MAIN(TestMarks)
#include "tst_marks.moc"
