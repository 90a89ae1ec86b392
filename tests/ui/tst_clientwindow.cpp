// The client list window as a user drives it: commands, menus, search keys, sorting, group
// filter, delete, font size, print marks, column widths and how marked rows are painted.
#include "core/clientlist.h"
#include "core/database.h"
#include "core/session.h"
#include "core/statement.h"
#include "demowindow.h"
#include "fakeprompter.h"
#include "modaldriver.h"
#include "testfolders.h"
#include "ui/common/application.h"
#include "ui/common/datasetmodel.h"
#include "ui/common/focuscolor.h"
#include "ui/main/frm_main.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>

using namespace kartevo;
using kartevo::test::DemoWindow;
using kartevo::test::TypeText;

namespace {

// The items of a menu or toolbar as action names, "-" for a separator; a drop-down button
// shows as its action followed by its menu in brackets.
QStringList Items(const QList<QAction *> &actions, QWidget *owner = nullptr)
{
    QStringList items;
    for (QAction *action : actions) {
        if (action->isSeparator()) {
            items.append(QStringLiteral("-"));
            continue;
        }
        QToolButton *button = nullptr;
        if (auto *bar = qobject_cast<QToolBar *>(owner))
            button = qobject_cast<QToolButton *>(bar->widgetForAction(action));
        if (button && button->menu() && button->defaultAction()) {
            items.append(button->defaultAction()->objectName() + QStringLiteral("[")
                         + Items(button->menu()->actions()).join(QLatin1Char(',')) + QStringLiteral("]"));
        } else {
            items.append(action->objectName());
        }
    }
    return items;
}

QStringList Split(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char(' '));
}

} // namespace

class TestClientWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        Tfrm_Main::SetSplashEnabled(false);
        InstallApplicationLook(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    }

    void commandTable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("aUj") << "aUj" << "Új ügyfél" << "Új ügyfél" << "Ins" << true;
        QTest::newRow("aImport") << "aImport" << "Új ügyfelek (CSV import)" << "Új ügyfelek (CSV import)"
                                 << "Alt+Ins" << true;
        QTest::newRow("aImportVissza") << "aImportVissza" << "Utolsó betöltés visszavonása"
                                       << "Az utolsó betöltés ügyfeleinek és új csoportjainak törlése" << "" << true;
        QTest::newRow("aTorol") << "aTorol" << "Töröl" << "Töröl" << "Ctrl+Del" << true;
        QTest::newRow("aJelol") << "aJelol" << "Jelöl" << "Jelöl" << "Ctrl+M" << true;
        QTest::newRow("aJelolSzuntet") << "aJelolSzuntet" << "Összes jelölést megszűntet"
                                       << "Összes jelölést megszűntet" << "" << true;
        QTest::newRow("aBoritek2") << "aBoritek2" << "Boríték (LA/4)" << "Boríték nyomtatás LA/4 (DL 110*220mm)"
                                   << "F4" << true;
        QTest::newRow("aCsekk") << "aCsekk" << "Csekk" << "Belföldi postautalvány" << "F7" << true;
        QTest::newRow("aBoritek1Kep") << "aBoritek1Kep" << "Boríték (C6) megnézése"
                                      << "Boríték C6: nyomtatási kép az egész futásról" << "Shift+F3" << true;
        QTest::newRow("aUtanvetKep") << "aUtanvetKep" << "Utánvét megnézése"
                                     << "Utánvét szelvény: nyomtatási kép az egész futásról" << "Shift+F8" << true;
        QTest::newRow("aBetuCsokkent") << "aBetuCsokkent" << "Betűméret csökkentése" << "Betűméret csökkentése"
                                       << "F12" << true;
        QTest::newRow("aProgram") << "aProgram" << "További programok" << "További programok, letöltések" << ""
                                  << true;
        QTest::newRow("aBezar") << "aBezar" << "Bezár" << "Bezár" << "" << true;
    }
    void commandTable()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, hint);
        QFETCH(QString, shortcut);
        QFETCH(bool, enabled);
        DemoWindow demo;
        QAction *action = demo.w().action(name);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        QCOMPARE(action->toolTip(), hint);
        QCOMPARE(action->statusTip(), hint);
        QCOMPARE(action->shortcut().toString(QKeySequence::PortableText), shortcut);
        QCOMPARE(action->isEnabled(), enabled);
    }

    void everyCommandHasAnIconAndOnlyTheBuiltOnesAreEnabled()
    {
        DemoWindow demo;
        const QList<QAction *> actions = demo.w().actions();
        QCOMPARE(actions.size(), 46);
        QStringList enabled;
        for (QAction *action : actions) {
            QVERIFY2(!action->icon().pixmap(16, 16).isNull(), qPrintable(action->objectName()));
            if (action->isEnabled())
                enabled.append(action->objectName());
        }
        QCOMPARE(enabled, Split("aUj aImport aImportVissza aSzerkeszt aTorol aJelol aJelolMind aJelolSzuntet aNyomtat aNyomtatKep aExcelbe aHtml "
                                "aBoritek1 aBoritek2 aBoritek3 aAjanlott aCsekk aUtanvet aCimke aBoritek1Kep aBoritek2Kep "
                                "aBoritek3Kep aAjanlottKep aCsekkKep aUtanvetKep aBetuNovel "
                                "aBetuCsokkent aCsoport aIranyitoszam aFelado aCimkek aCimellenorzes aNyelv aSQL aMentesek aBeallit aIgazitas aSugo "
                                "aTamogat aFontos aHonlap aLevel aProgram aUjdonsag aNevjegy aBezar"));
    }

    void menusToolbarsAndContextMenu()
    {
        DemoWindow demo;
        QStringList titles;
        QList<QStringList> menus;
        for (QAction *top : demo.w().menuBar()->actions()) {
            titles.append(top->text());
            menus.append(Items(top->menu()->actions()));
        }
        QCOMPARE(titles, Split("Kartevo Jelölés Nézet Törzsadat Nyomtatás Rendszer Súgó"));
        QCOMPARE(menus.value(0), Split("aUj aImport aImportVissza aSzerkeszt aTorol - aNyomtat aNyomtatKep - aExcelbe aHtml - aBezar"));
        QCOMPARE(menus.value(1), Split("aJelol aJelolMind aJelolSzuntet"));
        QCOMPARE(menus.value(2), Split("aBetuNovel aBetuCsokkent"));
        QCOMPARE(menus.value(3), Split("aCsoport aIranyitoszam - aFelado - aCimkek - aCimellenorzes"));
        QCOMPARE(menus.value(4), Split("aBoritek1 aBoritek2 aBoritek3 - aAjanlott aCsekk aUtanvet - aCimke - mnMegnez"));
        auto *previews = demo.w().findChild<QMenu *>(QStringLiteral("mnMegnez"));
        QVERIFY(previews);
        QCOMPARE(Items(previews->actions()),
                 Split("aBoritek1Kep aBoritek2Kep aBoritek3Kep - aAjanlottKep aCsekkKep aUtanvetKep"));
        QCOMPARE(menus.value(5), Split("aNyelv - aSQL aMentesek - aBeallit aIgazitas"));
        QCOMPARE(menus.value(6), Split("aSugo - aTamogat - aFontos - aHonlap aLevel aProgram aUjdonsag - aNevjegy"));

        auto *small = demo.w().findChild<QToolBar *>(QStringLiteral("ToolBar2"));
        QCOMPARE(Items(small->actions(), small),
                 Split("aNyomtat aNyomtatKep - aExcelbe aHtml - aBetuNovel aBetuCsokkent - aBeallit - aSugo "
                       "aHonlap aLevel aUjdonsag - aProgram - aBezar"));
        QCOMPARE(small->toolButtonStyle(), Qt::ToolButtonIconOnly);
        auto *large = demo.w().findChild<QToolBar *>(QStringLiteral("ToolBar1"));
        QCOMPARE(Items(large->actions(), large),
                 Split("aJelol[aJelol,aJelolMind,aJelolSzuntet] - aUj[aUj,aImport] aSzerkeszt aTorol - aCimke - "
                       "aBoritek1[aBoritek1,aBoritek2,aBoritek3] aAjanlott aCsekk[aCsekk,aUtanvet]"));
        QCOMPARE(large->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(large->widgetForAction(demo.w().action(QStringLiteral("aTorol")))->height(), 36);

        auto *popup = demo.w().findChild<QMenu *>(QStringLiteral("PopupMenu1"));
        QCOMPARE(Items(popup->actions()),
                 Split("aJelol - aUj aSzerkeszt aTorol - aCimke - aBoritek1 aBoritek2 aBoritek3 - aAjanlott "
                       "aCsekk aUtanvet"));
    }

    void theHintShowsInTheStatusBar()
    {
        DemoWindow demo;
        demo.w().action(QStringLiteral("aBoritek1"))->showStatusText(&demo.w());
        QCOMPARE(demo.panel(1), QStringLiteral("  Boríték nyomtatás C6 (114*162mm)"));
        QStatusTipEvent empty{QString()};
        QApplication::sendEvent(&demo.w(), &empty);
        QCOMPARE(demo.panel(1), QString());
    }

    void typingOnTheGridSearches()
    {
        DemoWindow demo;
        demo.showActive();
        demo.grid()->setFocus();
        QTest::keyClick(demo.grid(), Qt::Key_K, Qt::ShiftModifier, 0);
        QCOMPARE(demo.edit()->text(), QStringLiteral("k"));
        QVERIFY(demo.edit()->hasFocus());
        QCOMPARE(demo.edit()->cursorPosition(), 1);
        QCOMPARE(demo.currentName(), QStringLiteral("Kerekes Irodaszer Kft."));
        QCOMPARE(demo.panel(0), QStringLiteral("30 / 12"));

        // Typing on goes on in the box.
        QTest::keyClicks(demo.edit(), QStringLiteral("is"));
        QCOMPARE(demo.currentName(), QStringLiteral("Kiss Anna"));

        // Down arrow: to the grid, the row stays.
        QTest::keyClick(demo.edit(), Qt::Key_Down);
        QVERIFY(demo.grid()->hasFocus());
        QCOMPARE(demo.currentName(), QStringLiteral("Kiss Anna"));

        // A letter starts a new search; "x" finds nothing, not even its first letter: the first row.
        QTest::keyClick(demo.grid(), Qt::Key_X, Qt::NoModifier, 0);
        QCOMPARE(demo.edit()->text(), QStringLiteral("x"));
        QCOMPARE(demo.list().table().recNo(), 1);
        QCOMPARE(demo.grid()->currentIndex().row(), 0);

        // An accented capital becomes lower case and finds the capital.
        demo.grid()->setFocus();
        QKeyEvent accented(QEvent::KeyPress, Qt::Key_Oacute, Qt::ShiftModifier, QStringLiteral("Ó"));
        QApplication::sendEvent(demo.grid(), &accented);
        QCOMPARE(demo.edit()->text(), QStringLiteral("ó"));
        QCOMPARE(demo.currentName(), QStringLiteral("Óbudai Fodrászat"));

        // The same letter again still runs the search.
        demo.grid()->setFocus();
        demo.list().table().moveTo(9);
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Oacute, Qt::NoModifier, QStringLiteral("ó"));
        QApplication::sendEvent(demo.grid(), &again);
        QCOMPARE(demo.currentName(), QStringLiteral("Óbudai Fodrászat"));

        // Other characters do nothing at all.
        demo.grid()->setFocus();
        demo.list().table().moveTo(4);
        QTest::keyClick(demo.grid(), Qt::Key_Minus, Qt::NoModifier, 0);
        QTest::keyClick(demo.grid(), Qt::Key_Space, Qt::NoModifier, 0);
        QVERIFY(demo.grid()->hasFocus());
        QCOMPARE(demo.list().table().recNo(), 5);
        QCOMPARE(demo.edit()->text(), QStringLiteral("ó"));
    }

    // A search that finds nothing keeps the row its longest matching beginning found, so that
    // the next print command goes to that client, and the box shows it in the warning colour
    // until the text matches again.
    void aSearchThatFindsNothingKeepsThePreviousMatch_data()
    {
        QTest::addColumn<QString>("onGrid");   // typed on the grid
        QTest::addColumn<QString>("inBox");    // typed on in the search box
        QTest::addColumn<QString>("name");     // the current client then
        QTest::addColumn<bool>("warned");
        QTest::addColumn<QString>("corrected"); // the client after one backspace
        QTest::newRow("Kx keeps Kerekes") << "K" << "x" << "Kerekes Irodaszer Kft." << true << "Kerekes Irodaszer Kft.";
        QTest::newRow("a longer text keeps its match") << "k" << "issx" << "Kiss Anna" << true << "Kiss Anna";
        QTest::newRow("ö finds Öveges") << "ö" << "" << "Öveges Könyvkötészet" << false << "Almási és Társa Kft.";
        QTest::newRow("Ö typed on the grid finds Öveges") << "Ö" << "VEGES" << "Öveges Könyvkötészet" << false
                                                           << "Öveges Könyvkötészet";
        QTest::newRow("ő in the text, other case") << "k" << "ŐRÖSIx" << "Kőrösi Könyvelő Iroda" << true
                                                    << "Kőrösi Könyvelő Iroda";
        QTest::newRow("nothing at all: the first row") << "x" << "" << "Almási és Társa Kft." << true
                                                       << "Almási és Társa Kft.";
    }
    void aSearchThatFindsNothingKeepsThePreviousMatch()
    {
        QFETCH(QString, onGrid);
        QFETCH(QString, inBox);
        QFETCH(QString, name);
        QFETCH(bool, warned);
        QFETCH(QString, corrected);
        DemoWindow demo;
        demo.showActive();
        demo.list().table().moveTo(20);
        demo.grid()->setFocus();
        TypeText(demo.grid(), onGrid);
        QVERIFY(demo.edit()->hasFocus());
        TypeText(demo.edit(), inBox);
        QCOMPARE(demo.edit()->text(), onGrid.toLower() + inBox);
        QCOMPARE(demo.currentName(), name);
        QCOMPARE(demo.grid()->currentIndex().row(), demo.list().table().currentRow());
        QCOMPARE(demo.edit()->palette().color(QPalette::Base), warned ? WarningColor : FocusColor);
        // The colour stays when the focus goes to the grid, and so does the row.
        QTest::keyClick(demo.edit(), Qt::Key_Down);
        QCOMPARE(demo.edit()->palette().color(QPalette::Base) == WarningColor, warned);
        QCOMPARE(demo.currentName(), name);

        // One character less matches again: the colour goes.
        demo.edit()->setFocus();
        demo.edit()->end(false);
        QTest::keyClick(demo.edit(), Qt::Key_Backspace);
        QCOMPARE(demo.currentName(), corrected);
        QCOMPARE(demo.edit()->palette().color(QPalette::Base), FocusColor);
        QTest::keyClick(demo.edit(), Qt::Key_Down);
        QVERIFY(demo.edit()->palette().color(QPalette::Base) != FocusColor);
        QVERIFY(demo.edit()->palette().color(QPalette::Base) != WarningColor);
    }

    void aTitleClickSortsByThatColumnAndFocusesTheSearchBox()
    {
        DemoWindow demo;
        demo.showActive();
        QCOMPARE(demo.panel(2), QStringLiteral("sorrend: ügyfél neve"));
        demo.list().table().moveTo(6);
        const QString client = demo.currentName();
        demo.grid()->setFocus();
        Q_EMIT demo.grid()->horizontalHeader()->sectionClicked(3);
        QCOMPARE(demo.w().SortField(), QStringLiteral("cim_irsz"));
        QCOMPARE(demo.panel(2), QStringLiteral("sorrend: irsz."));
        QCOMPARE(demo.currentName(), client);
        QCOMPARE(demo.grid()->currentIndex().row(), demo.list().table().currentRow());
        QVERIFY(demo.edit()->hasFocus());
        QCOMPARE(demo.grid()->model()->index(0, 3).data().toString(), QStringLiteral("1011"));

        // The search now looks at postal codes.
        QTest::keyClicks(demo.edit(), QStringLiteral("66"));
        QCOMPARE(demo.currentName(), QStringLiteral("Pusztai Tanya Vendéglő"));
    }

    void groupFilterWithAnApostrophe()
    {
        DemoWindow demo(QStringLiteral(
            "INSERT INTO csoport (csoport, csoports) VALUES ('O''Brien és Tsa', 'OBRIEN ES TSA');"
            "UPDATE ugyfel SET csoport='O''Brien és Tsa' WHERE ugyfel IN (3, 9);"));
        QCOMPARE(demo.groups()->count(), 5);
        QCOMPARE(demo.groups()->currentText(), QStringLiteral("<nincs szűrés>"));
        demo.list().table().moveTo(10);

        demo.chooseGroup(QStringLiteral("O'Brien és Tsa"));
        QCOMPARE(demo.rows(), 2);
        QCOMPARE(demo.w().FilterGroup(), QStringLiteral("O'Brien és Tsa"));
        QCOMPARE(demo.panel(0), QStringLiteral("2 / 1"));
        QCOMPARE(demo.currentName(), QStringLiteral("Csillag Nyomda Kft."));

        // The group goes away: the box falls back to no filter, the list keeps its filter.
        demo.w().session().db().exec(QStringLiteral("DELETE FROM csoport WHERE csoport='O''Brien és Tsa'"));
        demo.w().FillGroupFilter();
        QCOMPARE(demo.groups()->currentText(), QStringLiteral("<nincs szűrés>"));
        QCOMPARE(demo.rows(), 2);
        QCOMPARE(demo.w().FilterGroup(), QStringLiteral("O'Brien és Tsa"));
        // Marking all marks what the list shows, not every client of the table.
        demo.trigger("aJelolMind");
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 2);

        demo.chooseGroup(QStringLiteral("<nincs szűrés>"));
        QCOMPARE(demo.rows(), 30);
        QCOMPARE(demo.w().FilterGroup(), QString());
        QCOMPARE(demo.panel(0), QStringLiteral("30 / 1"));
    }

    void fillGroupFilterKeepsTheChoice()
    {
        DemoWindow demo;
        demo.chooseGroup(QStringLiteral("Szállítók"));
        demo.w().session().db().exec(
            QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES ('Bankok', 'BANKOK')"));
        demo.w().FillGroupFilter();
        QCOMPARE(demo.groups()->count(), 5);
        QCOMPARE(demo.groups()->itemText(1), QStringLiteral("Bankok"));
        QCOMPARE(demo.groups()->currentText(), QStringLiteral("Szállítók"));
    }

    void deleteAsksFirst()
    {
        DemoWindow demo;
        demo.list().table().moveTo(1);
        demo.prompter.nextAnswer = false;
        demo.trigger("aTorol");
        QCOMPARE(demo.prompter.questions, QStringList{QStringLiteral("Megerősítés: Valóban töröljem az ügyfelet?")});
        QCOMPARE(demo.rows(), 30);

        demo.prompter.nextAnswer = true;
        demo.trigger("aTorol");
        QCOMPARE(demo.rows(), 29);
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel")).toInt(), 29);
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE ugyfel_nev LIKE 'Bakonyi%'")).toInt(), 0);
        QCOMPARE(demo.panel(0), QStringLiteral("29 / 2"));
        QVERIFY(demo.prompter.errors.isEmpty());
    }

    void deletingFromAnEmptyListShowsTheError()
    {
        DemoWindow demo(QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES ('Üres', 'URES');"));
        demo.chooseGroup(QStringLiteral("Üres"));
        QCOMPARE(demo.panel(0), QStringLiteral("0 / 0"));
        demo.trigger("aTorol");
        QCOMPARE(demo.prompter.errors.size(), 1);
        demo.trigger("aJelol");
        QCOMPARE(demo.prompter.errors.size(), 2);
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel")).toInt(), 30);
    }

    void fontSizeCommandsStopAtTheirLimits_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("afterThreeLarger");
        QTest::addColumn<int>("afterFiveSmaller");
        QTest::newRow("default 9") << QByteArray() << 10 << 8;
        QTest::newRow("12 from the file") << QByteArray("[Screen]\r\nFontSize=12\r\n") << 12 << 8;
        // Sizes no one can read are held within 6 to 36 points.
        QTest::newRow("0 from the file") << QByteArray("[Screen]\r\nFontSize=0\r\n") << 9 << 8;
        QTest::newRow("-5 from the file") << QByteArray("[Screen]\r\nFontSize=-5\r\n") << 9 << 8;
        QTest::newRow("5000 from the file") << QByteArray("[Screen]\r\nFontSize=5000\r\n") << 36 << 31;
        QTest::newRow("text in the file") << QByteArray("[Screen]\r\nFontSize=nagy\r\n") << 10 << 8;
    }
    void fontSizeCommandsStopAtTheirLimits()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, afterThreeLarger);
        QFETCH(int, afterFiveSmaller);
        DemoWindow demo({}, ini);
        demo.w().show();
        for (int i = 0; i < 3; ++i)
            demo.trigger("aBetuNovel");
        QCOMPARE(demo.w().session().settings().FontSize, afterThreeLarger);
        QCOMPARE(demo.w().font().pointSize(), afterThreeLarger);
        QCOMPARE(demo.edit()->font().pointSize(), afterThreeLarger);
        for (int i = 0; i < 5; ++i)
            demo.trigger("aBetuCsokkent");
        QCOMPARE(demo.w().session().settings().FontSize, afterFiveSmaller);
        QCOMPARE(demo.grid()->font().pointSize(), afterFiveSmaller);
    }

    // The menu bar and every drop-down menu (main menu, toolbar drop-downs, grid context menu)
    // use the platform's menu font, whatever the font size of the window and also after the
    // font commands have changed it.
    void menusUseTheMenuFontInEveryFontSize_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("command");
        QTest::newRow("size 8, larger") << QByteArray("[Screen]\r\nFontSize=8\r\n") << "aBetuNovel";
        QTest::newRow("size 10, smaller") << QByteArray("[Screen]\r\nFontSize=10\r\n") << "aBetuCsokkent";
    }
    void menusUseTheMenuFontInEveryFontSize()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, command);
        DemoWindow demo({}, ini);
        demo.w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&demo.w()));
        const QString menuFont = QApplication::font("QMenu").toString();
        QVERIFY(demo.w().font().toString() != menuFont);
        const auto check = [&] {
            QCOMPARE(demo.w().menuBar()->font().toString(), menuFont);
            const QList<QMenu *> menus = demo.w().findChildren<QMenu *>();
            QVERIFY(menus.size() >= 7 + 4 + 1);
            for (QMenu *menu : menus)
                QCOMPARE(menu->font().toString(), menuFont);
        };
        check();
        QVERIFY(!QTest::currentTestFailed());
        demo.w().action(command)->trigger();
        QVERIFY(demo.w().font().toString() != menuFont);
        check();
    }

    void toggleMarksAndSwitchesTheScope()
    {
        DemoWindow demo(QStringLiteral("UPDATE ugyfel SET jelolve=NULL WHERE ugyfel=9;"));
        auto *scope = demo.w().printScopeBox();
        QCOMPARE(scope->currentText(), QStringLiteral("Aktuális"));
        QVERIFY(demo.list().table().locateValue(QStringLiteral("ugyfel"), 9));
        demo.trigger("aJelol");
        QCOMPARE(demo.scalar(QStringLiteral("SELECT jelolve FROM ugyfel WHERE ugyfel=9")).toString(), QStringLiteral("I"));
        QCOMPARE(scope->currentText(), QStringLiteral("Csak a kijelölteknek"));
        QCOMPARE(demo.w().printScope(), PrintScope::Marked);

        scope->setCurrentIndex(1);
        demo.trigger("aJelol"); // unmarking the last mark switches the scope as well
        QCOMPARE(demo.scalar(QStringLiteral("SELECT jelolve FROM ugyfel WHERE ugyfel=9")).toString(), QStringLiteral("N"));
        QCOMPARE(scope->currentIndex(), 2);
        QCOMPARE(demo.currentName(), QStringLiteral("Kiss Anna"));
    }

    void markAllAndClearAllFollowTheGroupFilter()
    {
        DemoWindow demo(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel=1;")); // Partnerek
        auto *scope = demo.w().printScopeBox();
        demo.chooseGroup(QStringLiteral("Szállítók"));
        demo.list().table().moveTo(2);
        const QString client = demo.currentName();
        demo.trigger("aJelolMind");
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 12);
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I' AND csoport<>'Szállítók'")).toInt(), 1);
        QCOMPARE(demo.currentName(), client);
        QCOMPARE(demo.grid()->model()->index(0, 0).data().toString(), QStringLiteral("I"));

        demo.chooseGroup(QStringLiteral("Partnerek"));
        demo.trigger("aJelolSzuntet");
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 11);

        demo.chooseGroup(QStringLiteral("<nincs szűrés>"));
        demo.trigger("aJelolMind");
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 30);
        demo.trigger("aJelolSzuntet");
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='N'")).toInt(), 30);
        QCOMPARE(scope->currentIndex(), 0); // the scope stays
    }

    // The maker's home page stands in full at the right of the bottom panel, disabled (grey)
    // and underlined, in every font size.
    void homePageShowsInFullAtTheRightOfTheBottomPanel_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::newRow("default size") << QByteArray();
        QTest::newRow("font size 10") << QByteArray("[Screen]\r\nFontSize=10\r\n");
    }
    void homePageShowsInFullAtTheRightOfTheBottomPanel()
    {
        QFETCH(QByteArray, ini);
        DemoWindow demo({}, ini);
        demo.showActive();
        auto *panel = demo.w().findChild<QWidget *>(QStringLiteral("Panel2"));
        auto *label = demo.w().findChild<QLabel *>(QStringLiteral("Label1"));
        auto *scope = demo.w().findChild<QComboBox *>(QStringLiteral("ComboBox2"));
        QVERIFY(panel && label && scope);
        QVERIFY(!label->text().isEmpty());
        QVERIFY(label->isVisible());
        QVERIFY(!label->isEnabled());
        QVERIFY(label->font().underline());
        QVERIFY2(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text()),
                 qPrintable(QStringLiteral("%1 pixels for the text").arg(label->contentsRect().width())));
        QVERIFY(label->height() >= label->fontMetrics().height());
        // Right of the print scope box, its text ending at the panel's right margin.
        QVERIFY(label->geometry().left() > scope->geometry().right());
        QVERIFY(panel->width() - label->geometry().right() <= 10);
        QVERIFY(label->alignment().testFlag(Qt::AlignRight));
    }

    void columnWidthsFollowTheGrid()
    {
        DemoWindow demo;
        demo.w().show();
        demo.w().resize(600, 500);
        QTRY_COMPARE(demo.grid()->width(), 600);
        QCOMPARE(demo.grid()->columnWidth(0), 55);
        QCOMPARE(demo.grid()->columnWidth(1), 135);
        QCOMPARE(demo.grid()->columnWidth(6), 85);
        QCOMPARE(demo.grid()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        QCOMPARE(demo.grid()->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    }

    void markedRowsArePaintedInTheirColours()
    {
        DemoWindow demo(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 2);"));
        demo.showActive();
        demo.w().resize(853, 630);
        QTRY_COMPARE(demo.grid()->width(), 853);
        // Row 0 (key 1) is marked and selected, row 1 (key 2) marked, row 2 not marked.
        QCOMPARE(demo.list().table().recNo(), 1);
        const QImage image = demo.grid()->viewport()->grab().toImage();
        auto *model = demo.grid()->model();
        const auto pixel = [&](int row, int column, int dx, int dy) {
            const QRect cell = demo.grid()->visualRect(model->index(row, column));
            return QColor(image.pixel(dx >= 0 ? cell.left() + dx : cell.right() + dx, cell.top() + dy));
        };
        const QColor highlight = demo.grid()->palette().color(QPalette::Active, QPalette::Highlight);
        QCOMPARE(pixel(1, 3, -4, 3), QColor(230, 242, 255));
        QCOMPARE(pixel(1, 1, -4, 3), QColor(255, 255, 185)); // the sort column keeps its colour
        QCOMPARE(pixel(2, 3, -4, 3), demo.grid()->palette().color(QPalette::Base));
        QCOMPARE(pixel(2, 1, -4, 3), QColor(255, 255, 185));
        QCOMPARE(pixel(0, 3, -4, 3), highlight);

        // Yellow text in the selected marked row, blue text in the other marked row.
        const auto hasColour = [&](int row, int column, const QColor &colour) {
            const QRect cell = demo.grid()->visualRect(model->index(row, column));
            for (int y = cell.top(); y <= cell.bottom(); ++y)
                for (int x = cell.left(); x <= cell.right(); ++x)
                    if (QColor(image.pixel(x, y)) == colour)
                        return true;
            return false;
        };
        QVERIFY(hasColour(0, 2, QColor(255, 255, 0)));
        QVERIFY(hasColour(1, 2, QColor(0, 0, 255)));
        QVERIFY(!hasColour(2, 2, QColor(0, 0, 255)));

        // The mark column shows a picture 19 pixels in, never the letter; left of it the background.
        QCOMPARE(pixel(1, 0, 5, 8), QColor(230, 242, 255));
        QCOMPARE(pixel(2, 0, 5, 8), demo.grid()->palette().color(QPalette::Base));
        QVERIFY(pixel(1, 0, 19 + 7, 8) != QColor(230, 242, 255));
        QVERIFY(pixel(2, 0, 19 + 8, 8) != demo.grid()->palette().color(QPalette::Base));
        QVERIFY(pixel(1, 0, 19 + 7, 8) != pixel(2, 0, 19 + 8, 8));
    }

    void doubleClickAsksForTheEditCommand()
    {
        DemoWindow demo;
        QAction *edit = demo.w().action(QStringLiteral("aSzerkeszt"));
        edit->disconnect(); // count the triggers instead of opening the dialog
        int triggered = 0;
        connect(edit, &QAction::triggered, this, [&] { ++triggered; });
        edit->setEnabled(false);
        Q_EMIT demo.grid()->doubleClicked(demo.grid()->model()->index(0, 1));
        QCOMPARE(triggered, 0);
        edit->setEnabled(true);
        Q_EMIT demo.grid()->doubleClicked(demo.grid()->model()->index(0, 1));
        QCOMPARE(triggered, 1);
    }
};

QTEST_MAIN(TestClientWindow)
#include "tst_clientwindow.moc"
