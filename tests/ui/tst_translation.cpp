// Translation of windows: the component walk, the main window with a language file, the
// language choice, and the template of every translated window against the English file.
#include "core/codec.h"
#include "core/inifile.h"
#include "demowindow.h"
#include "i18n/language.h"
#include "modaldriver.h"
#include "printing/stationery.h"
#include "translatedwindows.h"
#include "ui/common/translation.h"
#include "ui/dialogs/frm_lang.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QComboBox>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>

using namespace kartevo;
using namespace kartevo::test;
using namespace Qt::StringLiterals;

namespace {

template <typename T>
T *Named(T *object, const QString &name)
{
    object->setObjectName(name);
    return object;
}

QString LangIni(const QString &body)
{
    return u"[Lang]\r\nLang="_s + body + u"\r\n"_s;
}

} // namespace

class TestTranslation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Tfrm_Main::SetSplashEnabled(false); }
    void cleanup() { SetTemplateMode(false); }

    // Every kind of component gives its keys, in tree order; what is not translated gives none.
    void walkFindsEveryKindInOrder()
    {
        QDialog window;
        window.setObjectName(u"frm_Minta"_s);
        window.setWindowTitle(u"Minta"_s);
        auto *command = Named(new QAction(u"Megnyit"_s, &window), u"aMegnyit"_s);
        command->setToolTip(u"Fájl megnyitása"_s);
        Named(new QAction(&window), u"aSep"_s)->setSeparator(true);
        auto *panel = Named(new QFrame(&window), u"Panel1"_s);
        auto *group = Named(new QGroupBox(u"Csoport"_s, panel), u"GroupBox1"_s);
        Named(new QLabel(u"Név"_s, group), u"Label1"_s);
        Named(new QLabel(&window), u"Image1"_s)->setPixmap(QPixmap(4, 4));
        Named(new QPushButton(u"OK"_s, group), u"Button1"_s);
        Named(new QCheckBox(u"Mindig"_s, group), u"CheckBox1"_s);
        Named(new QToolButton(group), u"ToolButton1"_s)->setText(u"eszköz"_s);
        auto *tabs = Named(new QTabWidget(&window), u"PageControl1"_s);
        auto *page = Named(new QWidget, u"TabSheet1"_s);
        tabs->addTab(page, u"Első"_s);
        auto *radio = Named(new QGroupBox(u"Elválasztó"_s, page), u"RadioGroup1"_s);
        for (const QString &item : {u"vessző"_s, u"pontosvessző"_s, u"tab"_s})
            Named(new QRadioButton(item, radio), u"Radio"_s + item);
        auto *grid = Named(new QTableView(&window), u"DBGrid1"_s);
        auto *model = new QStandardItemModel(0, 2, grid);
        model->setHorizontalHeaderLabels({u"név"_s, u"város"_s});
        grid->setModel(model);
        auto *status = Named(new QStatusBar(&window), u"StatusBar1"_s);
        Named(new QLabel(u"állapot"_s, status), u"StatusLabel"_s);
        new QLabel(u"névtelen"_s, &window);
        auto *menuBar = Named(new QMenuBar(&window), u"MainMenu1"_s);
        auto *menu = Named(new QMenu(u"Fájl"_s, menuBar), u"mnFajl"_s);
        Named(new QMenu(menu), u"pmNincsCim"_s);
        auto *scope = Named(new QComboBox(&window), u"ComboBox1"_s);
        scope->addItems({u"mind"_s, u"egy"_s, u"adat"_s});
        scope->setProperty("fixedItems", 2);
        Named(new QComboBox(&window), u"ComboBox2"_s)->addItem(u"adat"_s);
        const QObject *runTime = WindowText(&window, "Sorrend", u"sorrend:"_s);

        WindowTexts texts = CollectWindowTexts(&window);
        const QList<QPair<QString, QString>> expected{
            {u"Caption"_s, u"Minta"_s},
            {u"aMegnyit.Caption"_s, u"Megnyit"_s},
            {u"aMegnyit.Hint"_s, u"Fájl megnyitása"_s},
            {u"Panel1.Caption"_s, QString()},
            {u"GroupBox1.Caption"_s, u"Csoport"_s},
            {u"Label1.Caption"_s, u"Név"_s},
            {u"Button1.Caption"_s, u"OK"_s},
            {u"CheckBox1.Caption"_s, u"Mindig"_s},
            {u"TabSheet1.Caption"_s, u"Első"_s},
            {u"RadioGroup1.Caption"_s, u"Elválasztó"_s},
            {u"RadioGroup1.Item0"_s, u"vessző"_s},
            {u"RadioGroup1.Item1"_s, u"pontosvessző"_s},
            {u"RadioGroup1.Item2"_s, u"tab"_s},
            {u"DBGrid1[0].Caption"_s, u"név"_s},
            {u"DBGrid1[1].Caption"_s, u"város"_s},
            {u"mnFajl.Caption"_s, u"Fájl"_s},
            {u"ComboBox1.Item0"_s, u"mind"_s},
            {u"ComboBox1.Item1"_s, u"egy"_s},
            {u"Sorrend.Caption"_s, u"sorrend:"_s},
        };
        QCOMPARE(WindowKeys(texts), expected);

        // Back onto the window: each text lands on its own component.
        for (TextElement &element : texts.elements) {
            element.caption += u"!"_s;
            element.hint += u"?"_s;
            for (QString &item : element.items)
                item = item.toUpper();
        }
        texts.caption = u"Sample"_s;
        ApplyWindowTexts(&window, texts);
        QCOMPARE(window.windowTitle(), u"Sample"_s);
        QCOMPARE(command->text(), u"Megnyit!"_s);
        QCOMPARE(command->statusTip(), u"Fájl megnyitása?"_s);
        QCOMPARE(panel->property("caption").toString(), u"!"_s);
        QCOMPARE(window.findChild<QLabel *>(u"Label1"_s)->text(), u"Név!"_s);
        QCOMPARE(window.findChild<QCheckBox *>(u"CheckBox1"_s)->text(), u"Mindig!"_s);
        QCOMPARE(group->title(), u"Csoport!"_s);
        QCOMPARE(menu->title(), u"Fájl!"_s);
        QCOMPARE(scope->itemText(1), u"EGY"_s);
        QCOMPARE(scope->itemText(2), u"adat"_s);
        QCOMPARE(WindowTextOf(runTime), u"sorrend:!"_s);
        QCOMPARE(tabs->tabText(0), u"Első!"_s);
        QCOMPARE(radio->title(), u"Elválasztó!"_s);
        QCOMPARE(radio->findChildren<QRadioButton *>().at(1)->text(), u"PONTOSVESSZŐ"_s);
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), u"VÁROS"_s);
        QCOMPARE(window.findChild<QLabel *>(u"StatusLabel"_s)->text(), u"állapot"_s);
    }

    // The main window shown with a language file: missing keys keep their text, empty values
    // empty it; commands carry their text to the tool buttons; grid titles change.
    void mainWindowIsTranslatedWhenShown()
    {
        Installation inst;
        const QString lang = inst.dir.filePath(u"proba.ini"_s);
        WriteBytes(lang, ToCp1250(u"[FRM_MAIN]\r\nCaption=Kartevo (English)\r\naUj.Caption=New client\r\n"
                                  "aUj.Hint=Add a client\r\nLabel3.Caption=Group filter\r\nLabel2.Caption=\r\n"
                                  "DBGrid1[1].Caption=client name\r\nPanel1.Caption=Panel\r\n"_s));
        DemoWindow demo({}, ToCp1250(LangIni(lang)));
        const QString printLabel = demo.w().findChild<QLabel *>(u"Label4"_s)->text();
        demo.showActive();
        QCOMPARE(demo.w().windowTitle(), u"Kartevo (English)"_s);
        QAction *aUj = demo.w().action(u"aUj"_s);
        QCOMPARE(aUj->text(), u"New client"_s);
        QCOMPARE(aUj->statusTip(), u"Add a client"_s);
        auto *newButton = demo.w().findChild<QToolButton *>(u"tb_aUj"_s);
        QVERIFY(newButton);
        QCOMPARE(newButton->text(), u"New client"_s);
        // A list window's button that shows the command's caption follows it.
        WriteBytes(lang, ToCp1250(u"[frm_Felado]\r\naUj.Caption=New sender\r\n"_s));
        Tfrm_Felado senders(&demo.w(), demo.w().session(), false);
        senders.show();
        QCOMPARE(senders.findChild<QAction *>(u"aUj"_s)->iconText(), u"New sender"_s);
        senders.close();
        QCOMPARE(demo.w().findChild<QLabel *>(u"Label3"_s)->text(), u"Group filter"_s);
        QCOMPARE(demo.w().findChild<QLabel *>(u"Label2"_s)->text(), QString());
        QCOMPARE(demo.w().findChild<QLabel *>(u"Label4"_s)->text(), printLabel);
        QCOMPARE(demo.grid()->model()->headerData(1, Qt::Horizontal).toString(), u"client name"_s);
        QVERIFY(demo.w().findChild<QFrame *>(u"Panel1"_s)->property("caption").toString().isEmpty());
    }

    // aNyelv: the files of DataFolder/Lang, the current one selected; Enter takes the selected
    // one and the main window changes at once; a key the new file lacks keeps the text of the
    // language before; cancelling changes nothing.
    void languageChoice()
    {
        DemoWindow demo;
        const QString langFolder = demo.folders.DataFolder + u"/Lang"_s;
        QDir().mkpath(langFolder);
        WriteBytes(langFolder + u"/Elso.ini"_s, ToCp1250(u"[frm_Main]\r\nCaption=First\r\naUj.Caption=New\r\n"_s));
        WriteBytes(langFolder + u"/Masodik.ini"_s, ToCp1250(u"[frm_Main]\r\naUj.Caption=Neu\r\n"_s));
        demo.showActive();
        const QString builtIn = demo.w().windowTitle();

        const auto choose = [&](const QString &name, bool accept) {
            WhenModal([=](QWidget *dialog) {
                auto *list = Child<QListWidget>(dialog, "ListBox1");
                QVERIFY(list);
                const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
                QCOMPARE(found.size(), 1);
                list->setCurrentItem(found.first());
                QTest::keyClick(dialog, accept ? Qt::Key_Return : Qt::Key_Escape);
            });
            demo.trigger("aNyelv");
        };
        choose(u"Elso.ini"_s, false);
        QCOMPARE(demo.w().session().settings().Lang, QString());
        QCOMPARE(demo.w().windowTitle(), builtIn);

        choose(u"Elso.ini"_s, true);
        QCOMPARE(demo.w().session().settings().Lang, langFolder + u"/Elso.ini"_s);
        QCOMPARE(demo.w().windowTitle(), u"First"_s);
        QCOMPARE(demo.w().action(u"aUj"_s)->text(), u"New"_s);

        // The dialog opens on the current file.
        WhenModal([](QWidget *dialog) {
            auto *list = Child<QListWidget>(dialog, "ListBox1");
            QVERIFY(list);
            QCOMPARE(list->currentItem()->text(), u"Elso.ini"_s);
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        demo.trigger("aNyelv");

        choose(u"Masodik.ini"_s, true);
        QCOMPARE(demo.w().windowTitle(), u"First"_s);
        QCOMPARE(demo.w().action(u"aUj"_s)->text(), u"Neu"_s);

        // The first entry brings the built-in texts back at once, without a restart.
        choose(BuiltInLanguageChoice(), true);
        QCOMPARE(demo.w().session().settings().Lang, QString());
        QCOMPARE(demo.w().windowTitle(), builtIn);
        QCOMPARE(demo.w().action(u"aUj"_s)->text(), u"Új ügyfél"_s);
    }

    // With the shipped English file the menu titles, the filter's "<nincs szűrés>", the print
    // scope and the sort order in the status bar are English too, and the filter still works;
    // "Magyar (beépített)" brings back every built-in text at once.
    void englishAndBackToHungarian()
    {
        DemoWindow demo;
        const QString langFolder = demo.folders.DataFolder + u"/Lang"_s;
        QDir().mkpath(langFolder);
        QVERIFY(QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/Lang/English.ini"), langFolder + u"/English.ini"_s));
        demo.showActive();
        QComboBox *scope = demo.w().printScopeBox();
        const auto texts = [&] {
            QStringList all{demo.w().windowTitle(), demo.w().action(u"aUj"_s)->text(), demo.groups()->itemText(0),
                            demo.panel(2), demo.grid()->model()->headerData(1, Qt::Horizontal).toString()};
            for (QAction *menu : demo.w().menuBar()->actions())
                all.append(menu->text());
            for (int i = 0; i < scope->count(); ++i)
                all.append(scope->itemText(i));
            return all;
        };
        const QStringList builtIn = texts();
        QCOMPARE(builtIn.mid(2, 2), (QStringList{u"<nincs szűrés>"_s, u"sorrend: ügyfél neve"_s}));

        const auto choose = [&](const QString &name) {
            WhenModal([=](QWidget *dialog) {
                auto *list = Child<QListWidget>(dialog, "ListBox1");
                QVERIFY(list);
                const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
                QCOMPARE(found.size(), 1);
                list->setCurrentItem(found.first());
                QTest::keyClick(dialog, Qt::Key_Return);
            });
            demo.trigger("aNyelv");
        };
        choose(u"English.ini"_s);
        QCOMPARE(texts().mid(1), (QStringList{u"New client"_s, u"<no filter>"_s, u"order: client name"_s, u"client"_s,
                                              u"Kartevo"_s, u"Marking"_s, u"View"_s, u"Master data"_s, u"Printing"_s,
                                              u"System"_s, u"Help"_s, u"Current"_s, u"Everyone"_s, u"Marked only"_s}));
        demo.chooseGroup(u"Partnerek"_s);
        QCOMPARE(demo.rows(), 14);
        demo.w().FillGroupFilter(); // the groups read again: the first entry stays English
        QCOMPARE(demo.groups()->itemText(0), u"<no filter>"_s);
        demo.groups()->setCurrentIndex(0);
        Q_EMIT demo.groups()->activated(0);
        QCOMPARE(demo.rows(), 30);

        // The built-in entry is first in the list and is taken with its keys alone.
        WhenModal([](QWidget *dialog) {
            auto *list = Child<QListWidget>(dialog, "ListBox1");
            QVERIFY(list);
            QCOMPARE(list->item(0)->text(), u"Magyar (beépített)"_s);
            list->setCurrentRow(0);
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        demo.trigger("aNyelv");
        QCOMPARE(demo.w().session().settings().Lang, QString());
        QCOMPARE(texts(), builtIn);
    }

    // Every translated window takes its title from the English file when it is shown, the
    // address check and the printer alignment among them.
    void everyWindowTakesTheLanguage()
    {
        const QString english = QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/Lang/English.ini");
        DemoWindow demo({}, ToCp1250(LangIni(english)));
        demo.showActive();
        const IniFile file(english);
        const QHash<QString, WindowMaker> makers = TranslatedWindowMakers();
        QVERIFY(makers.contains(u"frm_Cimellenorzes"_s) && makers.contains(u"frm_Igazitas"_s));
        for (auto maker = makers.cbegin(); maker != makers.cend(); ++maker) {
            std::unique_ptr<QWidget> window = maker.value()(&demo.w(), demo.w().session());
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QVERIFY2(file.valueExists(maker.key(), u"Caption"_s), qPrintable(maker.key()));
            QCOMPARE(window->windowTitle(), file.readString(maker.key(), u"Caption"_s, QString()));
            window->close();
        }
        QVERIFY(demo.prompter.errors.isEmpty());
    }

    // Template mode: the main window, every translated window that exists and every translated
    // report write their keys; the English language file has a value for each of them.
    void englishFileCoversTheTemplate()
    {
        DemoWindow demo;
        SetTemplateMode(true);
        demo.showActive();
        const QHash<QString, WindowMaker> makers = TranslatedWindowMakers();
        for (const QString &name : TranslatedWindows()) {
            if (name == u"frm_Main"_s)
                continue;
            if (!makers.contains(name)) {
                QVERIFY2(WindowsNotBuiltYet().contains(name), qPrintable(name + u": no maker"_s));
                continue;
            }
            std::unique_ptr<QWidget> window = makers.value(name)(&demo.w(), demo.w().session());
            QCOMPARE(window->objectName(), name);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            window->close();
        }
        for (int kind = 0; kind < 3; ++kind)
            MakeBoritek(EnvelopeKind(kind));
        MakeCsekk(1);
        MakeCsekk2(QString());
        MakeUtanvet(1);
        QVERIFY(demo.prompter.errors.isEmpty());

        const QString templateFile = demo.folders.DataFolder + u"/lang.ini"_s;
        IniFile made(templateFile);
        IniFile english(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/Lang/English.ini"));
        QStringList missing;
        QStringList sections = made.sections();
        for (const QString &name : TranslatedWindows() + TranslatedReports()) {
            if (!WindowsNotBuiltYet().contains(name))
                QVERIFY2(sections.contains(name), qPrintable(name + u" wrote nothing"_s));
        }
        for (const QString &section : sections) {
            for (const QString &key : made.keys(section)) {
                if (!english.valueExists(section, key))
                    missing.append(u"[%1] %2=%3"_s.arg(section, key, made.readString(section, key, {})));
            }
        }
        for (const QString &line : std::as_const(missing))
            qWarning("missing in English.ini: %s", qPrintable(line));
        QVERIFY(missing.isEmpty());
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
