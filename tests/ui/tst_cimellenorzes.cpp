// The address check window on the demo clients with a few planted faults.
#include "core/database.h"
#include "core/session.h"
#include "fakeprompter.h"
#include "modaldriver.h"
#include "testfiles.h"
#include "testfolders.h"
#include "ui/common/application.h"
#include "ui/masterdata/frm_cimellenorzes.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

using namespace kartevo;
using kartevo::test::Child;
using kartevo::test::FakePrompter;
using kartevo::test::Installation;
using kartevo::test::SqlValue;
using kartevo::test::TypeText;
using kartevo::test::WhenModal;

namespace {

// Client 1 lives at 1011, which is not Szeged's; client 31 is client 2 typed again without
// accents (Bakonyi Építő Bt.); client 32 has no postal code.
const char *const PlantedFaults =
    "UPDATE ugyfel SET cim_varos = 'Szeged' WHERE ugyfel = 1;"
    "INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim, jelolve) "
    "VALUES (31, 'Bakonyi epito bt', '8200', 'Veszprem', 'Jókai utca 1.', 'N');"
    "INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim, jelolve) "
    "VALUES (32, 'Irányítószám Nélkül Kft.', '', 'Pécs', 'Király utca 2.', 'N');";

struct Fixture {
    FakePrompter prompter;
    Installation inst;
    Folders folders;
    std::unique_ptr<Session> session;

    Fixture()
    {
        folders = kartevo::test::DemoFolders(inst, QLatin1String(PlantedFaults));
        session = std::make_unique<Session>(folders);
        if (session->open() != Session::OpenResult::Ok)
            qFatal("the test database did not open");
    }
};

// The grid's rows as "key:finding" texts.
QStringList Rows(Tfrm_Cimellenorzes &window)
{
    QStringList rows;
    const QAbstractItemModel *model = window.DBGrid1->model();
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(model->index(row, 0).data().toString() + u':' + model->index(row, 5).data().toString());
    return rows;
}

void TypeInto(QWidget *dialog, const char *name, const QString &text)
{
    auto *edit = Child<QLineEdit>(dialog, name);
    QVERIFY(edit);
    edit->setFocus();
    edit->selectAll();
    TypeText(edit, text);
}

} // namespace

class TestCimellenorzes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        InstallApplicationLook(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    }

    void listsExactlyThePlantedFaults()
    {
        Fixture f;
        Tfrm_Cimellenorzes window(nullptr, *f.session);
        window.runCheck();
        QCOMPARE(Rows(window), (QStringList{QStringLiteral("1:A helység nem ehhez az irányítószámhoz tartozik."),
                                            QStringLiteral("2:Ugyanez a név: 31. ügyfél."),
                                            QStringLiteral("31:Ugyanez a név: 2. ügyfél."),
                                            QStringLiteral("32:Hiányzik az irányítószám.")}));
        QCOMPARE(window.StatusBar1->currentMessage(), QStringLiteral("4 megállapítás, 4 ügyfél"));
        QCOMPARE(window.ProgressBar1->value(), window.ProgressBar1->maximum());
        // The name column title sorts by name: Almási (1), Bakonyi (2, 31), Irányítószám (32).
        window.DBGrid1->horizontalHeader()->sectionClicked(1);
        QCOMPARE(window.DBGrid1->model()->index(3, 0).data().toLongLong(), 32);
        QCOMPARE(window.DBGrid1->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("Megállapítás"));
    }

    // A fix through the edit dialog removes its row; the list checks again after the save.
    void fixThroughTheEditDialog_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Enter") << QStringLiteral("enter");
        QTest::newRow("double click") << QStringLiteral("double click");
    }
    void fixThroughTheEditDialog()
    {
        QFETCH(QString, how);
        Fixture f;
        Tfrm_Cimellenorzes window(nullptr, *f.session);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.runCheck();
        window.DBGrid1->setCurrentIndex(window.DBGrid1->model()->index(0, 1));
        QString title;
        WhenModal([&](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            title = dialog->objectName();
            TypeInto(dialog, "DBEdit4", QStringLiteral("Budapest"));
            Child<QPushButton>(dialog, "Button1")->click();
        });
        if (how == QLatin1String("enter")) {
            window.DBGrid1->setFocus();
            QTest::keyClick(window.DBGrid1, Qt::Key_Return);
        } else {
            const QRect cell = window.DBGrid1->visualRect(window.DBGrid1->currentIndex());
            // The item view takes a double click only on the cell the press before it went to.
            QTest::mousePress(window.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(window.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        }
        QCOMPARE(title, QStringLiteral("frm_Szerkeszt"));
        QCOMPARE(SqlValue(f.session->db(), QStringLiteral("SELECT cim_varos FROM ugyfel WHERE ugyfel = 1")).toString(),
                 QStringLiteral("Budapest"));
        QCOMPARE(Rows(window).size(), 3);
        QVERIFY(!Rows(window).join(u' ').contains(QStringLiteral("1:A helység")));
    }

    void cancelledEditKeepsTheRow()
    {
        Fixture f;
        Tfrm_Cimellenorzes window(nullptr, *f.session);
        window.runCheck();
        WhenModal([](QWidget *dialog) {
            TypeInto(dialog, "DBEdit4", QStringLiteral("Budapest"));
            Child<QPushButton>(dialog, "Button2")->click();
        });
        window.aSzerkeszt->trigger();
        QCOMPARE(Rows(window).size(), 4);
        QCOMPARE(SqlValue(f.session->db(), QStringLiteral("SELECT cim_varos FROM ugyfel WHERE ugyfel = 1")).toString(),
                 QStringLiteral("Szeged"));
    }

    void kijelolMarksTheListedClients()
    {
        Fixture f;
        Tfrm_Cimellenorzes window(nullptr, *f.session);
        window.runCheck();
        window.aKijelol->trigger();
        QCOMPARE(SqlValue(f.session->db(),
                          QStringLiteral("SELECT group_concat(ugyfel) FROM (SELECT ugyfel FROM ugyfel WHERE jelolve = 'I' ORDER BY ugyfel)"))
                     .toString(),
                 QStringLiteral("1,2,31,32"));
    }

    void exportOpensOnTheFindings()
    {
        Fixture f;
        Tfrm_Cimellenorzes window(nullptr, *f.session);
        window.runCheck();
        QString opened;
        WhenModal([&](QWidget *dialog) {
            opened = dialog->objectName();
            dialog->close();
        });
        window.aExport->trigger();
        QCOMPARE(opened, QStringLiteral("frm_Hatarolt"));
    }

    // The tool bar's buttons take no focus: its commands have keys, pressed in the grid.
    void commandKeys_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("opens"); // the window the command opens, closed unchanged
        QTest::newRow("Szerkeszt F2") << QStringLiteral("aSzerkeszt") << QKeySequence(Qt::Key_F2)
                                      << QStringLiteral("frm_Szerkeszt");
        QTest::newRow("Szerkeszt Enter") << QStringLiteral("aSzerkeszt") << QKeySequence(Qt::Key_Return)
                                         << QStringLiteral("frm_Szerkeszt");
        QTest::newRow("Kijelöl Ctrl+M") << QStringLiteral("aKijelol") << QKeySequence(Qt::CTRL | Qt::Key_M)
                                        << QString();
        QTest::newRow("Export Ctrl+E") << QStringLiteral("aExport") << QKeySequence(Qt::CTRL | Qt::Key_E)
                                       << QStringLiteral("frm_Hatarolt");
        QTest::newRow("Bezár Escape") << QStringLiteral("aBezar") << QKeySequence(Qt::Key_Escape) << QString();
    }
    void commandKeys()
    {
        QFETCH(QString, command);
        QFETCH(QKeySequence, key);
        QFETCH(QString, opens);
        Fixture f;
        Tfrm_Cimellenorzes window(nullptr, *f.session);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.runCheck();
        auto *action = window.findChild<QAction *>(command);
        QVERIFY(action);
        QSignalSpy triggered(action, &QAction::triggered);
        QString opened;
        if (!opens.isEmpty()) {
            WhenModal([&](QWidget *dialog) {
                opened = dialog->objectName();
                dialog->close();
            });
        }
        window.DBGrid1->setFocus();
        QTest::keySequence(window.DBGrid1, key);
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(opened, opens);
        QCOMPARE(SqlValue(f.session->db(), QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve = 'I'")).toInt(),
                 command == QLatin1String("aKijelol") ? 4 : 0);
    }

    void nothingFoundDisablesTheCommands()
    {
        Installation inst;
        const Folders folders = kartevo::test::DemoFolders(inst);
        Session session(folders);
        QCOMPARE(session.open(), Session::OpenResult::Ok);
        Tfrm_Cimellenorzes window(nullptr, session);
        window.runCheck();
        QCOMPARE(window.DBGrid1->model()->rowCount(), 0);
        QVERIFY(!window.aSzerkeszt->isEnabled());
        QVERIFY(!window.aKijelol->isEnabled());
        QVERIFY(!window.aExport->isEnabled());
    }

    void remembersPlaceAndSize()
    {
        Fixture f;
        {
            Tfrm_Cimellenorzes window(nullptr, *f.session);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.setGeometry(60, 70, 640, 380);
            window.reject();
        }
        Tfrm_Cimellenorzes again(nullptr, *f.session);
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.size(), QSize(640, 380));
    }
};

QTEST_MAIN(TestCimellenorzes)
#include "tst_cimellenorzes.moc"
