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

    void townsForPostalCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("towns");
        QTest::newRow("Budapest") << QStringLiteral("1011") << QStringList{QStringLiteral("Budapest")};
        QTest::newRow("two rows in the order added") << QStringLiteral("9021")
                                                     << QStringList{QStringLiteral("Győr"), QStringLiteral("Győr-Sziget")};
        QTest::newRow("eight villages of one code")
            << QStringLiteral("7838")
            << QStringList{QStringLiteral("Besence"), QStringLiteral("Hirics"), QStringLiteral("Lúzsok"),
                           QStringLiteral("Nagycsány"), QStringLiteral("Páprád"), QStringLiteral("Piskó"),
                           QStringLiteral("Vajszló"), QStringLiteral("Vejti")};
        QTest::newRow("unknown code") << QStringLiteral("0000") << QStringList();
        QTest::newRow("no trimming") << QStringLiteral(" 1011") << QStringList();
        QTest::newRow("empty") << QString() << QStringList();
    }
    void townsForPostalCode()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, towns);
        QCOMPARE(TownsForPostalCode(m_db, code), towns);
    }

    void clientWithoutNameIsRefused_data()
    {
        QTest::addColumn<QVariant>("name");
        QTest::addColumn<bool>("refused");
        QTest::newRow("NULL") << QVariant() << true;
        QTest::newRow("empty") << QVariant(QString()) << true;
        QTest::newRow("blanks") << QVariant(QStringLiteral("   ")) << true;
        QTest::newRow("a name") << QVariant(QStringLiteral("Kovács Kft.")) << false;
    }
    void clientWithoutNameIsRefused()
    {
        QFETCH(QVariant, name);
        QFETCH(bool, refused);
        TableView clients(m_db, QStringLiteral("ugyfel"));
        clients.open();
        clients.append();
        clients.setValue(QStringLiteral("ugyfel_nev"), name);
        QCOMPARE(ClientSaveRefusal(clients), refused ? QStringLiteral("Az ügyfél nevét meg kell adni.") : QString());
        clients.cancel();
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
        // Accented letters ignore case too: á finds Ábrahám.
        QVERIFY(SearchList(senders, name, QStringLiteral("á")));
        QCOMPARE(senders.asInteger(QStringLiteral("tulajdonos")), 1);
        // A text that matches nothing keeps the row of its longest matching beginning.
        QVERIFY(!SearchList(senders, name, QStringLiteral("kx")));
        QCOMPARE(senders.asInteger(QStringLiteral("tulajdonos")), 2);
        QVERIFY(SearchList(senders, name, QString()));
        QCOMPARE(senders.recNo(), 1);
    }

    // -- Groups and their clients ---------------------------------------------------------

    void renamingAGroupTakesItsClientsAlong()
    {
        m_db.exec(QStringLiteral(
            "INSERT INTO csoport (csoport, csoports) VALUES ('Szállítók', 'SZALLITOK'), ('Mások', 'MASOK');"
            "INSERT INTO ugyfel (ugyfel, ugyfel_nev, csoport, csoports) VALUES "
            "(9001, 'Első', 'Szállítók', 'SZALLITOK'), (9002, 'Második', 'Szállítók', 'SZALLITOK'),"
            "(9003, 'Harmadik', 'Mások', 'MASOK'), (9004, 'Negyedik', 'szállítók', 'SZALLITOK');"));
        TableView groups(m_db, QStringLiteral("csoport"));
        openGroups(groups);
        QVERIFY(groups.locateValue(QStringLiteral("csoport"), QStringLiteral("Szállítók")));
        groups.edit();
        groups.setValue(QStringLiteral("csoport"), QStringLiteral("Beszállítók"));
        SaveListRow(groups);
        QCOMPARE(groups.state(), DataSet::State::Browse);
        const auto clientsOf = [this](const QString &group) {
            return SqlValue(m_db, QStringLiteral("SELECT group_concat(ugyfel || ':' || csoports) FROM "
                                                 "(SELECT * FROM ugyfel WHERE ugyfel > 9000 AND csoport = '%1' ORDER BY ugyfel)")
                                      .arg(group)).toString();
        };
        QCOMPARE(clientsOf(QStringLiteral("Beszállítók")), QStringLiteral("9001:BESZALLITOK,9002:BESZALLITOK"));
        QCOMPARE(clientsOf(QStringLiteral("Szállítók")), QString());
        // Other groups, and a name that differs in case, are left alone.
        QCOMPARE(clientsOf(QStringLiteral("Mások")), QStringLiteral("9003:MASOK"));
        QCOMPARE(clientsOf(QStringLiteral("szállítók")), QStringLiteral("9004:SZALLITOK"));

        // Renaming to a name that is taken changes neither the group nor its clients.
        groups.edit();
        groups.setValue(QStringLiteral("csoport"), QStringLiteral("Mások"));
        try {
            SaveListRow(groups);
            QFAIL("a taken name was saved");
        } catch (const Error &e) {
            QCOMPARE(e.message(), QStringLiteral("Ilyen nevű csoport már van."));
        }
        QCOMPARE(groups.state(), DataSet::State::Edit);
        groups.cancel();
        QCOMPARE(clientsOf(QStringLiteral("Beszállítók")), QStringLiteral("9001:BESZALLITOK,9002:BESZALLITOK"));
        QCOMPARE(clientsOf(QStringLiteral("Mások")), QStringLiteral("9003:MASOK"));

        // Deleting a group in use names its clients and empties their group.
        QVERIFY(groups.locateValue(QStringLiteral("csoport"), QStringLiteral("Beszállítók")));
        QCOMPARE(DeleteQuestion(groups), QStringLiteral("A csoporthoz 2 ügyfél tartozik. Valóban törli?"));
        DeleteListRow(groups);
        QCOMPARE(SqlValue(m_db, QStringLiteral("SELECT COUNT(*) FROM csoport WHERE csoport = 'Beszállítók'")).toInt(), 0);
        QCOMPARE(SqlValue(m_db, QStringLiteral("SELECT group_concat(ugyfel || ':' || ifnull(csoport, 'NULL') || ':' || csoports) "
                                               "FROM (SELECT * FROM ugyfel WHERE ugyfel IN (9001, 9002) ORDER BY ugyfel)")).toString(),
                 QStringLiteral("9001:NULL:,9002:NULL:"));
        QCOMPARE(clientsOf(QStringLiteral("Mások")), QStringLiteral("9003:MASOK"));

        m_db.exec(QStringLiteral("DELETE FROM ugyfel WHERE ugyfel > 9000; DELETE FROM csoport WHERE csoport = 'Mások';"
                                 "INSERT INTO csoport (csoport, csoports) VALUES ('Üres', 'URES');"));
        groups.open();
        QVERIFY(groups.locateValue(QStringLiteral("csoport"), QStringLiteral("Üres")));
        QCOMPARE(DeleteQuestion(groups), QStringLiteral("Valóban töröljem a sort?"));
        DeleteListRow(groups);
        QCOMPARE(SqlValue(m_db, QStringLiteral("SELECT COUNT(*) FROM csoport WHERE csoport = 'Üres'")).toInt(), 0);
    }

    // A failed delete leaves the clients' group as it was: the two steps are one transaction.
    void failedGroupDeleteKeepsTheClients()
    {
        m_db.exec(QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES ('Zárt', 'ZART');"
                                 "INSERT INTO ugyfel (ugyfel, ugyfel_nev, csoport) VALUES (9101, 'Zárt Kft.', 'Zárt');"
                                 "CREATE TRIGGER nem_torolheto BEFORE DELETE ON csoport "
                                 "BEGIN SELECT RAISE(ABORT, 'a csoport zárolva'); END;"));
        TableView groups(m_db, QStringLiteral("csoport"));
        openGroups(groups);
        QVERIFY(groups.locateValue(QStringLiteral("csoport"), QStringLiteral("Zárt")));
        QVERIFY_THROWS_EXCEPTION(Error, DeleteListRow(groups));
        QCOMPARE(SqlValue(m_db, QStringLiteral("SELECT csoport FROM ugyfel WHERE ugyfel = 9101")).toString(), QStringLiteral("Zárt"));
        QCOMPARE(groups.asString(QStringLiteral("csoport")), QStringLiteral("Zárt"));
        m_db.exec(QStringLiteral("DROP TRIGGER nem_torolheto; DELETE FROM ugyfel WHERE ugyfel = 9101;"
                                 "DELETE FROM csoport WHERE csoport = 'Zárt';"));
    }

    // Every unique key of the master data is refused in Hungarian, by the real engine's message.
    void takenKeysAreRefusedInHungarian_data()
    {
        QTest::addColumn<QString>("prepare"); // run before, undone after
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("group name") << QStringLiteral("INSERT INTO csoport (csoport) VALUES ('Partnerek2')")
                                    << QStringLiteral("csoport") << QStringLiteral("csoport")
                                    << QVariant(QStringLiteral("Partnerek2")) << QStringLiteral("Ilyen nevű csoport már van.");
        QTest::newRow("sender key") << QStringLiteral("INSERT OR IGNORE INTO tulajdonos (tulajdonos) VALUES (1)")
                                    << QStringLiteral("tulajdonos") << QStringLiteral("tulajdonos")
                                    << QVariant(qint64(1)) << QStringLiteral("Ilyen kulcsú feladó már van.");
        QTest::newRow("postal-code key") << QString() << QStringLiteral("irsz") << QStringLiteral("id")
                                         << QVariant(qint64(1)) << QStringLiteral("Ilyen azonosítójú irányítószám már van.");
        QTest::newRow("label-format key") << QString() << QStringLiteral("cimke") << QStringLiteral("id")
                                          << QVariant(qint64(1)) << QStringLiteral("Ilyen azonosítójú címke már van.");
        QTest::newRow("postal code and town")
            << QStringLiteral("CREATE UNIQUE INDEX irsz_par ON irsz (irsz, varos)") << QStringLiteral("irsz")
            << QStringLiteral("") << QVariant() << QStringLiteral("Ilyen irányítószám és város már van.");
    }
    void takenKeysAreRefusedInHungarian()
    {
        QFETCH(QString, prepare);
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(QString, message);
        if (!prepare.isEmpty())
            m_db.exec(prepare);
        const qint64 rows = SqlValue(m_db, QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong();
        TableView list(m_db, table);
        if (table == QLatin1String("csoport"))
            openGroups(list);
        else
            list.open();
        list.append();
        if (column.isEmpty()) { // a postal code and town that are there already
            list.setValue(QStringLiteral("id"), NextId(m_db, QStringLiteral("id"), QStringLiteral("irsz")));
            list.setValue(QStringLiteral("irsz"), QStringLiteral("1011"));
            list.setValue(QStringLiteral("varos"), QStringLiteral("Budapest"));
        } else {
            list.setValue(column, value);
        }
        QString shown;
        try {
            SaveListRow(list);
        } catch (const Error &e) {
            shown = e.message();
        }
        const bool stillEditing = list.state() == DataSet::State::Insert;
        list.cancel();
        const qint64 rowsAfter = SqlValue(m_db, QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong();
        if (table == QLatin1String("csoport"))
            m_db.exec(QStringLiteral("DELETE FROM csoport WHERE csoport = 'Partnerek2'"));
        if (column.isEmpty())
            m_db.exec(QStringLiteral("DROP INDEX irsz_par"));
        QCOMPARE(shown, message);
        QVERIFY(stillEditing);
        QCOMPARE(rowsAfter, rows);
    }

    void keyConflictMessage_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("shown");
        QTest::newRow("another unique key") << QStringLiteral("UNIQUE constraint failed: ugyfel.ugyfel")
                                            << QStringLiteral("Ilyen adat már van (ugyfel.ugyfel).");
        QTest::newRow("not a key") << QStringLiteral("database is locked") << QStringLiteral("database is locked");
        QTest::newRow("NOT NULL is no key") << QStringLiteral("NOT NULL constraint failed: cimke.id")
                                            << QStringLiteral("NOT NULL constraint failed: cimke.id");
    }
    void keyConflictMessage()
    {
        QFETCH(QString, engine);
        QFETCH(QString, shown);
        QCOMPARE(KeyConflictMessage(engine), shown);
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
