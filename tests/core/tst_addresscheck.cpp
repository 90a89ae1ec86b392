// The address check and duplicate finder over a small address book on the real postal codes.
#include "core/database.h"
#include "core/schema.h"
#include "core/statement.h"
#include "masterdata/addresscheck.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <algorithm>
#include <QTest>

using namespace kartevo;
using kartevo::test::DeliveredDatabase;

namespace {

// A client's findings as "code" or "code:other", in the order they are listed.
QStringList FindingsOf(const QList<AddressFinding> &findings, qint64 client)
{
    QStringList words;
    for (const AddressFinding &finding : findings) {
        if (finding.client != client)
            continue;
        words.append(finding.other == 0 ? FindingCodeWord(finding.code)
                                        : FindingCodeWord(finding.code) + u':' + QString::number(finding.other));
    }
    return words;
}

} // namespace

class TestAddressCheck : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    Database m_db;
    QList<AddressFinding> m_findings;

private Q_SLOTS:
    void initTestCase()
    {
        m_db.open(DeliveredDatabase(m_dir));
        UpgradeSchema(m_db, QStringLiteral(KARTEVO_SOURCE_DIR "/data/cimke.sql"));
        m_db.exec(QStringLiteral(
            "INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim) VALUES "
            "(1, 'Tiszta Kft.', '1011', 'Budapest', 'Fő utca 1.'),"
            "(2, 'Külföldi GmbH', 'D-80331', 'München', 'Marienplatz 1'),"
            "(3, 'Szegedi Bt.', '1011', 'Szeged', 'Kárász utca 5.'),"
            "(4, 'Győri Zrt.', '9021', 'gyor ', 'Baross út 3.'),"
            "(5, 'Hiricsi Kkt.', '7838', 'Hirics', 'Fő út 2.'),"
            "(6, 'Kovács és Társa Kft.', '6720', 'Szeged', 'Dóm tér 1.'),"
            "(7, 'Kovacs es Tarsa kft', '6720', 'Szeged', 'Tisza Lajos körút 9.'),"
            "(8, 'Első Név', '4025', 'Debrecen', 'Piac utca 20.'),"
            "(9, 'Második Név Bt.', '4025', 'Debrecen', 'piac utca  20'),"
            "(10, NULL, NULL, '  ', NULL),"
            "(11, 'Ismeretlen', '0000', 'Sehol', 'Út 1.'),"
            "(12, 'Első Név e.v.', '1011', 'Budapest', 'Corvin tér 2.'),"
            "(13, 'Első Név', '4025', 'Debrecen', 'Piac utca 20.')"));
        m_findings = CheckAddresses(m_db);
    }

    void findings_data()
    {
        QTest::addColumn<qint64>("client");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("clean client") << qint64(1) << QStringList();
        QTest::newRow("foreign-looking code") << qint64(2) << QStringList{QStringLiteral("malformed-postal-code")};
        QTest::newRow("1011 with Szeged") << qint64(3) << QStringList{QStringLiteral("town-mismatch")};
        QTest::newRow("Győr typed as 'gyor '") << qint64(4) << QStringList();
        QTest::newRow("shared code, its second town") << qint64(5) << QStringList();
        QTest::newRow("company name with accents") << qint64(6) << QStringList{QStringLiteral("duplicate-name:7")};
        QTest::newRow("same name without accents") << qint64(7) << QStringList{QStringLiteral("duplicate-name:6")};
        QTest::newRow("three of a name, same street as another")
            << qint64(8) << QStringList{QStringLiteral("duplicate-name:12"), QStringLiteral("duplicate-address:9")};
        QTest::newRow("same street under another name") << qint64(9) << QStringList{QStringLiteral("duplicate-address:8")};
        QTest::newRow("everything missing")
            << qint64(10) << QStringList{QStringLiteral("missing-name"), QStringLiteral("missing-postal-code"),
                                         QStringLiteral("missing-town"), QStringLiteral("missing-address")};
        QTest::newRow("code not in the table") << qint64(11) << QStringList{QStringLiteral("unknown-postal-code")};
        QTest::newRow("e.v. set aside") << qint64(12) << QStringList{QStringLiteral("duplicate-name:8")};
        QTest::newRow("third of a name") << qint64(13) << QStringList{QStringLiteral("duplicate-name:8"),
                                                                      QStringLiteral("duplicate-address:9")};
    }
    void findings()
    {
        QFETCH(qint64, client);
        QFETCH(QStringList, expected);
        QCOMPARE(FindingsOf(m_findings, client), expected);
    }

    void findingCarriesTheStoredAddress()
    {
        const auto found = std::find_if(m_findings.cbegin(), m_findings.cend(),
                                        [](const AddressFinding &f) { return f.client == 3; });
        QVERIFY(found != m_findings.cend());
        QCOMPARE(found->name, QStringLiteral("Szegedi Bt."));
        QCOMPARE(found->postalCode, QStringLiteral("1011"));
        QCOMPARE(found->town, QStringLiteral("Szeged"));
        QCOMPARE(found->address, QStringLiteral("Kárász utca 5."));
        QCOMPARE(FindingText(*found), QStringLiteral("A helység nem ehhez az irányítószámhoz tartozik."));
    }

    void scopes_data()
    {
        QTest::addColumn<int>("scope");
        QTest::addColumn<bool>("addresses");
        QTest::addColumn<bool>("duplicates");
        QTest::newRow("addresses only") << int(CheckScope::AddressesOnly) << true << false;
        QTest::newRow("duplicates only") << int(CheckScope::DuplicatesOnly) << false << true;
    }
    void scopes()
    {
        QFETCH(int, scope);
        QFETCH(bool, addresses);
        QFETCH(bool, duplicates);
        const QList<AddressFinding> found = CheckAddresses(m_db, CheckScope(scope));
        QList<AddressFinding> expected;
        for (const AddressFinding &f : std::as_const(m_findings)) {
            const bool duplicate = f.code == FindingCode::DuplicateName || f.code == FindingCode::DuplicateAddress;
            if (duplicate ? duplicates : addresses)
                expected.append(f);
        }
        QCOMPARE(found.size(), expected.size());
        for (int i = 0; i < found.size(); ++i) {
            QCOMPARE(found[i].client, expected[i].client);
            QCOMPARE(found[i].code, expected[i].code);
        }
    }

    void nameKeys_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("Kft. and kft") << QStringLiteral("Kovács és Társa Kft.") << QStringLiteral("Kovacs es Tarsa kft") << true;
        QTest::newRow("Nyrt. dropped") << QStringLiteral("Alfa Nyrt.") << QStringLiteral("ALFA") << true;
        QTest::newRow("egyéni vállalkozó") << QStringLiteral("Kiss Ödön egyéni vállalkozó") << QStringLiteral("Kiss Odon ev") << true;
        QTest::newRow("punctuation and spaces") << QStringLiteral("Béta-Gamma,  Bt.") << QStringLiteral("beta gamma") << true;
        QTest::newRow("form only at the end") << QStringLiteral("Bt Szerviz") << QStringLiteral("Szerviz") << false;
        QTest::newRow("form inside a word") << QStringLiteral("Abt") << QStringLiteral("A") << false;
        QTest::newRow("other names") << QStringLiteral("Kovács Kft.") << QStringLiteral("Kovács Bt. Szerviz") << false;
    }
    void nameKeys()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(NameKey(a) == NameKey(b), same);
    }

    void editDialogWarning_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("town");
        QTest::addColumn<bool>("warned");
        QTest::newRow("agree") << QStringLiteral("1011") << QStringLiteral("budapest") << false;
        QTest::newRow("second town of a shared code") << QStringLiteral("7838") << QStringLiteral("Vajszló") << false;
        QTest::newRow("disagree") << QStringLiteral("1011") << QStringLiteral("Szeged") << true;
        QTest::newRow("code still being typed") << QStringLiteral("101") << QStringLiteral("Szeged") << false;
        QTest::newRow("no town yet") << QStringLiteral("1011") << QStringLiteral(" ") << false;
    }
    void editDialogWarning()
    {
        QFETCH(QString, code);
        QFETCH(QString, town);
        QFETCH(bool, warned);
        const PostalTowns towns(m_db);
        QCOMPARE(!PostalTownWarning(towns, code, town).isEmpty(), warned);
    }
    void findingTableSorts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QList<qint64>>("clients");
        // Folded: no name, "ELSO NEV", "ELSO NEV E.V.", "ISMERETLEN", "KOVACS ES TARSA KFT" (7)
        // before "KOVACS ES TARSA KFT." (6), "KULFOLDI", "MASODIK", "SZEGEDI".
        QTest::newRow("name without accents")
            << QStringLiteral("ugyfel_nev") << QList<qint64>{10, 10, 10, 10, 8, 8, 13, 13, 12, 11, 7, 6, 2, 9, 3};
        QTest::newRow("key by value") << QStringLiteral("ugyfel")
                                      << QList<qint64>{2, 3, 6, 7, 8, 8, 9, 10, 10, 10, 10, 11, 12, 13, 13};
    }
    void findingTableSorts()
    {
        QFETCH(QString, field);
        QFETCH(QList<qint64>, clients);
        FindingTable table;
        table.setFindings(m_findings);
        table.moveTo(2);
        const AddressFinding *current = table.currentFinding();
        QVERIFY(current);
        const qint64 client = current->client;
        const FindingCode code = current->code;
        table.sortBy(QStringLiteral("cim_cim")); // another order first: the key sort must not rely on the old one
        table.sortBy(field);
        QList<qint64> first;
        QCOMPARE(table.recordCount(), clients.size());
        for (int row = 0; row < clients.size(); ++row)
            first.append(table.cell(row, 0).toLongLong());
        QCOMPARE(first, clients);
        QCOMPARE(table.currentFinding()->client, client);
        QCOMPARE(table.currentFinding()->code, code);
    }

    void markFoundClients()
    {
        m_db.exec(QStringLiteral("UPDATE ugyfel SET jelolve = 'N'"));
        MarkFoundClients(m_db, m_findings);
        Statement marked(m_db, QStringLiteral("SELECT group_concat(ugyfel) FROM (SELECT ugyfel FROM ugyfel WHERE jelolve = 'I' ORDER BY ugyfel)"));
        QVERIFY(marked.step());
        QCOMPARE(marked.column(0).toString(), QStringLiteral("2,3,6,7,8,9,10,11,12,13"));
    }
};

QTEST_GUILESS_MAIN(TestAddressCheck)
#include "tst_addresscheck.moc"
