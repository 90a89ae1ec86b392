#include "core/clientlist.h"
#include "core/database.h"
#include "core/error.h"
#include "core/inifile.h"
#include "core/session.h"
#include "demowindow.h"
#include "fakeprompter.h"
#include "modaldriver.h"
#include "testfiles.h"
#include "testfolders.h"
#include "ui/common/application.h"
#include "ui/common/messages.h"
#include "ui/main/frm_logo.h"
#include "ui/main/frm_main.h"

#include <QDialog>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <functional>

using namespace kartevo;
using kartevo::test::FakePrompter;
using kartevo::test::Installation;

namespace {

QString statusPanel(Tfrm_Main &window, int index)
{
    return window.statusBar()->findChildren<QLabel *>().value(index)->text();
}

// The title a desktop shows for a window. Qt's platform windows append " — " and the
// application display name to every title once the program has set a display name; one that
// was never set only follows the application name, which this finds out by changing that name
// for a moment.
QString TitleOnTheDesktop(const QWidget *window)
{
    const QString title = window->windowHandle() ? window->windowHandle()->title() : window->windowTitle();
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(name + QStringLiteral("-probe"));
    const bool displayNameSet = QGuiApplication::applicationDisplayName() != QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(name);
    if (!displayNameSet)
        return title.isEmpty() ? name : title;
    const QString display = QGuiApplication::applicationDisplayName();
    if (title.endsWith(display))
        return title;
    return title.isEmpty() ? display : title + QStringLiteral(" — ") + display;
}

// Opens the windows of a path one after the other (a command of the main window, then a
// command of each window opened), checks that each shows exactly its caption, and closes them.
void WalkWindows(Tfrm_Main &main, const QStringList &commands, const QStringList &captions)
{
    std::function<void(QWidget *, int)> step = [&](QWidget *window, int depth) {
        QCOMPARE(window->windowTitle(), captions.at(depth));
        QCOMPARE(TitleOnTheDesktop(window), captions.at(depth));
        QPointer<QWidget> guard = window;
        if (depth + 1 < commands.size()) {
            kartevo::test::WhenModal([&step, depth](QWidget *next) { step(next, depth + 1); });
            auto *action = kartevo::test::Child<QAction>(window, qPrintable(commands.at(depth + 1)));
            QVERIFY(action);
            action->trigger();
        }
        if (guard && guard->isVisible())
            qobject_cast<QDialog *>(guard.data())->reject();
    };
    kartevo::test::WhenModal([&step](QWidget *first) { step(first, 0); });
    const QString &command = commands.first();
    if (command == QLatin1String("ShowError"))
        ShowError(QStringLiteral("Hibás adat"), &main);
    else if (command == QLatin1String("ShowInfo"))
        ShowInfo(QStringLiteral("Kész"), &main);
    else
        main.action(command)->trigger();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        Tfrm_Main::SetSplashEnabled(false);
        InstallApplicationLook(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    }

    void missingDatabaseShowsTheMessageAndWritesNothing()
    {
        FakePrompter prompter;
        Installation inst(false);
        {
            Tfrm_Main window(inst.folders());
            QVERIFY(window.startupStopped());
            const QString data = inst.dataHome() + QStringLiteral("/Kartevo");
            QCOMPARE(prompter.errors, QStringList{QStringLiteral("Nem létező adatbázis: ") + data + QStringLiteral("/Kartevo.sqb")});
            window.close();
        }
        const QString data = inst.dataHome() + QStringLiteral("/Kartevo");
        QVERIFY(!QFileInfo::exists(data + QStringLiteral("/Kartevo.ini")));
        QVERIFY(!QFileInfo::exists(data + QStringLiteral("/Kartevo.sqb")));
    }

    void startsWithTheClientsSortedByNameAndWritesEverythingAtClose()
    {
        FakePrompter prompter;
        Installation inst;
        const Folders folders = kartevo::test::DemoFolders(inst);
        {
            Tfrm_Main window(folders);
            QVERIFY(prompter.errors.isEmpty());
            QCOMPARE(window.windowTitle(), QStringLiteral("Kartevo V3.1.0.110"));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));

            auto *grid = window.findChild<QTableView *>(QStringLiteral("DBGrid1"));
            QVERIFY(grid);
            QCOMPARE(grid->model()->rowCount(), 30);
            QCOMPARE(grid->model()->data(grid->model()->index(0, 1)).toString(),
                     QStringLiteral("Almási és Társa Kft."));
            QCOMPARE(window.clients()->sortField(), QStringLiteral("ugyfel_nev"));
            QCOMPARE(statusPanel(window, 0), QStringLiteral("30 / 1"));
            QCOMPARE(statusPanel(window, 2), QStringLiteral("sorrend: ügyfél neve"));

            // One wheel notch towards the user moves one row down.
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            grid->setFocus();
            QWheelEvent wheel(QPointF(50, 50), grid->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(grid->viewport(), &wheel);
            QCOMPARE(window.clients()->table().recNo(), 2);
            QCOMPARE(statusPanel(window, 0), QStringLiteral("30 / 2"));

            window.move(40, 30);
            window.resize(700, 500);
            window.close();
        }
        IniFile ini(folders.IniFileName);
        QCOMPARE(ini.readInteger(QStringLiteral("frm_Main"), QStringLiteral("Width"), 0), 700);
        QCOMPARE(ini.readInteger(QStringLiteral("frm_Main"), QStringLiteral("Height"), 0), 500);
        QCOMPARE(ini.readInteger(QStringLiteral("Screen"), QStringLiteral("FontSize"), 0), 9);
        QCOMPARE(ini.readString(QStringLiteral("Database"), QStringLiteral("Path"), {}),
                 folders.DataFolder + QStringLiteral("/Kartevo.sqb"));
        QVERIFY(ini.valueExists(QStringLiteral("Lang"), QStringLiteral("Lang")));
    }

    void fullScreenCoversTheWorkArea()
    {
        FakePrompter prompter;
        Installation inst;
        const Folders folders = kartevo::test::DemoFolders(inst);
        QFile file(folders.IniFileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Screen]\r\nFullScreen=1\r\n");
        file.close();
        Tfrm_Main window(folders);
        window.show();
        const QRect area = DesktopWorkArea();
        QCOMPARE(window.pos(), QPoint(0, 0));
        QCOMPARE(window.width(), area.x() + area.width());
        window.close();
        IniFile ini(folders.IniFileName);
        QCOMPARE(ini.readInteger(QStringLiteral("frm_Main"), QStringLiteral("Width"), 0), window.width());
    }

    // A file that is not the address book is named in the error and left as it was; the
    // window still opens, empty, as after any other failed start.
    void notAKartevoDatabaseOpensAnEmptyWindowAndChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("sql"); // run on an empty file to make another program's database
        QTest::newRow("not SQLite") << QByteArray(4096, 'x') << QString();
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("another program's database")
            << QByteArray() << QStringLiteral("CREATE TABLE jegyzet (id INTEGER, szoveg TEXT); INSERT INTO jegyzet VALUES (1, 'x');");
    }
    void notAKartevoDatabaseOpensAnEmptyWindowAndChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, sql);
        FakePrompter prompter;
        Installation inst(false);
        const Folders folders = inst.folders();
        QDir().mkpath(folders.DataFolder);
        const QString path = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        kartevo::test::WriteForeignFile(path, bytes, sql);
        const QByteArray before = kartevo::test::ReadBytes(path);
        {
            Tfrm_Main window(folders);
            QVERIFY(!window.startupStopped());
            QCOMPARE(prompter.errors, QStringList{QStringLiteral("Ez a fájl nem Kartevo adatbázis: ") + path});
            QCOMPARE(window.windowTitle(), QStringLiteral("Kartevo"));
            auto *grid = window.findChild<QTableView *>(QStringLiteral("DBGrid1"));
            QVERIFY(!grid->model() || grid->model()->rowCount() == 0);
            window.show();
            window.close();
        }
        QCOMPARE(kartevo::test::ReadBytes(path), before);
    }

    // Whatever the file holds, the window comes up on the screen and no larger than it.
    void extremeGeometryLandsOnTheScreen_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::newRow("INT_MAX size")
            << QByteArray("Left=10\r\nTop=10\r\nWidth=2147483647\r\nHeight=2147483647\r\n");
        QTest::newRow("INT_MIN position")
            << QByteArray("Left=-2147483648\r\nTop=-2147483648\r\nWidth=700\r\nHeight=500\r\n");
        QTest::newRow("INT_MAX position, INT_MIN size")
            << QByteArray("Left=2147483647\r\nTop=2147483647\r\nWidth=-2147483648\r\nHeight=-2147483648\r\n");
        QTest::newRow("INT_MIN position, INT_MAX size")
            << QByteArray("Left=-2147483648\r\nTop=-2147483648\r\nWidth=2147483647\r\nHeight=2147483647\r\n");
    }
    void extremeGeometryLandsOnTheScreen()
    {
        QFETCH(QByteArray, section);
        kartevo::test::DemoWindow demo({}, "[frm_Main]\r\n" + section);
        demo.w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&demo.w()));
        const QRect area = DesktopWorkArea();
        QVERIFY2(area.contains(QRect(demo.w().pos(), demo.w().size())),
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(demo.w().x()).arg(demo.w().y()).arg(demo.w().width()).arg(demo.w().height())));
        demo.w().close();
    }

    // Every window and message box shows its caption alone, as the desktop's title too.
    void windowsShowTheirCaptionsAlone_data()
    {
        QTest::addColumn<QString>("path");     // commands, each run in the window the last one opened
        QTest::addColumn<QString>("captions"); // the caption of each window opened
        QTest::newRow("group list") << "aCsoport" << "Csoportok";
        QTest::newRow("group edit") << "aCsoport aUj" << "Csoportok|Csoport";
        QTest::newRow("postal-code edit") << "aIranyitoszam aSzerkeszt" << "Irányítószámok|Irányítószám";
        QTest::newRow("sender edit") << "aFelado aUj" << "Feladók|Feladó adatai";
        QTest::newRow("label-format edit") << "aCimkek aSzerkeszt" << "Cimkék|Cimke";
        QTest::newRow("client edit") << "aSzerkeszt" << "Szerkesztés";
        QTest::newRow("cheque") << "aCsekk aElfogad" << "Feladók|Csekk (Belföldi postautalvány) kitöltés";
        QTest::newRow("cash on delivery") << "aUtanvet aElfogad" << "Feladók|Összeg";
        QTest::newRow("question") << "aTorol" << "Megerősítés";
        QTest::newRow("error") << "ShowError" << "Hiba";
        QTest::newRow("notice") << "ShowInfo" << "Üzenet";
    }
    void windowsShowTheirCaptionsAlone()
    {
        QFETCH(QString, path);
        QFETCH(QString, captions);
        kartevo::test::DemoWindow demo({}, "[Defaults]\r\nOnly1Sender=0\r\n");
        SetPrompter(nullptr); // the real message boxes
        demo.showActive();
        QCOMPARE(demo.w().windowTitle(), QStringLiteral("Kartevo V3.1.0.110"));
        QCOMPARE(TitleOnTheDesktop(&demo.w()), QStringLiteral("Kartevo V3.1.0.110"));
        WalkWindows(demo.w(), path.split(QLatin1Char(' ')), captions.split(QLatin1Char('|')));
        QCOMPARE(demo.rows(), 30); // nothing was deleted
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    // The main window and the windows opened from it carry the program's icon, the picture the
    // menu entry shows (the icon installed beside the desktop file).
    void windowsCarryTheProgramIcon_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("main window") << QString();
        QTest::newRow("group list") << "aCsoport";
        QTest::newRow("question") << "aTorol";
    }
    void windowsCarryTheProgramIcon()
    {
        QFETCH(QString, command);
        const QIcon installed(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/../icons/hicolor/scalable/apps/kartevo.svg"));
        QVERIFY(!installed.pixmap(48).isNull());
        const QImage picture = installed.pixmap(48).toImage();
        kartevo::test::DemoWindow demo;
        SetPrompter(nullptr); // the real message boxes
        demo.showActive();
        QWidget *window = &demo.w();
        if (!command.isEmpty()) {
            kartevo::test::WhenModal([&](QWidget *opened) {
                window = opened;
                QCOMPARE(opened->windowHandle()->icon().pixmap(48).toImage(), picture);
                qobject_cast<QDialog *>(opened)->reject();
            });
            demo.w().action(command)->trigger();
            QVERIFY(window != &demo.w());
        }
        QCOMPARE(demo.w().windowHandle()->icon().pixmap(48).toImage(), picture);
    }

    void splashFadesAndClosesItself()
    {
        QPointer<Tfrm_Logo> logo = Tfrm_Logo::ShowSplash();
        QCOMPARE(logo->alpha(), 255);
        QCOMPARE(logo->size(), QSize(600, 200));
        auto *timer1 = logo->findChild<QTimer *>(QStringLiteral("Timer1"));
        auto *timer2 = logo->findChild<QTimer *>(QStringLiteral("Timer2"));
        QVERIFY(timer1 && timer2);
        // One second in full, then the fade every 21 ms.
        QVERIFY(timer1->isActive());
        QCOMPARE(timer1->interval(), 1000);
        QVERIFY(!timer2->isActive());
        QCOMPARE(timer2->interval(), 21);
        QTRY_VERIFY_WITH_TIMEOUT(!logo || timer2->isActive(), 5000);
        if (logo)
            QVERIFY(!timer1->isActive());
        // It closes itself once the alpha value is 33 or less (after 23 steps).
        QTRY_VERIFY_WITH_TIMEOUT(logo.isNull(), 5000);
    }

    // The splash window has no parent; a main window closed while it fades deletes it.
    void splashGoesWithTheMainWindow()
    {
        Tfrm_Main::SetSplashEnabled(true);
        QPointer<QWidget> logo;
        {
            kartevo::test::DemoWindow demo;
            demo.showActive();
            Tfrm_Main::SetSplashEnabled(false);
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (widget->objectName() == QLatin1String("frm_Logo"))
                    logo = widget;
            }
            QVERIFY(logo);
        }
        QVERIFY(logo.isNull());
    }

    void commandErrorsAreShownAndTheProgramGoesOn()
    {
        FakePrompter prompter;
        QVERIFY(!RunCommand(nullptr, [] { throw Error(QStringLiteral("Hibás adat")); }));
        QCOMPARE(prompter.errors, QStringList{QStringLiteral("Hibás adat")});
        QVERIFY(RunCommand(nullptr, [] {}));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
