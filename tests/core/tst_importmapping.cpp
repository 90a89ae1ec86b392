#include "core/database.h"
#include "core/schema.h"
#include "exchange/importmapping.h"
#include "masterdata/addresscheck.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace Qt::StringLiterals;
using namespace kartevo::test;

namespace {

SourceTable Table(const QList<QStringList> &rows)
{
    SourceTable table;
    table.rows = rows;
    return table;
}

QStringList Fields(const ClientFields &fields)
{
    return QStringList(fields.begin(), fields.end());
}

} // namespace

class TestImportMapping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The header titles of hand-made lists and of the contacts exports of mail programs, and the
    // mapping guessed from them (text form).
    void guessesFromTitles_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("mapping");
        QTest::newRow("hungarian") << QStringList{u"Irányítószám"_s, u"Település"_s, u"Név"_s, u"Kapcsolattartó"_s, u"Cím"_s, u"Csoport"_s}
                                   << u"name=3,contact=4,postal=1,town=2,street=5,group=6,header"_s;
        QTest::newRow("no accents, other case")
            << QStringList{u"NEV"_s, u"irsz"_s, u"VAROS"_s, u"utca"_s, u"csoport"_s} << u"name=1,postal=2,town=3,street=4,group=5,header"_s;
        QTest::newRow("company and person")
            << QStringList{u"Cégnév"_s, u"Név"_s, u"Irsz."_s, u"Helység"_s, u"Cím"_s} << u"postal=3,town=4,street=5,company=1,person=2,header"_s;
        QTest::newRow("english")
            << QStringList{u"Company"_s, u"Last Name"_s, u"First Name"_s, u"ZIP"_s, u"City"_s, u"Street"_s, u"Group"_s}
            << u"postal=4,town=5,street=6,group=7,company=1,person=2+3,header"_s;
        QTest::newRow("mail program export, business before home")
            << QStringList{u"Title"_s, u"First Name"_s, u"Middle Name"_s, u"Last Name"_s, u"Company"_s, u"Business Street"_s,
                           u"Business City"_s, u"Business Postal Code"_s, u"Home Street"_s, u"Home City"_s, u"Home Postal Code"_s,
                           u"E-mail Address"_s, u"Categories"_s}
            << u"postal=8,town=7,street=6,group=13,company=5,person=4+2+3,header"_s;
        QTest::newRow("web mail export")
            << QStringList{u"Name"_s, u"Given Name"_s, u"Family Name"_s, u"Group Membership"_s, u"Organization 1 - Name"_s,
                           u"Address 1 - Formatted"_s, u"Address 1 - Street"_s, u"Address 1 - City"_s, u"Address 1 - Postal Code"_s}
            << u"postal=9,town=8,street=7,group=4,company=5,person=3+2,header"_s;
        QTest::newRow("address book export")
            << QStringList{u"First Name"_s, u"Last Name"_s, u"Display Name"_s, u"Work Address"_s, u"Work City"_s, u"Work ZipCode"_s,
                           u"Organization"_s}
            << u"postal=6,town=5,street=4,company=7,person=2+1,header"_s;
        QTest::newRow("vCards") << VCardColumnTitles() << u"postal=6,town=7,street=5,group=8,company=4,person=1+2,header"_s;
        QTest::newRow("one address column")
            << QStringList{u"Name"_s, u"Address"_s, u"Phone"_s} << u"name=1,address=2,header"_s;
        QTest::newRow("address beside a town is the street")
            << QStringList{u"Name"_s, u"Address"_s, u"Town"_s} << u"name=1,town=3,street=2,header"_s;
    }
    void guessesFromTitles()
    {
        QFETCH(QStringList, titles);
        QFETCH(QString, mapping);
        const ImportMapping guessed = GuessMapping(Table({titles, QStringList(titles.size(), QStringLiteral("x"))}), nullptr);
        QCOMPARE(MappingText(guessed), mapping);
        QCOMPARE(ParseMappingText(mapping), guessed);
    }

    // Without a header: four-digit numbers are postal codes, known towns are towns, and the
    // program's own six-column order comes out right.
    void guessesFromContents()
    {
        QTemporaryDir dir;
        Database db;
        db.open(DeliveredDatabase(dir));
        const PostalTowns towns(db);
        const SourceTable own = Table({{u"Kiss Anna"_s, u"Kiss Péter"_s, u"6720"_s, u"Szeged"_s, u"Fő u. 1."_s, u"Barát"_s},
                                       {u"Nagy Kft."_s, u"Nagy Éva"_s, u"1051"_s, u"Budapest"_s, u"Kert u. 2."_s, u"Cég"_s}});
        QCOMPARE(MappingText(GuessMapping(own, &towns)), QStringLiteral("name=1,contact=2,postal=3,town=4,street=5,group=6"));
        const SourceTable shuffled = Table({{u"Győr"_s, u"9021"_s, u"Tóth Ede"_s, u"Fő tér 3."_s}, {u"Pécs"_s, u"7621"_s, u"Kő Ida"_s, u"Ady u. 1."_s}});
        QCOMPARE(MappingText(GuessMapping(shuffled, &towns)), QStringLiteral("name=3,postal=2,town=1,street=4"));
        const SourceTable oneColumn = Table({{u"Kiss Anna"_s, u"1051 Budapest, Fő utca 1."_s}, {u"Kő Ida"_s, u"7621 Pécs, Ady u. 1."_s}});
        QCOMPARE(MappingText(GuessMapping(oneColumn, &towns)), QStringLiteral("name=1,address=2"));
    }

    void appliesCombinedForms_data()
    {
        QTest::addColumn<QString>("mapping");
        QTest::addColumn<QStringList>("row");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("company row: company is the name, person the contact")
            << u"company=1,person=3+2,town=4"_s << QStringList{u"Alma Kft."_s, u"Péter"_s, u"Kovács"_s, u"Eger"_s}
            << QStringList{u"Alma Kft."_s, u"Kovács Péter"_s, u""_s, u"Eger"_s, u""_s, u""_s};
        QTest::newRow("no company: the person is the name")
            << u"company=1,person=3+2"_s << QStringList{u""_s, u" Péter "_s, u"Kovács"_s} << QStringList{u"Kovács Péter"_s, u""_s, u""_s, u""_s, u""_s, u""_s};
        QTest::newRow("missing given name")
            << u"person=1+2"_s << QStringList{u"Kovács"_s} << QStringList{u"Kovács"_s, u""_s, u""_s, u""_s, u""_s, u""_s};
        QTest::newRow("joined contact by hand")
            << u"name=1,contact=2+3"_s << QStringList{u"Alma Bt."_s, u"Nagy"_s, u"Éva"_s} << QStringList{u"Alma Bt."_s, u"Nagy Éva"_s, u""_s, u""_s, u""_s, u""_s};
        QTest::newRow("address split, code first")
            << u"name=1,address=2"_s << QStringList{u"A"_s, u"1051 Budapest, Fő utca 1."_s}
            << QStringList{u"A"_s, u""_s, u"1051"_s, u"Budapest"_s, u"Fő utca 1."_s, u""_s};
        QTest::newRow("address split, street first, country dropped")
            << u"name=1,address=2"_s << QStringList{u"A"_s, u"Fő utca 1.\n2. em. 3.\n6720 Szeged\nMagyarország"_s}
            << QStringList{u"A"_s, u""_s, u"6720"_s, u"Szeged"_s, u"Fő utca 1., 2. em. 3."_s, u""_s};
        QTest::newRow("address without a code is the street")
            << u"name=1,address=2"_s << QStringList{u"A"_s, u"Fő utca 1."_s} << QStringList{u"A"_s, u""_s, u""_s, u""_s, u"Fő utca 1."_s, u""_s};
        QTest::newRow("own columns win over the split")
            << u"name=1,address=2,town=3"_s << QStringList{u"A"_s, u"1051 Budapest, Fő utca 1."_s, u"Bp."_s}
            << QStringList{u"A"_s, u""_s, u"1051"_s, u"Bp."_s, u"Fő utca 1."_s, u""_s};
        QTest::newRow("line breaks inside a name cell")
            << u"name=1,street=2"_s << QStringList{u"Alma\r\nKft."_s, u"Fő u.  1."_s} << QStringList{u"Alma Kft."_s, u""_s, u""_s, u""_s, u"Fő u. 1."_s, u""_s};
    }
    void appliesCombinedForms()
    {
        QFETCH(QString, mapping);
        QFETCH(QStringList, row);
        QFETCH(QStringList, fields);
        QCOMPARE(Fields(MapRow(ParseMappingText(mapping), row)), fields);
    }

    void refusesBadMappingText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << u""_s;
        QTest::newRow("unknown word") << u"nev=1"_s;
        QTest::newRow("no column") << u"name="_s;
        QTest::newRow("column 0") << u"name=0"_s;
        QTest::newRow("beyond the file") << u"name=1,town=9"_s;
        QTest::newRow("twice") << u"name=1,name=2"_s;
        QTest::newRow("no equals") << u"name"_s;
    }
    void refusesBadMappingText()
    {
        QFETCH(QString, text);
        QVERIFY_THROWS_EXCEPTION(Error, ParseMappingText(text, 4));
    }

    // The window shows a mapping as one choice per column and reads it back.
    void choicesOfColumns()
    {
        const ImportMapping mapping = ParseMappingText(u"postal=1,town=2,company=3,person=5+4,address=6,header"_s);
        const QList<ColumnChoice> choices = ColumnChoicesOf(mapping, 7);
        QCOMPARE(choices, QList<ColumnChoice>({ColumnChoice::PostalCode, ColumnChoice::Town, ColumnChoice::Company,
                                               ColumnChoice::GivenName, ColumnChoice::FamilyName, ColumnChoice::Address,
                                               ColumnChoice::Skip}));
        QCOMPARE(MappingOfChoices(choices, true), mapping);
        QCOMPARE(ColumnChoicesOf(mapping, 2).size(), 2);
    }

    void headerKeyIgnoresBlanksOnly()
    {
        QCOMPARE(HeaderKey({u"Név "_s, u" Cím"_s}), HeaderKey({u"Név"_s, u"Cím"_s}));
        QVERIFY(HeaderKey({u"Név"_s, u"Cím"_s}) != HeaderKey({u"Cím"_s, u"Név"_s}));
    }
};

QTEST_GUILESS_MAIN(TestImportMapping)
#include "tst_importmapping.moc"
