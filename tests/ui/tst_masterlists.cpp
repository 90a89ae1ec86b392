#include "core/clientlist.h"
#include "core/database.h"
#include "core/inifile.h"
#include "core/session.h"
#include "fakeprompter.h"
#include "masterdata/masterdata.h"
#include "modaldriver.h"
#include "testfiles.h"
#include "testfolders.h"
#include "ui/common/application.h"
#include "ui/common/focuscolor.h"
#include "ui/masterdata/frm_cimke.h"
#include "ui/masterdata/frm_csoport.h"
#include "ui/masterdata/frm_felado.h"
#include "ui/masterdata/frm_irsz.h"
#include "ui/masterdata/pickers.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
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

// An installation whose database holds the delivered postal codes and label formats and the
// demo groups and senders, opened as the program opens it.
struct Fixture {
    Installation inst;
    Folders folders;
    std::unique_ptr<Session> session;

    Fixture()
    {
        folders = kartevo::test::DemoFolders(inst);
        session = std::make_unique<Session>(folders);
        if (session->open() != Session::OpenResult::Ok)
            qFatal("the test database did not open");
    }
    Database &db() { return session->db(); }
    qint64 count(const QString &table) { return SqlValue(db(), QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong(); }
};

void TypeInto(QWidget *dialog, const char *edit, const QString &text)
{
    auto *field = Child<QLineEdit>(dialog, edit);
    QVERIFY(field);
    field->setFocus();
    field->selectAll();
    TypeText(field, text);
}

void Press(QWidget *dialog, const char *button)
{
    auto *b = Child<QPushButton>(dialog, button);
    QVERIFY(b);
    b->click();
}

QColor CellColour(QTableView *grid, int row, int column)
{
    const QImage image = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    return image.pixelColor(cell.right() - 3, cell.center().y());
}

// One of the four lookup lists in browse mode, by its short name.
std::unique_ptr<TListWindow> NewList(const QString &member, Session &session)
{
    if (member == QLatin1String("felado"))
        return std::make_unique<Tfrm_Felado>(nullptr, session, false);
    if (member == QLatin1String("irsz"))
        return std::make_unique<Tfrm_Irsz>(nullptr, session, false);
    if (member == QLatin1String("csoport"))
        return std::make_unique<Tfrm_Csoport>(nullptr, session, false);
    return std::make_unique<Tfrm_Cimke>(nullptr, session, false);
}

} // namespace

class TestMasterLists : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        InstallApplicationLook(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    }

    // -- Picker results --------------------------------------------------------------------

    void senderPicker_data()
    {
        QTest::addColumn<QString>("senders"); // statements run before opening
        QTest::addColumn<QString>("how");     // how the window is closed
        QTest::addColumn<qint64>("result");
        // Key 7 is not the first row in name order.
        const QString seven = QStringLiteral(
            "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (7, 'Hetes Kft.');"
            "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (100, 'Aaron Bt.');");
        QTest::newRow("Esc") << seven << QStringLiteral("esc") << qint64(-1);
        QTest::newRow("Bezár") << seven << QStringLiteral("bezar") << qint64(-1);
        QTest::newRow("close box") << seven << QStringLiteral("close") << qint64(-1);
        QTest::newRow("accept on key 7") << seven << QStringLiteral("accept") << qint64(7);
        QTest::newRow("Enter in the search box accepts") << seven << QStringLiteral("enter") << qint64(7);
        QTest::newRow("double click accepts") << seven << QStringLiteral("doubleclick") << qint64(7);
        QTest::newRow("accept on an empty list") << QStringLiteral("DELETE FROM tulajdonos;")
                                                << QStringLiteral("accept") << qint64(0);
    }
    void senderPicker()
    {
        QFETCH(QString, senders);
        QFETCH(QString, how);
        QFETCH(qint64, result);
        Fixture f;
        f.db().exec(senders);
        WhenModal([how](QWidget *window) {
            QCOMPARE(window->objectName(), QStringLiteral("frm_Felado"));
            auto *accept = Child<QAction>(window, "aElfogad");
            QVERIFY(accept->isVisible() && accept->isEnabled());
            auto *grid = Child<QTableView>(window, "DBGrid1");
            if (how == QLatin1String("esc"))
                QTest::keyClick(grid, Qt::Key_Escape);
            else if (how == QLatin1String("bezar"))
                Child<QAction>(window, "aBezar")->trigger();
            else if (how == QLatin1String("close"))
                window->close();
            else if (how == QLatin1String("accept"))
                accept->trigger();
            else if (how == QLatin1String("enter"))
                QTest::keyClick(Child<QLineEdit>(window, "Edit1"), Qt::Key_Return);
            else if (how == QLatin1String("doubleclick"))
                Q_EMIT grid->doubleClicked(grid->currentIndex());
        });
        QCOMPARE(FeladoValasztas(nullptr, *f.session, 7, true), result);
    }

    void browseModeNeverAccepts()
    {
        Fixture f;
        WhenModal([](QWidget *window) {
            auto *accept = Child<QAction>(window, "aElfogad");
            QVERIFY(!accept->isVisible());
            QVERIFY(!accept->isEnabled());
            // Enter in the search box goes to the grid; the window stays open.
            auto *search = Child<QLineEdit>(window, "Edit1");
            auto *grid = Child<QTableView>(window, "DBGrid1");
            search->setFocus();
            QTest::keyClick(search, Qt::Key_Return);
            QVERIFY(window->isVisible());
            QCOMPARE(window->focusWidget(), grid);
            // Ctrl+F goes back to the search box, Down to the grid again.
            QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
            QCOMPARE(window->focusWidget(), search);
            QTest::keyClick(search, Qt::Key_Down);
            QCOMPARE(window->focusWidget(), grid);
            // A double click edits instead of accepting.
            WhenModal([](QWidget *dialog) {
                QCOMPARE(dialog->objectName(), QStringLiteral("frm_Felado_Szerkeszt"));
                Press(dialog, "Button2");
            });
            Q_EMIT grid->doubleClicked(grid->currentIndex());
            QVERIFY(window->isVisible());
            QTest::keyClick(grid, Qt::Key_Escape);
        });
        QCOMPARE(FeladoValasztas(nullptr, *f.session, 1, false), -1);
    }

    void postalCodePicker()
    {
        Fixture f;
        // Accepted: the first row in town order whose code is exactly 1011.
        QString town = QStringLiteral("régi");
        WhenModal([](QWidget *window) {
            auto *grid = Child<QTableView>(window, "DBGrid1");
            QCOMPARE(grid->model()->data(grid->currentIndex().siblingAtColumn(1)).toString(), QStringLiteral("1011"));
            Child<QAction>(window, "aElfogad")->trigger();
        });
        QCOMPARE(IrszVarosValasztas(nullptr, *f.session, QStringLiteral("1011"), true, town), QStringLiteral("1011"));
        QCOMPARE(town, QStringLiteral("Budapest"));

        // Cancelled: no code, and the town is left alone.
        town = QStringLiteral("Győr");
        WhenModal([](QWidget *window) { QTest::keyClick(window, Qt::Key_Escape); });
        QCOMPARE(IrszVarosValasztas(nullptr, *f.session, QStringLiteral("9021"), true, town), QString());
        QCOMPARE(town, QStringLiteral("Győr"));
    }

    void groupAndLabelPickers()
    {
        Fixture f;
        WhenModal([](QWidget *window) { Child<QAction>(window, "aElfogad")->trigger(); });
        QCOMPARE(CsoportValasztas(nullptr, *f.session, QStringLiteral("Szállítók"), true), QStringLiteral("Szállítók"));
        WhenModal([](QWidget *window) { Child<QAction>(window, "aBezar")->trigger(); });
        QCOMPARE(CsoportValasztas(nullptr, *f.session, QStringLiteral("Szállítók"), true), QString());

        f.db().exec(QStringLiteral("INSERT INTO cimke (id, cimke, felsomargo, szelsomargo, cimkemagas, oszlop) "
                                   "VALUES (9000, 'Próba 3x8', 12.5, 7.25, NULL, 3)"));
        LabelFormat format{1, 2, 3, 4};
        WhenModal([](QWidget *window) { Child<QAction>(window, "aBezar")->trigger(); });
        QCOMPARE(CimkeValasztas(nullptr, *f.session, QStringLiteral("Próba 3x8"), true, format), QString());
        QCOMPARE(format.oszlop, 4); // untouched
        WhenModal([](QWidget *window) { Child<QAction>(window, "aElfogad")->trigger(); });
        QCOMPARE(CimkeValasztas(nullptr, *f.session, QStringLiteral("Próba 3x8"), true, format),
                 QStringLiteral("Próba 3x8"));
        QCOMPARE(format.felsomargo, 12.5);
        QCOMPARE(format.szelsomargo, 7.25);
        QCOMPARE(format.cimkemagas, 0.0); // NULL reads as 0
        QCOMPARE(format.oszlop, 3);
    }

    // The format list shows each format's sheet beside its name; a format that cannot print
    // shows its name alone.
    void labelFormatsShowTheirSheet()
    {
        Fixture f;
        QLocale::setDefault(QLocale(QLocale::Hungarian));
        f.db().exec(QStringLiteral("DELETE FROM cimke; INSERT INTO cimke (id, cimke, felsomargo, szelsomargo, cimkemagas, oszlop) "
                                   "VALUES (1, 'A 3x8', 0, 0, 37, 3), (2, 'B hibás', 0, 0, 0, 3)"));
        Tfrm_Cimke list(nullptr, *f.session, false);
        list.openList(QVariant());
        QCOMPARE(list.cellText(0, 0), QStringLiteral("A 3x8 · 3 × 8, 70,0 × 37,0 mm"));
        QCOMPARE(list.cellText(1, 0), QStringLiteral("B hibás"));
        QCOMPARE(list.cellText(0, 3), QStringLiteral("37,00"));
        QLocale::setDefault(QLocale::c());
    }

    // -- Keys of new rows --------------------------------------------------------------------

    void newRowKeys_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<qint64>("key");
        QTest::newRow("sender, empty table") << QStringLiteral("felado") << QStringLiteral("DELETE FROM tulajdonos;") << qint64(1);
        QTest::newRow("sender after 1, 2 and 9")
            << QStringLiteral("felado")
            << QStringLiteral("DELETE FROM tulajdonos; INSERT INTO tulajdonos (tulajdonos) VALUES (1), (2), (9);") << qint64(10);
        QTest::newRow("postal code") << QStringLiteral("irsz") << QStringLiteral("DELETE FROM irsz WHERE id > 100;") << qint64(101);
        QTest::newRow("label format, empty table") << QStringLiteral("cimke") << QStringLiteral("DELETE FROM cimke;") << qint64(1);
        QTest::newRow("label format after 5 and 40")
            << QStringLiteral("cimke")
            << QStringLiteral("DELETE FROM cimke; INSERT INTO cimke (id, cimke) VALUES (5, 'a'), (40, 'b');") << qint64(41);
    }
    void newRowKeys()
    {
        QFETCH(QString, member);
        QFETCH(QString, prepare);
        QFETCH(qint64, key);
        Fixture f;
        f.db().exec(prepare);
        std::unique_ptr<TListWindow> list;
        QString table, keyColumn = QStringLiteral("id"), nameColumn;
        const char *nameEdit = "DBEdit1";
        if (member == QLatin1String("felado")) {
            list = std::make_unique<Tfrm_Felado>(nullptr, *f.session, false);
            table = keyColumn = QStringLiteral("tulajdonos");
            nameColumn = QStringLiteral("tulajdonos_nev");
        } else if (member == QLatin1String("irsz")) {
            list = std::make_unique<Tfrm_Irsz>(nullptr, *f.session, false);
            table = QStringLiteral("irsz");
            nameColumn = QStringLiteral("varos");
            nameEdit = "DBEdit2";
        } else {
            list = std::make_unique<Tfrm_Cimke>(nullptr, *f.session, false);
            table = nameColumn = QStringLiteral("cimke");
        }
        list->openList(QVariant());
        const qint64 rowsBefore = f.count(table);

        // The key is given when the dialog opens; a cancelled dialog uses none.
        WhenModal([&](QWidget *dialog) {
            QCOMPARE(list->table().asInteger(keyColumn), key);
            TypeInto(dialog, nameEdit, QStringLiteral("elvetve"));
            Press(dialog, "Button2");
        });
        QVERIFY(!list->editRow(true));
        QCOMPARE(f.count(table), rowsBefore);
        QCOMPARE(list->table().state(), DataSet::State::Browse);

        WhenModal([&](QWidget *dialog) {
            QCOMPARE(list->table().asInteger(keyColumn), key);
            TypeInto(dialog, nameEdit, QStringLiteral("Új sor"));
            Press(dialog, "Button1");
        });
        QVERIFY(list->editRow(true));
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT %1 FROM %2 WHERE %3 = %4")
                                      .arg(nameColumn, table, keyColumn).arg(key)).toString(),
                 QStringLiteral("Új sor"));
    }

    // -- Groups ----------------------------------------------------------------------------

    void groupChangesReachTheGroupFilter()
    {
        FakePrompter prompter;
        Fixture f;
        // Stands in for the client list's FillGroupFilter.
        QStringList filter;
        int refreshes = 0;
        const auto connection = QObject::connect(&GroupEvents::instance(), &GroupEvents::changed, [&] {
            filter = ClientList::GroupNames(f.db());
            ++refreshes;
        });
        const QStringList demo = ClientList::GroupNames(f.db());

        Tfrm_Csoport list(nullptr, *f.session, false);
        list.openList(QString());
        WhenModal([](QWidget *dialog) {
            TypeInto(dialog, "DBEdit1", QStringLiteral("Ügyfelek"));
            QTest::keyClick(Child<QLineEdit>(dialog, "DBEdit1"), Qt::Key_Return); // to "OK"
            QCOMPARE(dialog->focusWidget()->objectName(), QStringLiteral("Button1"));
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        });
        QVERIFY(list.editRow(true));
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT csoports FROM csoport WHERE csoport = 'Ügyfelek'")).toString(),
                 QStringLiteral("UGYFELEK"));
        QCOMPARE(refreshes, 1);
        QVERIFY(filter.contains(QStringLiteral("Ügyfelek")));

        // Renaming: the new name at once, and the clients of the group go with it.
        const qint64 partners = SqlValue(f.db(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport='Partnerek'")).toLongLong();
        QVERIFY(partners > 0);
        QVERIFY(list.table().locateValue(QStringLiteral("csoport"), QStringLiteral("Partnerek")));
        WhenModal([](QWidget *dialog) {
            TypeInto(dialog, "DBEdit1", QStringLiteral("Partnereink"));
            Press(dialog, "Button1");
        });
        QVERIFY(list.editRow(false));
        QCOMPARE(refreshes, 2);
        QVERIFY(filter.contains(QStringLiteral("Partnereink")));
        QVERIFY(!filter.contains(QStringLiteral("Partnerek")));
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport='Partnerek'")).toLongLong(), 0);
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport='Partnereink' "
                                                 "AND csoports='PARTNEREINK'")).toLongLong(),
                 partners);

        // Deleting an unused group asks the plain question.
        QVERIFY(list.table().locateValue(QStringLiteral("csoport"), QStringLiteral("Ügyfelek")));
        list.aTorol->trigger();
        QCOMPARE(prompter.questions, QStringList{QStringLiteral("Megerősítés: Valóban töröljem a sort?")});
        QCOMPARE(refreshes, 3);
        QVERIFY(!filter.contains(QStringLiteral("Ügyfelek")));
        QCOMPARE(filter.size(), demo.size());

        // Deleting a group in use names its clients; No keeps everything, Yes empties their group.
        QVERIFY(list.table().locateValue(QStringLiteral("csoport"), QStringLiteral("Partnereink")));
        const QString question = QStringLiteral("Megerősítés: A csoporthoz %1 ügyfél tartozik. Valóban törli?").arg(partners);
        prompter.nextAnswer = false;
        list.aTorol->trigger();
        QCOMPARE(prompter.questions.last(), question);
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport='Partnereink'")).toLongLong(), partners);
        QCOMPARE(list.table().asString(QStringLiteral("csoport")), QStringLiteral("Partnereink"));
        const qint64 withoutGroup = SqlValue(f.db(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport IS NULL")).toLongLong();
        prompter.nextAnswer = true;
        list.aTorol->trigger();
        QCOMPARE(prompter.questions.size(), 3);
        QCOMPARE(prompter.questions.last(), question);
        QVERIFY(!filter.contains(QStringLiteral("Partnereink")));
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport='Partnereink'")).toLongLong(), 0);
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport IS NULL")).toLongLong(),
                 withoutGroup + partners);
        QVERIFY(prompter.errors.isEmpty());
        QObject::disconnect(connection);
    }

    void duplicateGroupNameShowsTheErrorAndSavesNothing()
    {
        FakePrompter prompter;
        Fixture f;
        Tfrm_Csoport list(nullptr, *f.session, false);
        list.openList(QString());
        const qint64 before = f.count(QStringLiteral("csoport"));
        int offered = 0;
        std::function<void(QWidget *)> answer = [&](QWidget *dialog) {
            ++offered;
            if (offered == 1) {
                TypeInto(dialog, "DBEdit1", QStringLiteral("Partnerek"));
                WhenModal(answer, true); // the dialog comes back after the error
                Press(dialog, "Button1");
            } else {
                // The typed name is still there to correct; the user gives up instead.
                QCOMPARE(Child<QLineEdit>(dialog, "DBEdit1")->text(), QStringLiteral("Partnerek"));
                Press(dialog, "Button2");
            }
        };
        WhenModal(answer);
        QVERIFY(!list.editRow(true));
        QCOMPARE(offered, 2);
        QCOMPARE(prompter.errors.size(), 1);
        QCOMPARE(prompter.errors.at(0), QStringLiteral("Ilyen nevű csoport már van."));
        QCOMPARE(f.count(QStringLiteral("csoport")), before);
        // The list is usable: browse state, its rows as before, a new group can be saved.
        QCOMPARE(list.table().state(), DataSet::State::Browse);
        QCOMPARE(list.table().recordCount(), before);
        WhenModal([](QWidget *dialog) {
            TypeInto(dialog, "DBEdit1", QStringLiteral("Egyéb"));
            Press(dialog, "Button1");
        });
        QVERIFY(list.editRow(true));
        QCOMPARE(f.count(QStringLiteral("csoport")), before + 1);
    }

    void deleteAsksFirstAndRefusesOnAnEmptyList()
    {
        FakePrompter prompter;
        Fixture f;
        Tfrm_Felado list(nullptr, *f.session, false);
        list.openList(qint64(-1));
        const qint64 before = f.count(QStringLiteral("tulajdonos"));
        prompter.nextAnswer = false;
        list.aTorol->trigger();
        QCOMPARE(f.count(QStringLiteral("tulajdonos")), before);
        QVERIFY(prompter.errors.isEmpty());

        f.db().exec(QStringLiteral("DELETE FROM tulajdonos"));
        list.openList(qint64(-1));
        prompter.nextAnswer = true;
        prompter.questions.clear();
        list.aTorol->trigger();
        QCOMPARE(prompter.questions.size(), 1);
        QCOMPARE(prompter.errors.size(), 1);
        // Editing an empty list is refused the same way.
        list.aSzerkeszt->trigger();
        QCOMPARE(prompter.errors.size(), 2);
        QCOMPARE(list.table().state(), DataSet::State::Browse);
    }

    // -- Searching, sorting, marking --------------------------------------------------------

    void typingAndTitleClicks()
    {
        Fixture f;
        f.db().exec(QStringLiteral("DELETE FROM tulajdonos;"
                                   "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev, irsz) VALUES (1, 'Ábrahám Bt.', '0500');"
                                   "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev, irsz) VALUES (2, 'Kovács Kft.', '1000');"
                                   "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev, irsz) VALUES (3, 'Zala Zrt.', '2000');"));
        Tfrm_Felado list(nullptr, *f.session, false);
        list.openList(qint64(-1));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        auto *grid = list.DBGrid1;
        grid->setFocus();

        // K starts the search with k and finds Kovács; Á starts it with á, which finds Ábrahám.
        TypeText(grid, QStringLiteral("K"));
        QCOMPARE(list.Edit1->text(), QStringLiteral("k"));
        QCOMPARE(list.focusWidget(), list.Edit1);
        QCOMPARE(list.table().asInteger(QStringLiteral("tulajdonos")), 2);
        TypeText(list.Edit1, QStringLiteral("o"));
        QCOMPARE(list.Edit1->text(), QStringLiteral("ko"));
        grid->setFocus();
        TypeText(grid, QStringLiteral("Á"));
        QCOMPARE(list.Edit1->text(), QStringLiteral("á"));
        QCOMPARE(list.table().asInteger(QStringLiteral("tulajdonos")), 1);

        // The first column is marked; a title click sorts by its column, keeps the row and moves
        // the mark.
        grid->setFocus();
        QCOMPARE(CellColour(grid, 1, 0), SortColumnColor); // row 2 is the selected one
        QVERIFY(CellColour(grid, 1, 2) != SortColumnColor);
        // Names sort by their bytes, so Ábrahám comes last; its code 0500 is the smallest.
        QVERIFY(list.table().locateValue(QStringLiteral("tulajdonos"), 1));
        QCOMPARE(list.table().recNo(), 3);
        grid->horizontalHeader()->sectionClicked(2);
        QCOMPARE(list.sortField(), QStringLiteral("irsz"));
        QCOMPARE(list.table().asInteger(QStringLiteral("tulajdonos")), 1);
        QCOMPARE(list.table().recNo(), 1);
        QCOMPARE(list.DBGrid1->currentIndex().row(), 0);
        QCOMPARE(list.focusWidget(), list.Edit1);
        QCOMPARE(CellColour(grid, 1, 2), SortColumnColor); // row 0 is the selected one
        QVERIFY(CellColour(grid, 1, 0) != SortColumnColor);
        list.close();
    }

    // A character typed on the grid always starts a new search, also when the search box
    // already holds exactly that character.
    void typingOnTheGridSearchesAgain_data()
    {
        QTest::addColumn<QString>("boxText");  // left in the search box before
        QTest::addColumn<qint64>("cursorOn");  // sender the cursor was moved to after that
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("found");
        QTest::newRow("same letter again") << QStringLiteral("k") << qint64(3) << QStringLiteral("K") << qint64(2);
        QTest::newRow("same lower-case letter") << QStringLiteral("z") << qint64(1) << QStringLiteral("z") << qint64(3);
        QTest::newRow("same digit") << QStringLiteral("1") << qint64(3) << QStringLiteral("1") << qint64(4);
        QTest::newRow("another letter") << QStringLiteral("k") << qint64(1) << QStringLiteral("z") << qint64(3);
        QTest::newRow("a longer text before") << QStringLiteral("ko") << qint64(3) << QStringLiteral("k") << qint64(2);
    }
    void typingOnTheGridSearchesAgain()
    {
        QFETCH(QString, boxText);
        QFETCH(qint64, cursorOn);
        QFETCH(QString, typed);
        QFETCH(qint64, found);
        Fixture f;
        f.db().exec(QStringLiteral("DELETE FROM tulajdonos;"
                                   "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (1, 'Ábrahám Bt.');"
                                   "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (2, 'Kovács Kft.');"
                                   "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (3, 'Zala Zrt.');"
                                   "INSERT INTO tulajdonos (tulajdonos, tulajdonos_nev) VALUES (4, '1000 Fa Kft.');"));
        Tfrm_Felado list(nullptr, *f.session, false);
        list.openList(qint64(-1));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.Edit1->setText(boxText);
        QVERIFY(list.table().locateValue(QStringLiteral("tulajdonos"), cursorOn));
        list.DBGrid1->setFocus();
        TypeText(list.DBGrid1, typed);
        QCOMPARE(list.Edit1->text(), typed.toLower());
        QCOMPARE(list.Edit1->cursorPosition(), 1);
        QCOMPARE(list.focusWidget(), list.Edit1);
        QCOMPARE(list.table().asInteger(QStringLiteral("tulajdonos")), found);
        list.close();
    }

    // In every list a search that finds nothing keeps the row of its longest matching beginning
    // and colours the box until the text matches again; accented letters ignore case.
    void aSearchThatFindsNothingKeepsThePreviousMatch_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("onGrid");    // typed on the grid
        QTest::addColumn<QString>("inBox");     // typed on in the search box
        QTest::addColumn<QString>("found");     // the sort column of the current row then
        QTest::addColumn<bool>("warned");
        QTest::newRow("senders") << QStringLiteral("felado") << QStringLiteral("p") << QStringLiteral("ÉLDAx")
                                 << QStringLiteral("Példa Könyvelő Bt.") << true;
        QTest::newRow("postal codes") << QStringLiteral("irsz") << QStringLiteral("ö") << QStringLiteral("CSÖDx")
                                      << QStringLiteral("Öcsöd") << true;
        QTest::newRow("postal codes, ö finds Ö") << QStringLiteral("irsz") << QStringLiteral("Ö") << QString()
                                                 << QStringLiteral("Öcs") << false;
        QTest::newRow("groups") << QStringLiteral("csoport") << QStringLiteral("ö") << QStringLiteral("NKx")
                                << QStringLiteral("Önkormányzatok") << true;
        QTest::newRow("label formats") << QStringLiteral("cimke") << QStringLiteral("a") << QStringLiteral("VERY J81x")
                                       << QStringLiteral("Avery J8157") << true;
    }
    void aSearchThatFindsNothingKeepsThePreviousMatch()
    {
        QFETCH(QString, member);
        QFETCH(QString, onGrid);
        QFETCH(QString, inBox);
        QFETCH(QString, found);
        QFETCH(bool, warned);
        Fixture f;
        std::unique_ptr<TListWindow> list = NewList(member, *f.session);
        list->openList(QVariant());
        list->show();
        QVERIFY(QTest::qWaitForWindowActive(list.get()));
        list->table().last();
        list->DBGrid1->setFocus();
        TypeText(list->DBGrid1, onGrid);
        QCOMPARE(list->focusWidget(), list->Edit1);
        TypeText(list->Edit1, inBox);
        const auto current = [&] { return list->table().asString(list->sortField()); };
        QCOMPARE(current(), found);
        QTRY_COMPARE(list->DBGrid1->currentIndex().row(), list->table().currentRow());
        QCOMPARE(list->Edit1->palette().color(QPalette::Base), warned ? WarningColor : FocusColor);
        if (!warned)
            return;
        // One character less matches again: the row stays and the colour goes.
        QTest::keyClick(list->Edit1, Qt::Key_Backspace);
        QCOMPARE(current(), found);
        QCOMPARE(list->Edit1->palette().color(QPalette::Base), FocusColor);
        list->close();
    }

    // The row indicator marks the current row, and only that one, as the cursor moves.
    void rowIndicatorMarksTheCurrentRow_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("moveTo");
        QTest::newRow("senders") << QStringLiteral("felado") << 1;
        QTest::newRow("postal codes") << QStringLiteral("irsz") << 3;
        QTest::newRow("groups") << QStringLiteral("csoport") << 2;
        QTest::newRow("label formats") << QStringLiteral("cimke") << 1;
    }
    void rowIndicatorMarksTheCurrentRow()
    {
        QFETCH(QString, member);
        QFETCH(int, moveTo);
        Fixture f;
        std::unique_ptr<TListWindow> list = NewList(member, *f.session);
        list->openList(QVariant());
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        QVERIFY(list->table().recordCount() > moveTo);
        QHeaderView *indicator = list->DBGrid1->verticalHeader();
        QVERIFY(indicator->isVisible());
        // Dark pixels in each of the first rows' indicator cells.
        const auto marked = [&] {
            const QImage image = indicator->viewport()->grab().toImage();
            QList<int> rows;
            for (int row = 0; row <= moveTo; ++row) {
                const int top = indicator->sectionViewportPosition(row);
                const int height = indicator->sectionSize(row);
                int dark = 0;
                for (int y = top + 2; y < top + height - 2; ++y)
                    for (int x = 1; x < image.width() - 1; ++x)
                        dark += image.pixelColor(x, y).lightness() < 60 ? 1 : 0;
                if (dark > 4)
                    rows.append(row);
            }
            return rows;
        };
        QTRY_COMPARE(marked(), QList<int>{0});
        list->table().moveTo(moveTo);
        QTRY_COMPARE(marked(), QList<int>{moveTo});
        list->close();
    }

    void groupTitleClickOnlyGoesToTheSearchBox()
    {
        Fixture f;
        Tfrm_Csoport list(nullptr, *f.session, false);
        list.openList(QStringLiteral("Szállítók"));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const int row = list.table().recNo();
        list.DBGrid1->setFocus();
        list.DBGrid1->horizontalHeader()->sectionClicked(0);
        QCOMPARE(list.focusWidget(), list.Edit1);
        QCOMPARE(list.table().recNo(), row);
        QCOMPARE(list.sortField(), QStringLiteral("csoport"));
        list.close();
    }

    void columnsFollowTheWindowWidth()
    {
        Fixture f;
        Tfrm_Felado list(nullptr, *f.session, false);
        list.openList(qint64(-1));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.resize(700, 400);
        QTRY_COMPARE(list.DBGrid1->columnWidth(0), int((list.DBGrid1->width() - 40) * 0.40));
        QCOMPARE(list.DBGrid1->columnWidth(1), int((list.DBGrid1->width() - 40) * 0.45));
        QCOMPARE(list.DBGrid1->columnWidth(2), int((list.DBGrid1->width() - 40) * 0.15));
        list.close();
    }

    // -- Windows keep their place -----------------------------------------------------------

    void geometryIsStoredAndRestored()
    {
        Fixture f;
        {
            Tfrm_Irsz list(nullptr, *f.session, false);
            list.openList(QString());
            list.show();
            QVERIFY(QTest::qWaitForWindowExposed(&list));
            QCOMPARE(list.size(), QSize(437, 356));
            list.move(40, 30);
            list.resize(500, 380);
            list.reject();
        }
        IniFile ini(f.folders.IniFileName);
        QCOMPARE(ini.readInteger(QStringLiteral("frm_Irsz"), QStringLiteral("Width"), 0), 500);
        QCOMPARE(ini.readInteger(QStringLiteral("frm_Irsz"), QStringLiteral("Height"), 0), 380);
        Tfrm_Irsz again(nullptr, *f.session, false);
        again.openList(QString());
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.size(), QSize(500, 380));

        // The edit dialog keeps its position only.
        WhenModal([](QWidget *dialog) {
            QCOMPARE(dialog->size(), QSize(262, 189));
            dialog->move(70, 60);
            Press(dialog, "Button2");
        });
        again.editRow(false);
        QCOMPARE(IniFile(f.folders.IniFileName).readInteger(QStringLiteral("frm_Irsz_Szerkeszt"), QStringLiteral("Left"), 0), 70);
        again.close();
    }

    // A resizable list and a fixed edit dialog whose sections hold the extremes of an int:
    // both come up on the work area, the list no larger than it.
    void extremeGeometryLandsOnTheScreen()
    {
        Fixture f;
        kartevo::test::WriteBytes(f.folders.IniFileName,
                                  "[frm_Irsz]\r\nLeft=-2147483648\r\nTop=-2147483648\r\n"
                                  "Width=2147483647\r\nHeight=2147483647\r\n"
                                  "[frm_Irsz_Szerkeszt]\r\nLeft=-2147483648\r\nTop=2147483647\r\n");
        Tfrm_Irsz list(nullptr, *f.session, false);
        list.openList(QString());
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(QRect(list.pos(), list.size()), f.folders.WorkArea);

        QRect dialogPlace;
        WhenModal([&dialogPlace](QWidget *dialog) {
            dialogPlace = QRect(dialog->pos(), dialog->size());
            Press(dialog, "Button2");
        });
        list.editRow(false);
        QVERIFY2(DesktopWorkArea().contains(dialogPlace),
                 qPrintable(QStringLiteral("%1,%2").arg(dialogPlace.x()).arg(dialogPlace.y())));
        QCOMPARE(dialogPlace.size(), QSize(262, 189));
        list.close();
    }

    // -- Label-format numbers ----------------------------------------------------------------

    void labelNumbersRefuseWhatIsNotANumber()
    {
        FakePrompter prompter;
        Fixture f;
        Tfrm_Cimke list(nullptr, *f.session, false);
        list.openList(QString());
        const qint64 before = f.count(QStringLiteral("cimke"));
        WhenModal([&](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            TypeInto(dialog, "DBEdit1", QStringLiteral("Saját 2x7"));
            // Letters are not taken at all.
            TypeInto(dialog, "DBEdit2", QStringLiteral("1x2,5"));
            QCOMPARE(Child<QLineEdit>(dialog, "DBEdit2")->text(), QStringLiteral("12,5"));
            // A text made of number characters that is still no number is refused on leaving.
            TypeInto(dialog, "DBEdit3", QStringLiteral("1.2.3"));
            QTest::keyClick(Child<QLineEdit>(dialog, "DBEdit3"), Qt::Key_Return);
            QCOMPARE(prompter.errors.size(), 1);
            QTRY_COMPARE(dialog->focusWidget()->objectName(), QStringLiteral("DBEdit3"));
            // OK refuses it as well and the dialog stays.
            Press(dialog, "Button1");
            QVERIFY(dialog->isVisible());
            QCOMPARE(prompter.errors.size(), 2);
            TypeInto(dialog, "DBEdit3", QStringLiteral("7.25"));
            TypeInto(dialog, "DBEdit5", QStringLiteral("3.5")); // the point is refused: 35
            QCOMPARE(Child<QLineEdit>(dialog, "DBEdit5")->text(), QStringLiteral("35"));
            TypeInto(dialog, "DBEdit5", QStringLiteral("2"));
            Press(dialog, "Button1");
        });
        QVERIFY(list.editRow(true));
        QCOMPARE(f.count(QStringLiteral("cimke")), before + 1);
        Statement row(f.db(), QStringLiteral("SELECT felsomargo, szelsomargo, cimkemagas, oszlop FROM cimke WHERE cimke = 'Saját 2x7'"));
        QVERIFY(row.step());
        QCOMPARE(row.column(0).toDouble(), 12.5);
        QCOMPARE(row.column(1).toDouble(), 7.25);
        QVERIFY(row.column(2).isNull());
        QCOMPARE(row.column(3).toLongLong(), 2);
    }

    // The edit dialog shows the numbers as the list does ("###0.00" and "###0"), and OK on an
    // unchanged field keeps the stored value even where the shown text is rounded.
    void labelNumbersShowAsInTheList_data()
    {
        QTest::addColumn<QString>("values"); // felsomargo, szelsomargo, cimkemagas, oszlop
        QTest::addColumn<QString>("shown"); // the four fields, between bars
        QTest::newRow("zero and one decimal") << QStringLiteral("0, 32.1, 1234.5, 3")
                                              << QStringLiteral("0.00|32.10|1234.50|3");
        QTest::newRow("whole numbers") << QStringLiteral("5, 10, 37, 2")
                                       << QStringLiteral("5.00|10.00|37.00|2");
        QTest::newRow("more decimals than shown") << QStringLiteral("12.3456, 0.004, 99.999, 1")
                                                  << QStringLiteral("12.35|0.00|100.00|1");
        QTest::newRow("empty") << QStringLiteral("NULL, NULL, NULL, NULL") << QStringLiteral("|||");
    }
    void labelNumbersShowAsInTheList()
    {
        QFETCH(QString, values);
        QFETCH(QString, shown);
        Fixture f;
        f.db().exec(QStringLiteral("INSERT INTO cimke (id, cimke, felsomargo, szelsomargo, cimkemagas, oszlop) "
                                   "VALUES (9000, 'Próba', %1)").arg(values));
        const QString stored = QStringLiteral("SELECT quote(felsomargo) || quote(szelsomargo) || quote(cimkemagas) "
                                              "|| quote(oszlop) FROM cimke WHERE id = 9000");
        const QString before = SqlValue(f.db(), stored).toString();
        Tfrm_Cimke list(nullptr, *f.session, false);
        list.openList(QStringLiteral("Próba"));
        WhenModal([&](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QStringList texts;
            for (const char *name : {"DBEdit2", "DBEdit3", "DBEdit4", "DBEdit5"}) {
                auto *field = Child<QLineEdit>(dialog, name);
                QVERIFY(field);
                texts.append(field->text());
                // Stepping through a field without changing it writes nothing.
                field->setFocus();
                QTest::keyClick(field, Qt::Key_Return);
            }
            QCOMPARE(texts.join(QLatin1Char('|')), shown);
            Press(dialog, "Button1");
        });
        QVERIFY(list.editRow(false));
        QCOMPARE(SqlValue(f.db(), stored).toString(), before);
    }

    // The search box of every list is sky blue while it holds the focus.
    void searchBoxIsColouredWhileFocused_data()
    {
        QTest::addColumn<QString>("member");
        QTest::newRow("senders") << QStringLiteral("felado");
        QTest::newRow("postal codes") << QStringLiteral("irsz");
        QTest::newRow("groups") << QStringLiteral("csoport");
        QTest::newRow("label formats") << QStringLiteral("cimke");
    }
    void searchBoxIsColouredWhileFocused()
    {
        QFETCH(QString, member);
        Fixture f;
        std::unique_ptr<TListWindow> list = NewList(member, *f.session);
        list->openList(QVariant());
        list->show();
        QVERIFY(QTest::qWaitForWindowActive(list.get()));
        list->DBGrid1->setFocus();
        QVERIFY(list->Edit1->palette().color(QPalette::Base) != FocusColor);
        list->aKeres->trigger();
        QCOMPARE(list->focusWidget(), list->Edit1);
        QCOMPARE(list->Edit1->palette().color(QPalette::Base), FocusColor);
        QTest::keyClick(list->Edit1, Qt::Key_Down);
        QCOMPARE(list->focusWidget(), list->DBGrid1);
        QVERIFY(list->Edit1->palette().color(QPalette::Base) != FocusColor);
        list->close();
    }

    void editDialogsColourTheFocusedField()
    {
        Fixture f;
        Tfrm_Felado list(nullptr, *f.session, false);
        list.openList(qint64(1));
        WhenModal([](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            auto *name = Child<QLineEdit>(dialog, "DBEdit1");
            auto *town = Child<QLineEdit>(dialog, "DBEdit2");
            name->setFocus();
            QCOMPARE(name->palette().color(QPalette::Base), FocusColor);
            QVERIFY(town->palette().color(QPalette::Base) != FocusColor);
            QTest::keyClick(name, Qt::Key_Return);
            QCOMPARE(dialog->focusWidget(), town);
            QCOMPARE(town->palette().color(QPalette::Base), FocusColor);
            QVERIFY(name->palette().color(QPalette::Base) != FocusColor);
            QTest::keyClick(town, Qt::Key_Escape);
        });
        QVERIFY(!list.editRow(false));
    }
};

QTEST_MAIN(TestMasterLists)
#include "tst_masterlists.moc"
