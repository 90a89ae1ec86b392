// The address-list import of the import window, worked as a new user would: a contacts export
// opened, the guessed mapping checked and changed, the findings seen, the import run and undone.
#include "demowindow.h"
#include "fakefiledialogs.h"
#include "modaldriver.h"
#include "ui/exchange/frm_import.h"
#include "ui/exchange/importwizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTableWidget>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;
using namespace Qt::StringLiterals;

class TestImportWizard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Tfrm_Main::SetSplashEnabled(false); }

    void importsAContactsExportAndTakesItBack()
    {
        DemoWindow demo;
        demo.showActive();
        FakeFileDialogs dialogs;
        dialogs.answer = QStringLiteral(KARTEVO_TEST_DATA_DIR "/import/contacts.csv");
        bool checked = false;
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Import *>(modal);
            QVERIFY(window);
            QCOMPARE(window->cbFajta->currentIndex(), 0);
            window->aMegnyit->trigger();
            TImportWizard *wizard = window->Varazslo;
            QCOMPARE(MappingText(wizard->mapping()), u"postal=7,town=6,street=5,group=12,company=4,person=3+1+2,header"_s);
            QTableWidget *grid = wizard->Elonezet;
            const auto chooser = [grid](int column) { return qobject_cast<QComboBox *>(grid->cellWidget(0, column)); };
            QCOMPARE(chooser(0)->currentText(), u"utónév"_s);
            QCOMPARE(chooser(2)->currentText(), u"családi név"_s);
            QCOMPARE(chooser(10)->currentText(), u"nem kell"_s);
            // Grid row 1 is the header; rows 2-5 the contacts. The repeated contact and the
            // town that is not that of its code are marked before anything is written.
            const int findings = grid->columnCount() - 1;
            QCOMPARE(grid->item(4, findings)->text(), u"Ugyanaz, mint a fájl 3. sora."_s);
            QCOMPARE(grid->item(5, findings)->text(), u"A helység nem ehhez az irányítószámhoz tartozik."_s);
            QVERIFY(grid->item(4, 0)->background() != grid->item(3, 0)->background());
            QVERIFY(grid->item(5, 0)->background() != grid->item(3, 0)->background());
            QVERIFY(wizard->cbKihagy->isChecked());

            chooser(11)->setCurrentIndex(int(ColumnChoice::Skip)); // no groups from the categories
            window->aBetolt->trigger();
            QCOMPARE(demo.prompter.errors, QStringList());
            QCOMPARE(demo.prompter.infos.value(0), u"3 ügyfél és 0 új csoport betöltve; 1 duplikátum kihagyva; 0 érték levágva"_s);
            QCOMPARE(demo.rows(), 33);

            // The same header again: the mapping chosen last time comes back.
            window->aMegnyit->trigger();
            QCOMPARE(chooser(11)->currentText(), u"nem kell"_s);
            QCOMPARE(grid->item(2, findings)->text(), u"Már szerepel: 31. ügyfél."_s);

            window->aVisszavon->trigger();
            QCOMPARE(demo.prompter.questions.size(), 1);
            QVERIFY2(demo.prompter.questions.first().contains(u"contacts.csv"_s), qPrintable(demo.prompter.questions.first()));
            QCOMPARE(demo.prompter.infos.value(1), u"3 ügyfél és 0 csoport törölve (%1)."_s.arg(dialogs.answer));
            QCOMPARE(demo.rows(), 30);
            window->aBezar->trigger();
            checked = true;
        });
        demo.trigger("aImport");
        QVERIFY(checked);
        QCOMPARE(demo.scalar(u"SELECT count(*) FROM ugyfel"_s).toInt(), 30);

        // From the main menu: nothing is left to take back.
        demo.trigger("aImportVissza");
        QCOMPARE(demo.prompter.infos.value(2), u"Nincs visszavonható betöltés."_s);
    }

    // Every kind of file a new user brings, opened, guessed and imported through the window
    // alone: the clients land with their fields as the file has them.
    void importsEveryKindOfFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("clients");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("fields"); // contact|postal code|town|street of `name`
        const QString kovacs = u"Kovács Ödön|6720|Szeged|Kárász utca 5."_s;
        QTest::newRow("xlsx, office suite") << u"ugyfelek.xlsx"_s << 4 << u"Kovács és Társa Kft."_s << kovacs;
        QTest::newRow("xlsx, library") << u"ugyfelek-library.xlsx"_s << 4 << u"Kovács és Társa Kft."_s << kovacs;
        QTest::newRow("ods") << u"ugyfelek.ods"_s << 4 << u"Kovács és Társa Kft."_s << kovacs;
        QTest::newRow("xls") << u"ugyfelek.xls"_s << 4 << u"Kovács és Társa Kft."_s << kovacs;
        QTest::newRow("vCard 2.1") << u"kontaktok-21.vcf"_s << 2 << u"Űrtechnika Zrt."_s
                                   << u"Szűcs Előd|9021|Győr|Szent István út 10."_s;
        QTest::newRow("vCard 3.0") << u"kontaktok-30.vcf"_s << 3 << u"Kovács és Társa Kft."_s << kovacs;
        QTest::newRow("vCard 4.0") << u"kontaktok-40.vcf"_s << 2 << u"Űrhajós Ődön"_s
                                   << u"|9941|Őriszentpéter|Fő tér 1."_s;
        QTest::newRow("quoted CSV") << u"quoted.csv"_s << 3 << u"Kovács Bt."_s << u"|6720|Szeged|Tisza L. krt. 5., fsz."_s;
    }
    void importsEveryKindOfFile()
    {
        QFETCH(QString, file);
        QFETCH(int, clients);
        QFETCH(QString, name);
        QFETCH(QString, fields);
        DemoWindow demo;
        demo.showActive();
        FakeFileDialogs dialogs;
        dialogs.answer = QStringLiteral(KARTEVO_TEST_DATA_DIR "/import/") + file;
        const int before = demo.rows();
        bool checked = false;
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Import *>(modal);
            QVERIFY(window);
            window->aMegnyit->trigger();
            window->aBetolt->trigger();
            QCOMPARE(demo.prompter.errors, QStringList());
            QVERIFY2(demo.prompter.infos.value(0).startsWith(u"%1 ügyfél és "_s.arg(clients)), qPrintable(demo.prompter.infos.value(0)));
            window->aBezar->trigger();
            checked = true;
        });
        demo.trigger("aImport");
        QVERIFY(checked);
        QCOMPARE(demo.rows(), before + clients);
        const QString stored = demo.scalar(u"SELECT kapcsolat || '|' || cim_irsz || '|' || cim_varos || '|' || cim_cim "
                                           "FROM ugyfel WHERE ugyfel_nev = '%1'"_s.arg(name)).toString();
        QCOMPARE(stored, fields);
    }

    // A file whose columns give no name: the window says why, and nothing is written.
    void refusesAFileWithoutNames()
    {
        DemoWindow demo;
        demo.showActive();
        FakeFileDialogs dialogs;
        dialogs.answer = demo.inst.dir.filePath(u"szamok.csv"_s);
        WriteBytes(dialogs.answer, "1;2\n3;4\n");
        bool checked = false;
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Import *>(modal);
            QVERIFY(window);
            window->aMegnyit->trigger();
            QVERIFY(window->Varazslo->Megallapitas->text().startsWith(u"Nem derül ki, melyik oszlop"_s));
            window->aBetolt->trigger();
            QCOMPARE(demo.prompter.errors.size(), 1);
            QVERIFY(demo.prompter.errors.first().startsWith(u"Nem derül ki, melyik oszlop"_s));
            QCOMPARE(demo.rows(), 30);
            window->aBezar->trigger();
            checked = true;
        });
        demo.trigger("aImport");
        QVERIFY(checked);
    }
};

QTEST_MAIN(TestImportWizard)
#include "tst_importwizard.moc"
