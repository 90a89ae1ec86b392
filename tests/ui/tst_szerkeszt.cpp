#include "core/clientlist.h"
#include "core/database.h"
#include "core/error.h"
#include "core/inifile.h"
#include "core/schema.h"
#include "core/session.h"
#include "fakeprompter.h"
#include "modaldriver.h"
#include "testfiles.h"
#include "testfolders.h"
#include "ui/common/application.h"
#include "ui/common/focuscolor.h"
#include "ui/masterdata/frm_szerkeszt.h"
#include "ui/masterdata/pickers.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace kartevo;
using kartevo::test::Child;
using kartevo::test::FakePrompter;
using kartevo::test::Installation;
using kartevo::test::SqlValue;
using kartevo::test::TypeText;
using kartevo::test::WhenModal;

namespace {

// Answers the client dialog's pickers instead of the list windows and records the calls.
class FakePickers final : public Pickers {
public:
    FakePickers() { SetPickers(this); }
    ~FakePickers() override { SetPickers(nullptr); }

    QString code, town, group; // what an accepting user picks; empty code/group: not accepted
    QStringList calls;

    qint64 feladoValasztas(QWidget *, Session &, qint64, bool) override { return -1; }
    QString irszVarosValasztas(QWidget *, Session &, const QString &start, bool pick, QString &varos) override
    {
        calls.append(QStringLiteral("irsz:%1:%2").arg(start).arg(pick));
        if (code.isEmpty())
            return {};
        varos = town;
        return code;
    }
    QString csoportValasztas(QWidget *, Session &, const QString &start, bool pick) override
    {
        calls.append(QStringLiteral("csoport:%1:%2").arg(start).arg(pick));
        return group;
    }
    QString cimkeValasztas(QWidget *, Session &, const QString &, bool, LabelFormat &) override { return {}; }
};

struct Fixture {
    Installation inst;
    Folders folders;
    std::unique_ptr<Session> session;
    std::unique_ptr<ClientList> clients;

    Fixture()
    {
        folders = kartevo::test::DemoFolders(inst);
        session = std::make_unique<Session>(folders);
        if (session->open() != Session::OpenResult::Ok)
            qFatal("the test database did not open");
        clients = std::make_unique<ClientList>(session->db());
        clients->sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
    }
    Database &db() { return session->db(); }
    TableView &table() { return clients->table(); }
    qint64 clientCount() { return SqlValue(db(), QStringLiteral("SELECT COUNT(*) FROM ugyfel")).toLongLong(); }
    // The stored row of a client as one text, to compare before and after.
    QString stored(qint64 key)
    {
        return SqlValue(db(), QStringLiteral("SELECT ugyfel_nev||'|'||kapcsolat||'|'||cim_irsz||'|'||cim_varos||'|'||"
                                             "cim_cim||'|'||ifnull(csoport,'')||'|'||jelolve FROM ugyfel WHERE ugyfel=%1")
                                  .arg(key))
            .toString();
    }
};

QLineEdit *Edit(QWidget *dialog, const char *name) { return Child<QLineEdit>(dialog, name); }

void Type(QWidget *dialog, const char *name, const QString &text)
{
    QLineEdit *edit = Edit(dialog, name);
    QVERIFY(edit);
    edit->setFocus();
    edit->selectAll();
    TypeText(edit, text);
}

void Enter(QWidget *dialog) { QTest::keyClick(dialog->focusWidget(), Qt::Key_Return); }

QString Focused(QWidget *dialog) { return dialog->focusWidget() ? dialog->focusWidget()->objectName() : QString(); }

} // namespace

class TestSzerkeszt : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        InstallApplicationLook(*qobject_cast<QApplication *>(QCoreApplication::instance()));
    }

    void newClientTypedWithEnterAndSaved()
    {
        Fixture f;
        const qint64 before = f.clientCount();
        const qint64 nextKey = NextId(f.db(), QStringLiteral("ugyfel"));
        WhenModal([](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QCOMPARE(dialog->objectName(), QStringLiteral("frm_Szerkeszt"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Szerkesztés"));
            QCOMPARE(Focused(dialog), QStringLiteral("DBEdit1"));
            TypeText(dialog->focusWidget(), QStringLiteral("Zöld Kert Bt."));
            Enter(dialog);
            QCOMPARE(Focused(dialog), QStringLiteral("BitBtn2"));
            Enter(dialog); // presses the name-to-contact button, which goes on to the contact
            QCOMPARE(Focused(dialog), QStringLiteral("DBEdit2"));
            QCOMPARE(Edit(dialog, "DBEdit2")->text(), QStringLiteral("Zöld Kert Bt."));
            Enter(dialog);
            QCOMPARE(Focused(dialog), QStringLiteral("DBEdit3"));
            TypeText(dialog->focusWidget(), QStringLiteral("9021"));
            Enter(dialog); // leaving the code fills the empty town
            QCOMPARE(Focused(dialog), QStringLiteral("DBEdit4"));
            QCOMPARE(Edit(dialog, "DBEdit4")->text(), QStringLiteral("Győr"));
            Enter(dialog);
            QCOMPARE(Focused(dialog), QStringLiteral("BitBtn3"));
            dialog->findChild<QWidget *>(QStringLiteral("DBEdit5"))->setFocus();
            TypeText(dialog->focusWidget(), QStringLiteral("Kert utca 4."));
            Enter(dialog);
            QCOMPARE(Focused(dialog), QStringLiteral("Button1"));
            Enter(dialog); // saves
        });
        QVERIFY(EditClient(nullptr, *f.session, f.table(), true));
        QCOMPARE(f.clientCount(), before + 1);
        QCOMPARE(f.table().state(), DataSet::State::Browse);
        QCOMPARE(f.stored(nextKey), QStringLiteral("Zöld Kert Bt.|Zöld Kert Bt.|9021|Győr|Kert utca 4.||N"));
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT ugyfel_nevs FROM ugyfel WHERE ugyfel=%1").arg(nextKey)).toString(),
                 QStringLiteral("ZOLD KERT BT."));
    }

    void cancelledNewClientLeavesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Mégsem") << QStringLiteral("button");
        QTest::newRow("Esc") << QStringLiteral("esc");
        QTest::newRow("close box") << QStringLiteral("close");
        QTest::newRow("Enter on Mégsem") << QStringLiteral("enter");
    }
    void cancelledNewClientLeavesNothing()
    {
        QFETCH(QString, how);
        Fixture f;
        const qint64 before = f.clientCount();
        const int rows = f.table().recordCount();
        const qint64 nextKey = NextId(f.db(), QStringLiteral("ugyfel"));
        WhenModal([how](QWidget *dialog) {
            Type(dialog, "DBEdit1", QStringLiteral("Elvetett Kft."));
            if (how == QLatin1String("button")) {
                Child<QPushButton>(dialog, "Button2")->click();
            } else if (how == QLatin1String("esc")) {
                QTest::keyClick(Edit(dialog, "DBEdit1"), Qt::Key_Escape);
            } else if (how == QLatin1String("close")) {
                dialog->close();
            } else {
                Child<QPushButton>(dialog, "Button2")->setFocus();
                Enter(dialog);
            }
        });
        QVERIFY(!EditClient(nullptr, *f.session, f.table(), true));
        QCOMPARE(f.clientCount(), before);
        QCOMPARE(f.table().recordCount(), rows);
        QCOMPARE(f.table().state(), DataSet::State::Browse);
        // The key was not used up.
        QCOMPARE(NextId(f.db(), QStringLiteral("ugyfel")), nextKey);
    }

    void townFromPostalCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("typedTown");
        QTest::addColumn<QString>("town");
        QTest::newRow("1011 fills Budapest") << QStringLiteral("1011") << QString() << QStringLiteral("Budapest");
        QTest::newRow("9021 fills Győr") << QStringLiteral("9021") << QString() << QStringLiteral("Győr");
        QTest::newRow("a typed town stays") << QStringLiteral("1011") << QStringLiteral("Szentendre") << QStringLiteral("Szentendre");
        QTest::newRow("unknown code leaves it empty") << QStringLiteral("0001") << QString() << QString();
    }
    void townFromPostalCode()
    {
        QFETCH(QString, code);
        QFETCH(QString, typedTown);
        QFETCH(QString, town);
        Fixture f;
        WhenModal([&](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            Type(dialog, "DBEdit1", QStringLiteral("Próba"));
            if (!typedTown.isEmpty())
                Type(dialog, "DBEdit4", typedTown);
            Type(dialog, "DBEdit3", code);
            Edit(dialog, "DBEdit5")->setFocus(); // leave the code by clicking elsewhere
            QCOMPARE(Edit(dialog, "DBEdit4")->text(), town);
            Child<QPushButton>(dialog, "Button1")->click();
        });
        QVERIFY(EditClient(nullptr, *f.session, f.table(), true));
        QCOMPARE(f.table().asString(QStringLiteral("cim_varos")), town);
    }

    // The warning line follows the typed postal code and town, and never stops the save.
    void postalCodeAndTownWarning_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("town");
        QTest::addColumn<QString>("warning");
        QTest::newRow("agree") << QStringLiteral("1011") << QStringLiteral("Budapest") << QString();
        QTest::newRow("agree without accents and case") << QStringLiteral("9021") << QStringLiteral("GYŐR") << QString();
        QTest::newRow("second town of a shared code") << QStringLiteral("7838") << QStringLiteral("Piskó") << QString();
        QTest::newRow("disagree") << QStringLiteral("1011") << QStringLiteral("Szeged")
                                  << QStringLiteral("Figyelem: Szeged nem a(z) 1011 irányítószámhoz tartozik.");
        QTest::newRow("unknown code: no warning yet") << QStringLiteral("101") << QStringLiteral("Szeged") << QString();
    }
    void postalCodeAndTownWarning()
    {
        QFETCH(QString, code);
        QFETCH(QString, town);
        QFETCH(QString, warning);
        Fixture f;
        WhenModal([&](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            auto *line = Child<QLabel>(dialog, "Label7");
            QVERIFY(line);
            Type(dialog, "DBEdit1", QStringLiteral("Próba"));
            Type(dialog, "DBEdit4", QStringLiteral("Szeged"));
            Type(dialog, "DBEdit3", QStringLiteral("6720"));
            QCOMPARE(line->text(), QString());
            Type(dialog, "DBEdit4", town);
            Type(dialog, "DBEdit3", code);
            QCOMPARE(line->text(), warning);
            Child<QPushButton>(dialog, "Button1")->click();
        });
        QVERIFY(EditClient(nullptr, *f.session, f.table(), true));
        QCOMPARE(f.table().asString(QStringLiteral("cim_varos")), town);
    }

    // The warning of the longest town of the postal-code table is shown whole, at the program's
    // font size and at the design size.
    void longWarningIsShownWhole_data()
    {
        QTest::addColumn<int>("fontSize");
        QTest::newRow("FontSize 9") << 9;
        QTest::newRow("design size") << 0;
    }
    void longWarningIsShownWhole()
    {
        QFETCH(int, fontSize);
        Fixture f;
        f.session->settings().FontSize = fontSize;
        const QString town =
            SqlValue(f.session->db(), QStringLiteral("SELECT varos FROM irsz ORDER BY length(varos) DESC LIMIT 1")).toString();
        QVERIFY(town.size() >= 19);
        WhenModal([&](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            auto *line = Child<QLabel>(dialog, "Label7");
            QVERIFY(line);
            Type(dialog, "DBEdit1", QStringLiteral("Próba"));
            Type(dialog, "DBEdit4", town);
            Type(dialog, "DBEdit3", QStringLiteral("1011"));
            QVERIFY(line->text().contains(town));
            const QRect needed = line->fontMetrics().boundingRect(QRect(0, 0, line->width(), 1000),
                                                                  Qt::TextWordWrap | Qt::AlignLeft, line->text());
            QVERIFY2(line->wordWrap() && needed.height() <= line->height() && needed.width() <= line->width(),
                     qPrintable(QStringLiteral("%1 x %2 px needed, %3 x %4 px shown")
                                    .arg(needed.width()).arg(needed.height()).arg(line->width()).arg(line->height())));
            Child<QPushButton>(dialog, "Button2")->click();
        });
        QVERIFY(!EditClient(nullptr, *f.session, f.table(), true));
    }

    // Leaving a postal code of several towns with the town empty lets the user choose the town
    // in the postal-code list, opened on that code, instead of taking the first one.
    void aSharedPostalCodeOpensThePicker_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("typedTown");
        QTest::addColumn<QString>("picked");   // the town the user accepts; empty: cancels
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("town");
        const QStringList opened{QStringLiteral("irsz:7838:1")};
        QTest::newRow("eight towns, one chosen") << QStringLiteral("7838") << QString() << QStringLiteral("Vajszló")
                                                 << opened << QStringLiteral("Vajszló");
        QTest::newRow("eight towns, cancelled") << QStringLiteral("7838") << QString() << QString() << opened << QString();
        QTest::newRow("a typed town stays") << QStringLiteral("7838") << QStringLiteral("Piskó") << QStringLiteral("Vejti")
                                            << QStringList() << QStringLiteral("Piskó");
        QTest::newRow("one town is taken at once") << QStringLiteral("1011") << QString() << QStringLiteral("Vejti")
                                                   << QStringList() << QStringLiteral("Budapest");
    }
    void aSharedPostalCodeOpensThePicker()
    {
        QFETCH(QString, code);
        QFETCH(QString, typedTown);
        QFETCH(QString, picked);
        QFETCH(QStringList, calls);
        QFETCH(QString, town);
        FakePickers pickers;
        if (!picked.isEmpty()) {
            pickers.code = code;
            pickers.town = picked;
        }
        Fixture f;
        const qint64 key = NextId(f.db(), QStringLiteral("ugyfel"));
        WhenModal([&](QWidget *dialog) {
            Type(dialog, "DBEdit1", QStringLiteral("Próba"));
            if (!typedTown.isEmpty())
                Type(dialog, "DBEdit4", typedTown);
            Type(dialog, "DBEdit3", code);
            Enter(dialog); // leaves the code
            QCOMPARE(pickers.calls, calls);
            QCOMPARE(Edit(dialog, "DBEdit3")->text(), code);
            QCOMPARE(Edit(dialog, "DBEdit4")->text(), town);
            Child<QPushButton>(dialog, "Button1")->click();
        });
        QVERIFY(EditClient(nullptr, *f.session, f.table(), true));
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT cim_irsz||'|'||ifnull(cim_varos,'') FROM ugyfel WHERE ugyfel=%1")
                                      .arg(key)).toString(),
                 code + u'|' + town);
    }

    // A client needs a name: OK refuses without one, and the dialog keeps everything typed.
    void aClientWithoutANameIsNotSaved_data()
    {
        QTest::addColumn<bool>("newClient");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enterOnOk");
        QTest::newRow("new client, no name, OK clicked") << true << QString() << false;
        QTest::newRow("new client, blanks, Enter on OK") << true << QStringLiteral("   ") << true;
        QTest::newRow("existing client, name removed") << false << QString() << false;
    }
    void aClientWithoutANameIsNotSaved()
    {
        QFETCH(bool, newClient);
        QFETCH(QString, name);
        QFETCH(bool, enterOnOk);
        FakePrompter prompter;
        Fixture f;
        QVERIFY(f.table().locateValue(QStringLiteral("ugyfel"), 1));
        const qint64 key = newClient ? NextId(f.db(), QStringLiteral("ugyfel")) : 1;
        const qint64 before = f.clientCount();
        WhenModal([&](QWidget *dialog) {
            QLineEdit *nameEdit = Edit(dialog, "DBEdit1");
            nameEdit->setFocus();
            nameEdit->selectAll();
            QTest::keyClick(nameEdit, Qt::Key_Delete);
            TypeText(nameEdit, name);
            Type(dialog, "DBEdit2", QStringLiteral("Kapcsolat Péter"));
            Type(dialog, "DBEdit5", QStringLiteral("Fő utca 1."));
            auto *ok = Child<QPushButton>(dialog, "Button1");
            if (enterOnOk) {
                ok->setFocus();
                Enter(dialog);
            } else {
                ok->click();
            }
            QCOMPARE(prompter.errors, QStringList{QStringLiteral("Az ügyfél nevét meg kell adni.")});
            QVERIFY(dialog->isVisible());
            QCOMPARE(Focused(dialog), QStringLiteral("DBEdit1"));
            QCOMPARE(nameEdit->text(), name);
            QCOMPARE(Edit(dialog, "DBEdit2")->text(), QStringLiteral("Kapcsolat Péter"));
            QCOMPARE(Edit(dialog, "DBEdit5")->text(), QStringLiteral("Fő utca 1."));
            QCOMPARE(f.clientCount(), before);
            // With a name it is saved.
            TypeText(dialog->focusWidget(), QStringLiteral("Névvel Kft."));
            ok->click();
        });
        QVERIFY(EditClient(nullptr, *f.session, f.table(), newClient));
        QCOMPARE(prompter.errors.size(), 1);
        QCOMPARE(f.clientCount(), before + (newClient ? 1 : 0));
        QCOMPARE(SqlValue(f.db(), QStringLiteral("SELECT ugyfel_nev||'|'||kapcsolat||'|'||cim_cim FROM ugyfel WHERE ugyfel=%1")
                                      .arg(key)).toString(),
                 name + QStringLiteral("Névvel Kft.|Kapcsolat Péter|Fő utca 1."));
    }

    void pickersAndCopyAreUndoneByMegsem()
    {
        FakePickers pickers;
        Fixture f;
        QVERIFY(f.table().locateValue(QStringLiteral("ugyfel"), 1));
        const QString before = f.stored(1);
        QVERIFY(before.startsWith(QStringLiteral("Almási és Társa Kft.|Almási Péter|1011|Budapest|")));
        WhenModal([&](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            // Not accepted: nothing changes.
            Child<QPushButton>(dialog, "BitBtn1")->click();
            QCOMPARE(Edit(dialog, "DBEdit3")->text(), QStringLiteral("1011"));
            QCOMPARE(Edit(dialog, "DBEdit4")->text(), QStringLiteral("Budapest"));
            Child<QPushButton>(dialog, "BitBtn3")->click();
            QCOMPARE(Edit(dialog, "DBEdit6")->text(), QStringLiteral("Partnerek"));
            QCOMPARE(Focused(dialog), QStringLiteral("DBEdit5"));
            // Accepted: both code and town are overwritten, and the group is replaced.
            pickers.code = QStringLiteral("6720");
            pickers.town = QStringLiteral("Szeged");
            pickers.group = QStringLiteral("Szállítók");
            Child<QPushButton>(dialog, "BitBtn1")->click();
            QCOMPARE(Edit(dialog, "DBEdit3")->text(), QStringLiteral("6720"));
            QCOMPARE(Edit(dialog, "DBEdit4")->text(), QStringLiteral("Szeged"));
            Child<QPushButton>(dialog, "BitBtn3")->click();
            QCOMPARE(Edit(dialog, "DBEdit6")->text(), QStringLiteral("Szállítók"));
            // The name goes over the contact typed before.
            Type(dialog, "DBEdit2", QStringLiteral("valaki más"));
            Child<QPushButton>(dialog, "BitBtn2")->click();
            QCOMPARE(Edit(dialog, "DBEdit2")->text(), QStringLiteral("Almási és Társa Kft."));
            QCOMPARE(Focused(dialog), QStringLiteral("DBEdit2"));
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
        });
        QVERIFY(!EditClient(nullptr, *f.session, f.table(), false));
        QCOMPARE(pickers.calls, (QStringList{QStringLiteral("irsz:1011:1"), QStringLiteral("csoport:Partnerek:1"),
                                             QStringLiteral("irsz:1011:1"), QStringLiteral("csoport:Partnerek:1")}));
        QCOMPARE(f.stored(1), before);
        QCOMPARE(f.table().asString(QStringLiteral("cim_varos")), QStringLiteral("Budapest"));
        QCOMPARE(f.table().asString(QStringLiteral("csoport")), QStringLiteral("Partnerek"));
    }

    void layoutAndLooks()
    {
        Fixture f;
        Tfrm_Szerkeszt::SetPictureDraw([] { return 2; });
        WhenModal([](QWidget *dialog) {
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            QCOMPARE(dialog->size(), QSize(483, 295));
            QCOMPARE(Child<QTabWidget>(dialog, "PageControl1")->tabText(0), QStringLiteral("Adatlap"));
            QCOMPARE(Edit(dialog, "DBEdit5")->geometry(), QRect(8, 160, 453, 21));
            QCOMPARE(Child<QPushButton>(dialog, "Button1")->geometry(), QRect(388, 201, 75, 25));
            // Field widths are the column widths.
            QCOMPARE(Edit(dialog, "DBEdit1")->maxLength(), 75);
            QCOMPARE(Edit(dialog, "DBEdit3")->maxLength(), 8);
            QCOMPARE(Edit(dialog, "DBEdit4")->maxLength(), 25);
            QCOMPARE(Edit(dialog, "DBEdit6")->maxLength(), 50);
            // The name keeps its own font; the rest follow the font-size setting.
            QCOMPARE(Edit(dialog, "DBEdit1")->font().pixelSize(), 15);
            QCOMPARE(Edit(dialog, "DBEdit2")->font().pointSize(), 9);
            // The group field is no tab stop and cannot be typed into.
            QVERIFY(Edit(dialog, "DBEdit6")->isReadOnly());
            QVERIFY(!(Edit(dialog, "DBEdit6")->focusPolicy() & Qt::TabFocus));
            // Draw 2 shows the third picture.
            QVERIFY(!Child<QLabel>(dialog, "Image1")->isVisible());
            QVERIFY(Child<QLabel>(dialog, "Image3")->isVisible());
            // The focus colour follows the focus.
            QCOMPARE(Edit(dialog, "DBEdit1")->palette().color(QPalette::Base), FocusColor);
            Enter(dialog);
            QVERIFY(Edit(dialog, "DBEdit1")->palette().color(QPalette::Base) != FocusColor);
            // Tab order from "OK": Mégsem, the postal-code picker, then round to the name.
            Child<QPushButton>(dialog, "Button1")->setFocus();
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
            QCOMPARE(Focused(dialog), QStringLiteral("Button2"));
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
            QCOMPARE(Focused(dialog), QStringLiteral("BitBtn1"));
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
            QCOMPARE(Focused(dialog), QStringLiteral("DBEdit1"));
            dialog->move(33, 44);
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
        });
        EditClient(nullptr, *f.session, f.table(), false);
        Tfrm_Szerkeszt::SetPictureDraw(nullptr);
        IniFile ini(f.folders.IniFileName);
        QCOMPARE(ini.readInteger(QStringLiteral("frm_Szerkeszt"), QStringLiteral("Left"), 0), 33);
        QCOMPARE(ini.readInteger(QStringLiteral("frm_Szerkeszt"), QStringLiteral("Top"), 0), 44);
    }

    void failedSaveShowsTheErrorAndOffersTheDialogAgain()
    {
        FakePrompter prompter;
        Fixture f;
        const qint64 before = f.clientCount();
        auto rule = f.table().beforePost;
        f.table().beforePost = [](TableView &) { throw Error(QStringLiteral("a lemez megtelt")); };
        int offered = 0;
        std::function<void(QWidget *)> answer = [&](QWidget *dialog) {
            if (++offered == 1) {
                Type(dialog, "DBEdit1", QStringLiteral("Mentetlen Kft."));
                WhenModal(answer, true);
                Child<QPushButton>(dialog, "Button1")->click();
            } else {
                QCOMPARE(Edit(dialog, "DBEdit1")->text(), QStringLiteral("Mentetlen Kft."));
                Child<QPushButton>(dialog, "Button2")->click();
            }
        };
        WhenModal(answer);
        QVERIFY(!EditClient(nullptr, *f.session, f.table(), true));
        QCOMPARE(offered, 2);
        QCOMPARE(prompter.errors, QStringList{QStringLiteral("a lemez megtelt")});
        QCOMPARE(f.clientCount(), before);
        QCOMPARE(f.table().state(), DataSet::State::Browse);
        f.table().beforePost = rule;
    }
};

QTEST_MAIN(TestSzerkeszt)
#include "tst_szerkeszt.moc"
