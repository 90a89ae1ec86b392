// The client list without a window: columns, sorting, search, group filter, counter, keys.
#include "core/clientlist.h"
#include "core/database.h"
#include "core/error.h"
#include "core/statement.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QSignalSpy>
#include <QTest>

using namespace kartevo;
using kartevo::test::DemoDatabase;

namespace {

QString CurrentName(ClientList &list)
{
    return list.table().asString(QStringLiteral("ugyfel_nev"));
}

void AddClient(Database &db, int key, const QString &name, const QString &postalCode, const QVariant &group)
{
    Statement insert(db, QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev, ugyfel_nevs, cim_irsz, csoport) "
                                        "VALUES (?, ?, upper(?), ?, ?)"));
    insert.bind(1, key);
    insert.bind(2, name);
    insert.bind(3, name);
    insert.bind(4, postalCode);
    insert.bind(5, group);
    insert.exec();
}

} // namespace

class TestClientList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void columnWidths_data()
    {
        QTest::addColumn<int>("gridWidth");
        QTest::addColumn<QList<int>>("widths");
        // 501 × 27 % = 135.27 -> 135
        QTest::newRow("600") << 600 << QList<int>{55, 135, 90, 70, 50, 70, 85};
        QTest::newRow("853") << 853 << QList<int>{55, 204, 136, 106, 75, 106, 128};
        // 105 × 10 % = 10.5 -> 10 and 115 × 10 % = 11.5 -> 12: halves go to the even number
        QTest::newRow("half down") << 204 << QList<int>{55, 28, 19, 15, 10, 15, 18};
        QTest::newRow("half up") << 214 << QList<int>{55, 31, 21, 16, 12, 16, 20};
        QTest::newRow("narrower than the fixed part") << 60 << QList<int>{55, 0, 0, 0, 0, 0, 0};
    }
    void columnWidths()
    {
        QFETCH(int, gridWidth);
        QFETCH(QList<int>, widths);
        QCOMPARE(ClientList::ColumnWidths(gridWidth), widths);
    }

    void sortingKeepsTheCurrentClientAndOrdersAsTheEngineDoes()
    {
        DemoDatabase demo;
        AddClient(demo.db, 31, QStringLiteral("Kilences Kft."), QStringLiteral("900"), QVariant());
        ClientList list(demo.db);
        QSignalSpy changed(&list, &ClientList::sortChanged);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        QCOMPARE(CurrentName(list), QStringLiteral("Almási és Társa Kft."));
        QVERIFY(list.table().locateValue(QStringLiteral("ugyfel"), 31));

        // Postal codes are texts: 900 comes after 2000 (and after 1011, the smallest).
        list.sortBy(QStringLiteral("cim_irsz"), QStringLiteral("irsz."));
        QCOMPARE(list.table().order(), QStringLiteral("cim_irsz"));
        QCOMPARE(list.sortField(), QStringLiteral("cim_irsz"));
        QCOMPARE(list.sortCaption(), QStringLiteral("irsz."));
        QCOMPARE(CurrentName(list), QStringLiteral("Kilences Kft.")); // the same client
        QStringList codes;
        for (int row = 0; row < list.table().recordCount(); ++row)
            codes.append(list.table().cell(row, list.table().fieldIndex(QStringLiteral("cim_irsz"))).toString());
        QVERIFY(codes.indexOf(QStringLiteral("900")) > codes.indexOf(QStringLiteral("2000")));
        QCOMPARE(codes.last(), QStringLiteral("9400"));
        QCOMPARE(codes.first(), QStringLiteral("1011"));

        // The four text columns sort by their key, so "Óbudai" stands among the O's.
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél"));
        QCOMPARE(list.table().order(), QStringLiteral("ugyfel_nevs"));
        list.table().first();
        QVERIFY(list.search(QStringLiteral("Ó")));
        list.table().prior();
        QCOMPARE(CurrentName(list), QStringLiteral("Nyírségi Alma Kft."));
        QCOMPARE(changed.size(), 3);
    }

    void orderColumn_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("order");
        QTest::newRow("name") << "ugyfel_nev" << "ugyfel_nevs";
        QTest::newRow("contact") << "kapcsolat" << "kapcsolats";
        QTest::newRow("town") << "cim_varos" << "cim_vaross";
        QTest::newRow("group") << "csoport" << "csoports";
        QTest::newRow("mark") << "jelolve" << "jelolve";
        QTest::newRow("postal code") << "cim_irsz" << "cim_irsz";
        QTest::newRow("address") << "cim_cim" << "cim_cim";
    }
    void orderColumn()
    {
        QFETCH(QString, field);
        QFETCH(QString, order);
        QCOMPARE(ClientList::OrderColumn(field), order);
    }

    void aClientGoneFromTheListLeavesTheCursorOnTheLastRow()
    {
        DemoDatabase demo;
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        list.table().moveTo(3);
        const qint64 gone = list.currentKey();
        demo.db.exec(QStringLiteral("DELETE FROM ugyfel WHERE ugyfel=%1").arg(gone));
        list.sortBy(QStringLiteral("cim_varos"), QStringLiteral("város"));
        QCOMPARE(list.table().recNo(), 29);
    }

    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty: first row") << "" << true << "Almási és Társa Kft.";
        QTest::newRow("k finds K") << "k" << true << "Kerekes Irodaszer Kft.";
        QTest::newRow("more letters") << "kis" << true << "Kiss Anna";
        QTest::newRow("exact case of others") << "Kő" << true << "Kőrösi Könyvelő Iroda";
        QTest::newRow("ó finds Ó") << "ó" << true << "Óbudai Fodrászat";
        QTest::newRow("ö finds Öveges") << "ö" << true << "Öveges Könyvkötészet";
        QTest::newRow("capital finds small accents") << "KŐRÖS" << true << "Kőrösi Könyvelő Iroda";
        QTest::newRow("Kx keeps the row of K") << "Kx" << false << "Kerekes Irodaszer Kft.";
        QTest::newRow("kőrx keeps the row of kőr") << "kőrx" << false << "Kőrösi Könyvelő Iroda";
        QTest::newRow("x finds nothing: first row, not the last") << "x" << false << "Almási és Társa Kft.";
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(bool, found);
        QFETCH(QString, name);
        DemoDatabase demo;
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        list.table().moveTo(10);
        QCOMPARE(list.search(text), found);
        QCOMPARE(CurrentName(list), name);
    }

    void searchLooksInTheSortedColumn()
    {
        DemoDatabase demo;
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("cim_varos"), QStringLiteral("város"));
        QVERIFY(list.search(QStringLiteral("sz")));
        QCOMPARE(list.table().asString(QStringLiteral("cim_varos")), QStringLiteral("Szeged"));
    }

    void groupFilterQuotesTheName()
    {
        DemoDatabase demo;
        const QString group = QStringLiteral("O'Brien és Tsa");
        AddClient(demo.db, 31, QStringLiteral("Írországi Kft."), QStringLiteral("1000"), group);
        AddClient(demo.db, 32, QStringLiteral("Dublini Bt."), QStringLiteral("1000"), group);
        AddClient(demo.db, 33, QStringLiteral("Csoport nélkül"), QStringLiteral("1000"), QString());
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        list.table().last();

        list.setGroupFilter(group);
        QCOMPARE(list.table().filter(), QStringLiteral("csoport='O''Brien és Tsa'"));
        QCOMPARE(list.table().recordCount(), 2);
        QCOMPARE(list.table().recNo(), 1);
        QCOMPARE(CurrentName(list), QStringLiteral("Dublini Bt.")); // the order stays
        QCOMPARE(list.filterGroup(), group);
        QVERIFY(list.hasGroupFilter());

        // A group with an empty name is a group of its own, not "no filter".
        list.setGroupFilter(QString());
        QCOMPARE(list.table().recordCount(), 1);
        QVERIFY(list.hasGroupFilter());

        list.clearGroupFilter();
        QCOMPARE(list.table().recordCount(), 33);
        QVERIFY(!list.hasGroupFilter());
        QCOMPARE(list.filterGroup(), QString());
    }

    void counterText()
    {
        DemoDatabase demo;
        ClientList list(demo.db);
        QCOMPARE(list.counterText(), QStringLiteral("0 / 0")); // not open yet
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        QCOMPARE(list.counterText(), QStringLiteral("30 / 1"));
        list.table().moveTo(4);
        QCOMPARE(list.counterText(), QStringLiteral("30 / 5"));
        list.setGroupFilter(QStringLiteral("nincs ilyen"));
        QCOMPARE(list.counterText(), QStringLiteral("0 / 0"));
    }

    void deleteRemovesOnlyTheCurrentClient()
    {
        DemoDatabase demo;
        ClientList list(demo.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        list.table().moveTo(1);
        list.deleteCurrent();
        QCOMPARE(list.table().recordCount(), 29);
        Statement count(demo.db, QStringLiteral("SELECT count(*), sum(ugyfel_nev LIKE 'Bakonyi%') FROM ugyfel"));
        QVERIFY(count.step());
        QCOMPARE(count.column(0).toInt(), 29);
        QCOMPARE(count.column(1).toInt(), 0);
        Statement groups(demo.db, QStringLiteral("SELECT count(*) FROM csoport"));
        QVERIFY(groups.step());
        QCOMPARE(groups.column(0).toInt(), 3);

        list.setGroupFilter(QStringLiteral("nincs ilyen"));
        QVERIFY_THROWS_EXCEPTION(Error, list.deleteCurrent());
    }

    void groupFilterEntries()
    {
        DemoDatabase demo;
        demo.db.exec(QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES (NULL, '')"));
        const QStringList entries = ClientList::GroupFilterEntries(demo.db);
        QCOMPARE(entries, (QStringList{QStringLiteral("<nincs szűrés>"), QString(), QStringLiteral("Önkormányzatok"),
                                       QStringLiteral("Partnerek"), QStringLiteral("Szállítók")}));
        QCOMPARE(ClientList::GroupFilterIndex(entries, QStringLiteral("partnerek")), 3);
        QCOMPARE(ClientList::GroupFilterIndex(entries, QStringLiteral("SZÁLLÍTÓK")), 4);
        QCOMPARE(ClientList::GroupFilterIndex(entries, QStringLiteral("Törölt csoport")), 0);
    }

    void searchStartChar_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("start");
        QTest::newRow("letter") << "k" << "k";
        QTest::newRow("capital") << "K" << "k";
        QTest::newRow("digit") << "7" << "7";
        QTest::newRow("accented capital") << "Ő" << "ő";
        for (const QString &accented : QStringLiteral("á é í ó ö ő ú ü ű").split(QLatin1Char(' ')))
            QTest::newRow(qPrintable(QStringLiteral("accented ") + accented)) << accented << accented;
        QTest::newRow("other accent") << "ä" << "";
        QTest::newRow("space") << " " << "";
        QTest::newRow("punctuation") << "-" << "";
    }
    void searchStartChar()
    {
        QFETCH(QString, typed);
        QFETCH(QString, start);
        const QChar result = ClientList::SearchStartChar(typed.at(0));
        QCOMPARE(result.isNull() ? QString() : QString(result), start);
    }

    void fontSizeSteps_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("larger");
        QTest::addColumn<int>("smaller");
        QTest::newRow("8") << 8 << 9 << 8;
        QTest::newRow("9") << 9 << 10 << 8;
        QTest::newRow("10") << 10 << 10 << 9;
        QTest::newRow("12 from the file") << 12 << 12 << 11;
        QTest::newRow("6 from the file") << 6 << 7 << 6;
    }
    void fontSizeSteps()
    {
        QFETCH(int, size);
        QFETCH(int, larger);
        QFETCH(int, smaller);
        QCOMPARE(ClientList::LargerFontSize(size), larger);
        QCOMPARE(ClientList::SmallerFontSize(size), smaller);
    }
};

QTEST_GUILESS_MAIN(TestClientList)
#include "tst_clientlist.moc"
