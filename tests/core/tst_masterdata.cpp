#include "core/database.h"
#include "core/error.h"
#include "core/schema.h"
#include "core/tableview.h"
#include "masterdata/masterdata.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using kartevo::test::DeliveredDatabase;
using kartevo::test::SqlValue;

class TestMasterData : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    Database m_db;

    void openGroups(TableView &groups)
    {
        groups.beforePost = [](TableView &view) { ApplyGroupWriteRule(view); };
        groups.setOrder(QStringLiteral("csoport"));
        groups.open();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_db.open(DeliveredDatabase(m_dir));
        UpgradeSchema(m_db, QStringLiteral(KARTEVO_SOURCE_DIR "/data/cimke.sql"));
        // A second town under one code, added after the first one.
        m_db.exec(QStringLiteral("INSERT INTO irsz (id, irsz, varos) VALUES (900001, '9021', 'Győr-Sziget')"));
    }

    void townForPostalCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("town");
        QTest::newRow("Budapest") << QStringLiteral("1011") << QStringLiteral("Budapest");
        QTest::newRow("first of two rows") << QStringLiteral("9021") << QStringLiteral("Győr");
        QTest::newRow("unknown code") << QStringLiteral("0000") << QString();
        QTest::newRow("no trimming") << QStringLiteral(" 1011") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void townForPostalCode()
    {
        QFETCH(QString, code);
        QFETCH(QString, town);
        QCOMPARE(TownForPostalCode(m_db, code), town);
    }

    void groupSortKeyIsWrittenOnEverySave()
    {
        TableView groups(m_db, QStringLiteral("csoport"));
        openGroups(groups);

        groups.append();
        groups.setValue(QStringLiteral("csoport"), QStringLiteral("Ügyfelek"));
        groups.post();
        QCOMPARE(SqlValue(m_db, QStringLiteral("SELECT csoports FROM csoport WHERE csoport='Ügyfelek'")).toString(),
                 QStringLiteral("UGYFELEK"));

        // Renaming refreshes the key; thirty characters give a twenty-character key.
        const QString longName = QStringLiteral("Székesfehérvári beszállítók 12");
        QCOMPARE(longName.size(), 30);
        groups.edit();
        groups.setValue(QStringLiteral("csoport"), longName);
        groups.post();
        QCOMPARE(SqlValue(m_db, QStringLiteral("SELECT csoports FROM csoport WHERE csoport='%1'").arg(longName)).toString(),
                 QStringLiteral("SZEKESFEHERVARI BESZ"));
        QCOMPARE(SqlValue(m_db, QStringLiteral("SELECT COUNT(*) FROM csoport WHERE csoport='Ügyfelek'")).toInt(), 0);
        groups.deleteRow();
    }

    void duplicateGroupNameIsRefusedAndNothingIsSaved()
    {
        m_db.exec(QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES ('Partnerek', 'PARTNEREK')"));
        TableView groups(m_db, QStringLiteral("csoport"));
        openGroups(groups);
        const int before = SqlValue(m_db, QStringLiteral("SELECT COUNT(*) FROM csoport")).toInt();
        groups.append();
        groups.setValue(QStringLiteral("csoport"), QStringLiteral("Partnerek"));
        QVERIFY_THROWS_EXCEPTION(Error, groups.post());
        QCOMPARE(groups.state(), DataSet::State::Insert);
        groups.cancel();
        QCOMPARE(SqlValue(m_db, QStringLiteral("SELECT COUNT(*) FROM csoport")).toInt(), before);
        QCOMPARE(groups.recordCount(), before);
    }

    void positionOnStart_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("start");
        QTest::addColumn<QString>("town");
        // The list is ordered by town: Aba comes before every Budapest row.
        QTest::newRow("code found") << QStringLiteral("irsz") << QVariant(QStringLiteral("1011")) << QStringLiteral("Budapest");
        QTest::newRow("code missing") << QStringLiteral("irsz") << QVariant(QStringLiteral("0000")) << QStringLiteral("Aba");
        QTest::newRow("empty text") << QStringLiteral("irsz") << QVariant(QString()) << QStringLiteral("Aba");
        QTest::newRow("town is case-sensitive") << QStringLiteral("varos") << QVariant(QStringLiteral("győr")) << QStringLiteral("Aba");
        QTest::newRow("integer key") << QStringLiteral("id") << QVariant(qint64(900001)) << QStringLiteral("Győr-Sziget");
        QTest::newRow("key -1") << QStringLiteral("id") << QVariant(qint64(-1)) << QStringLiteral("Aba");
    }
    void positionOnStart()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, start);
        QFETCH(QString, town);
        TableView codes(m_db, QStringLiteral("irsz"));
        codes.setOrder(QStringLiteral("varos"));
        codes.open();
        codes.last();
        PositionOnStart(codes, column, start);
        QCOMPARE(codes.asString(QStringLiteral("varos")), town);
    }

    void searchList()
    {
        m_db.exec(QStringLiteral("DELETE FROM tulajdonos;"
                                 "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (1, 'Ábrahám Bt.');"
                                 "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (2, 'Kovács Kft.');"
                                 "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (3, 'Zala Zrt.');"));
        TableView senders(m_db, QStringLiteral("tulajdonos"));
        senders.setOrder(QStringLiteral("tulajdonos_nev"));
        senders.open();
        const QString name = QStringLiteral("tulajdonos_nev");
        QVERIFY(SearchList(senders, name, QStringLiteral("k")));
        QCOMPARE(senders.asInteger(QStringLiteral("tulajdonos")), 2);
        // An accented letter matches only itself: á does not find Ábrahám, and the cursor stays.
        QVERIFY(!SearchList(senders, name, QStringLiteral("á")));
        QCOMPARE(senders.asInteger(QStringLiteral("tulajdonos")), 2);
        QVERIFY(SearchList(senders, name, QString()));
        QCOMPARE(senders.recNo(), 1);
    }

    void searchStartChar_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("started");
        QTest::newRow("capital K") << QStringLiteral("K") << QStringLiteral("k");
        QTest::newRow("digit") << QStringLiteral("7") << QStringLiteral("7");
        QTest::newRow("capital Á") << QStringLiteral("Á") << QStringLiteral("á");
        QTest::newRow("ő") << QStringLiteral("ő") << QStringLiteral("ő");
        QTest::newRow("Ű") << QStringLiteral("Ű") << QStringLiteral("ű");
        QTest::newRow("ä is not Hungarian") << QStringLiteral("ä") << QString();
        QTest::newRow("space") << QStringLiteral(" ") << QString();
        QTest::newRow("dash") << QStringLiteral("-") << QString();
    }
    void searchStartChar()
    {
        QFETCH(QString, typed);
        QFETCH(QString, started);
        const std::optional<QChar> c = SearchStartChar(typed.at(0));
        QCOMPARE(c ? QString(*c) : QString(), started);
    }

    void listColumnWidths()
    {
        QCOMPARE(ListColumnWidths({0.40, 0.45, 0.15}, 540), (QList<int>{200, 225, 75}));
        // Cut, not rounded: 397 × 0.67 = 265.99.
        QCOMPARE(ListColumnWidths({0.67, 0.33}, 437), (QList<int>{265, 131}));
        QCOMPARE(ListColumnWidths({1.0}, 437), (QList<int>{397}));
    }

    void parseNumberField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("wholeNumber");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("point") << QStringLiteral("7.2") << false << true << QVariant(7.2);
        QTest::newRow("comma") << QStringLiteral("15,25") << false << true << QVariant(15.25);
        QTest::newRow("exponent") << QStringLiteral("3.81e1") << false << true << QVariant(38.1);
        QTest::newRow("sign") << QStringLiteral("-1") << false << true << QVariant(-1.0);
        QTest::newRow("empty is NULL") << QString() << false << true << QVariant();
        QTest::newRow("two separators") << QStringLiteral("1.2.3") << false << false << QVariant();
        QTest::newRow("bare sign") << QStringLiteral("-") << false << false << QVariant();
        QTest::newRow("dangling exponent") << QStringLiteral("1e") << false << false << QVariant();
        QTest::newRow("letters") << QStringLiteral("12mm") << false << false << QVariant();
        QTest::newRow("columns") << QStringLiteral("3") << true << true << QVariant(qint64(3));
        QTest::newRow("fractional columns") << QStringLiteral("2.5") << true << false << QVariant();
        QTest::newRow("too large") << QStringLiteral("99999999999999999999") << true << false << QVariant();
    }
    void parseNumberField()
    {
        QFETCH(QString, text);
        QFETCH(bool, wholeNumber);
        QFETCH(bool, valid);
        QFETCH(QVariant, value);
        const std::optional<QVariant> parsed = ParseNumberField(text, wholeNumber);
        QCOMPARE(parsed.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(parsed->isNull(), value.isNull());
        if (!value.isNull()) {
            QCOMPARE(parsed->typeId(), value.typeId());
            QCOMPARE(parsed->toDouble(), value.toDouble());
        }
    }

    void numberCharacters()
    {
        for (QChar c : QStringLiteral("0123456789+-"))
            QVERIFY(IsNumberChar(c, true) && IsNumberChar(c, false));
        for (QChar c : QStringLiteral(".,eE")) {
            QVERIFY(IsNumberChar(c, false));
            QVERIFY(!IsNumberChar(c, true));
        }
        for (QChar c : QStringLiteral("a x/ "))
            QVERIFY(!IsNumberChar(c, false));
    }
};

QTEST_GUILESS_MAIN(TestMasterData)
#include "tst_masterdata.moc"
