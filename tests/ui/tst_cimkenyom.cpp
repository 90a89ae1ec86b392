// The label printing window as a user works it: the sheet summary and the designer, dragging the
// address lines, the jump-back at refresh, the font and the label-format picker, the settings kept
// however the window closes, and prints of the client list's scope that change no mark.
#include "demowindow.h"
#include "modaldriver.h"
#include "ui/common/focuscolor.h"
#include "ui/labels/frm_cimkenyom.h"
#include "ui/masterdata/pickers.h"

#include <QDir>
#include <QAction>
#include <QGroupBox>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

using namespace kartevo;
using kartevo::test::DemoWindow;

namespace {

// Answers the label-format picker: accepts the format when a name is set.
class FormatPicker final : public Pickers {
public:
    FormatPicker() { SetPickers(this); }
    ~FormatPicker() override { SetPickers(nullptr); }

    QString name;
    LabelFormat format;
    QStringList calls;

    qint64 feladoValasztas(QWidget *, Session &, qint64, bool) override { return -1; }
    QString irszVarosValasztas(QWidget *, Session &, const QString &, bool, QString &) override { return {}; }
    QString csoportValasztas(QWidget *, Session &, const QString &, bool) override { return {}; }
    QString cimkeValasztas(QWidget *, Session &, const QString &start, bool pick, LabelFormat &chosen) override
    {
        calls.append(QStringLiteral("%1:%2").arg(start).arg(pick));
        if (!name.isEmpty())
            chosen = format;
        return name;
    }
};

// Drags a widget by the offset, grabbing it 5 pixels inside its corner.
void Drag(QWidget *widget, QPoint offset)
{
    const QPoint grab(5, 5);
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, grab);
    QTest::mouseMove(widget, grab + offset);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, grab);
}

using kartevo::test::PdfText;

QStringList Printed(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

} // namespace

class TestCimkeNyom : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        Tfrm_Main::SetSplashEnabled(false);
        QLocale::setDefault(QLocale(QLocale::Hungarian)); // a decimal comma, as on a Hungarian desktop
    }

    void cleanup()
    {
        Tfrm_CimkeNyom::SetFontChooser(nullptr);
        qunsetenv("KARTEVO_PRINT_DIR");
    }

    void opensWithTheSettings()
    {
        DemoWindow demo;
        Tfrm_CimkeNyom window(&demo.w(), demo.w().session(), LabelSelection());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.objectName(), QStringLiteral("frm_CimkeNyom"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Cimke nyomtatás"));
        QCOMPARE(window.Edit1->text(), QStringLiteral("7,2"));
        QCOMPARE(window.Edit2->text(), QStringLiteral("15,2"));
        QCOMPARE(window.Edit4->text(), QStringLiteral("38,1"));
        QCOMPARE(window.Edit3->text(), QStringLiteral("3"));
        QCOMPARE(window.Edit6->text(), QStringLiteral("1"));
        QCOMPARE(window.Edit5->text(), QString());
        QCOMPARE(window.Edit7->text(), QStringLiteral("65,20 x 38,1: 21 pcs"));
        QCOMPARE(window.BitBtn3->text(), QStringLiteral("Arial,10pt"));
        QCOMPARE(window.Panel1->size(), QSize(247, 144));
        QCOMPARE(window.l[0]->pos(), QPoint(28, 17));
        QCOMPARE(window.l[4]->pos(), QPoint(28, 125));
        QCOMPARE(window.l[1]->text(), QStringLiteral("Kapcsolattartó"));
        QCOMPARE(window.l[1]->font().family(), QStringLiteral("Arial"));
        QCOMPARE(window.l[1]->font().pointSize(), 10);

        // Tab order, and the focus colour of the five input fields.
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.Edit1->setFocus();
        QStringList order{window.focusWidget()->objectName()};
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
            order.append(window.focusWidget()->objectName());
        }
        QCOMPARE(order.join(QLatin1Char(' ')),
                 QStringLiteral("Edit1 Edit2 Edit3 Edit4 Edit6 BitBtn1 Edit7 BitBtn3 Button1 Button2 Edit5 BitBtn2 Button3"));
        window.Edit6->setFocus();
        QCOMPARE(window.Edit6->palette().color(QPalette::Base), FocusColor);
        QVERIFY(window.Edit1->palette().color(QPalette::Base) != FocusColor);
        // Enter presses no button.
        QTest::keyClick(window.Edit6, Qt::Key_Return);
        QVERIFY(window.isVisible());
        window.close();
    }

    // A dragged line keeps the grabbed point under the pointer; at the next refresh a line below
    // the label jumps back inside its bottom edge, one right of the label stays. Everything set in
    // the window is kept when it is closed with Esc.
    void dragRefreshAndKeepOnClose()
    {
        DemoWindow demo;
        Tfrm_CimkeNyom window(&demo.w(), demo.w().session(), LabelSelection());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Drag(window.l[0], QPoint(10, 23));
        QCOMPARE(window.l[0]->pos(), QPoint(38, 40));
        Drag(window.l[4], QPoint(0, 60));
        QCOMPARE(window.l[4]->pos(), QPoint(28, 185));
        Drag(window.l[3], QPoint(240, 0));
        QCOMPARE(window.l[3]->pos(), QPoint(268, 97));

        // Typing alone refreshes nothing; the refresh button does.
        window.Edit4->setText(QStringLiteral("30"));
        window.Edit3->setText(QStringLiteral("2"));
        window.Edit6->setText(QStringLiteral("5"));
        QCOMPARE(window.Edit7->text(), QStringLiteral("65,20 x 38,1: 21 pcs"));
        window.BitBtn1->click();
        QCOMPARE(window.Edit7->text(), QStringLiteral("97,80 x 30: 18 pcs"));
        QCOMPARE(window.Panel1->size(), QSize(370, 113));
        QCOMPARE(window.l[4]->y(), 113 - window.l[4]->height() - 1);
        QCOMPARE(window.l[3]->pos(), QPoint(268, 97));

        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
        const TBeall &settings = demo.w().session().settings();
        QCOMPARE(settings.LabelHeight, 30.0);
        QCOMPARE(settings.LabelColumn, 2);
        QCOMPARE(settings.LabelCount, 5);
        QCOMPARE(settings.LabelLeft, 7.2);
        QCOMPARE(QPoint(settings.l1Left, settings.l1Top), QPoint(38, 40));
        QCOMPARE(QPoint(settings.l4Left, settings.l4Top), QPoint(268, 97));
        QCOMPARE(settings.l5Top, 113 - window.l[4]->height() - 1);
        // The window's position went to its own section of the configuration file.
        QVERIFY(QFile(demo.folders.IniFileName).open(QIODevice::ReadOnly));
        QVERIFY(test::ReadBytes(demo.folders.IniFileName).contains("[frm_CimkeNyom]"));

        // The next opening shows what was left.
        Tfrm_CimkeNyom again(&demo.w(), demo.w().session(), LabelSelection());
        QCOMPARE(again.Edit7->text(), QStringLiteral("97,80 x 30: 18 pcs"));
        QCOMPARE(again.l[0]->pos(), QPoint(38, 40));
    }

    void fontAndFormat()
    {
        DemoWindow demo;
        FormatPicker picker;
        Tfrm_CimkeNyom window(&demo.w(), demo.w().session(), LabelSelection());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        Tfrm_CimkeNyom::SetFontChooser([](QFont &font, QWidget *) {
            if (font.family() != QStringLiteral("Arial") || font.pointSize() != 10)
                return false;
            font = QFont(QStringLiteral("Times New Roman"), 12);
            font.setBold(true);
            font.setStrikeOut(true);
            return true;
        });
        window.BitBtn3->click();
        QCOMPARE(window.BitBtn3->text(), QStringLiteral("Times New Roman, 12"));
        for (QLabel *line : window.l)
            QVERIFY(line->font().bold() && line->font().pointSize() == 12);
        // Strikeout prints while the window is open.
        QVERIFY(window.currentLayout().lines[2].font.strikeout);

        picker.name = QStringLiteral("Etikett 70x37");
        picker.format = {0.0, 0.0, 36.5, 3};
        window.BitBtn2->click();
        QCOMPARE(window.Edit5->text(), QStringLiteral("Etikett 70x37"));
        QCOMPARE(window.Edit1->text(), QStringLiteral("0,00"));
        QCOMPARE(window.Edit4->text(), QStringLiteral("36,50"));
        QCOMPARE(window.Edit3->text(), QStringLiteral("3"));
        QCOMPARE(window.Edit7->text(), QStringLiteral("70,00 x 36,50: 24 pcs"));
        // Closed without accepting: the name goes, the numbers stay.
        picker.name.clear();
        window.BitBtn2->click();
        QCOMPARE(picker.calls, (QStringList{QStringLiteral(":1"), QStringLiteral("Etikett 70x37:1")}));
        QCOMPARE(window.Edit5->text(), QString());
        QCOMPARE(window.Edit4->text(), QStringLiteral("36,50"));

        window.close(); // the close box
        const TBeall &settings = demo.w().session().settings();
        QCOMPARE(settings.LabelFont, QStringLiteral("Times New Roman"));
        QCOMPARE(settings.LabelSize, 12);
        QVERIFY(settings.LabelBold && !settings.LabelItalic);
        QCOMPARE(settings.LabelLeft, 0.0);
        QCOMPARE(settings.LabelHeight, 36.5);
    }

    // F9 with "Csak a kijelölteknek" and a group filter: the marked clients of the group, in the
    // list's order, printed without a question, and the marks stay set. A line dragged 38 pixels
    // down prints 10 mm lower.
    void markedOfTheGroupFromF9()
    {
        QTemporaryDir printDir;
        qputenv("KARTEVO_PRINT_DIR", printDir.path().toLocal8Bit());
        DemoWindow demo(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (22, 1, 2);"));
        demo.showActive();
        demo.chooseGroup(QStringLiteral("Partnerek"));
        demo.w().printScopeBox()->setCurrentIndex(2);
        int lineTop = -1;
        test::WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_CimkeNyom *>(modal);
            QVERIFY(window);
            window->Button1->click();
            // Two labels used: the next print starts on the third place; back to the first.
            QCOMPARE(window->Edit6->text(), QStringLiteral("3"));
            window->Edit6->setText(QStringLiteral("1"));
            Drag(window->l[0], QPoint(0, 20));
            lineTop = window->l[0]->y();
            window->Button1->click();
            window->Button2->click();
        });
        QTest::keyClick(&demo.w(), Qt::Key_F9);
        QCOMPARE(demo.prompter.errors, QStringList());
        QCOMPARE(demo.prompter.questions, QStringList());
        const QStringList files = Printed(printDir);
        QCOMPARE(files.size(), 2);
        const QString text = PdfText(printDir.filePath(files.first()));
        QVERIFY(text.indexOf(QStringLiteral("Almási és Társa Kft.")) < text.indexOf(QStringLiteral("Zalai Kerámia Bt.")));
        QVERIFY(text.contains(QStringLiteral("Almási és Társa Kft.")));
        QVERIFY(!text.contains(QStringLiteral("Bakonyi")));
        QCOMPARE(demo.scalar(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 3);
        QCOMPARE(lineTop, 17 + 20);
        QCOMPARE(demo.w().session().settings().l1Top, 17 + 20);

        // The same name, 20 designer pixels (5.29 mm) lower on the second print.
        const auto nameTop = [&](const QString &file) {
            QProcess process;
            process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
            process.waitForFinished(30000);
            const auto match = QRegularExpression(QStringLiteral("yMin=\"([0-9.]+)\"[^>]*>Almási</word>"))
                                   .match(QString::fromUtf8(process.readAllStandardOutput()));
            return match.hasMatch() ? match.captured(1).toDouble() * 25.4 / 72 : -100.0;
        };
        const double moved = nameTop(printDir.filePath(files.at(1))) - nameTop(printDir.filePath(files.at(0)));
        QVERIFY2(std::abs(moved - 20 * 25.4 / 96) < 0.1, qPrintable(QString::number(moved)));
    }

    // "Aktuális" prints the current client only, whatever its mark and the group filter; a label
    // height of 0 is refused with a message and prints nothing; the preview prints nothing.
    void currentClientAndRefusedHeight()
    {
        QTemporaryDir printDir;
        qputenv("KARTEVO_PRINT_DIR", printDir.path().toLocal8Bit());
        DemoWindow demo;
        demo.chooseGroup(QStringLiteral("Szállítók"));
        QVERIFY(demo.list().table().locateValue(QStringLiteral("ugyfel"), 3));
        demo.w().printScopeBox()->setCurrentIndex(0);
        test::WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_CimkeNyom *>(modal);
            QVERIFY(window);
            window->Edit4->setText(QStringLiteral("0"));
            window->Button1->click();
            QCOMPARE(demo.prompter.errors.size(), 1);
            QVERIFY(demo.prompter.errors.first().contains(QStringLiteral("magassága 0 mm")));
            QVERIFY(window->isVisible());
            window->Edit4->setText(QStringLiteral("38,1"));
            window->Button1->click();
            // "Megnéz" previews the same sheet and prints nothing.
            QString preview;
            test::WhenModal([&](QWidget *shown) {
                preview = shown->objectName() + QLatin1Char(' ') + shown->windowTitle();
                static_cast<QDialog *>(shown)->reject();
            });
            window->Button3->click();
            QCOMPARE(preview, QStringLiteral("frm_Preview Címkék"));
            QVERIFY(window->isVisible());
            window->reject();
        });
        demo.trigger("aCimke");
        const QStringList files = Printed(printDir);
        QCOMPARE(files.size(), 1);
        const QString text = PdfText(printDir.filePath(files.first()));
        QVERIFY(text.contains(QStringLiteral("Csillag Nyomda Kft.")));
        QVERIFY(!text.contains(QStringLiteral("Bakonyi")));
    }

    // The line above the buttons says what will print; a click on a place of the sheet sketch
    // makes it the start place; after a print (directly or from the preview) the next print
    // starts after the last label used, and a closed preview changes nothing.
    void planLineStartPlaceAndNextStart()
    {
        QTemporaryDir printDir;
        qputenv("KARTEVO_PRINT_DIR", printDir.path().toLocal8Bit());
        DemoWindow demo(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (22, 1, 2);"));
        Tfrm_CimkeNyom window(&demo.w(), demo.w().session(),
                              LabelSelectionFor(2, -1, QStringLiteral("Partnerek"), QStringLiteral("ugyfel_nev")));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.Label6->text(), QStringLiteral("2 címke · Kijelöltek (Partnerek) · 1 lap"));

        // The defaults: 3 columns of 7 places on a 128 × 184 pixel sheet from (24, 24); place 5
        // is the fifth of the first column, place 9 the second of the second.
        auto *sketch = window.findChild<QWidget *>(QStringLiteral("SheetSketch"));
        QVERIFY(sketch);
        const auto placeCentre = [](int column, int row) {
            return QPoint(24 + int((column + 0.5) * 128 / 3), 24 + int((row + 0.5) * 184 / 7));
        };
        QTest::mouseClick(sketch, Qt::LeftButton, Qt::NoModifier, placeCentre(0, 4));
        QCOMPARE(window.Edit6->text(), QStringLiteral("5"));
        QCOMPARE(window.Label6->text(), QStringLiteral("2 címke · Kijelöltek (Partnerek) · 1 lap (az első lapon az 5. helytől)"));

        window.Button1->click();
        QCOMPARE(Printed(printDir).size(), 1);
        QCOMPARE(window.Edit6->text(), QStringLiteral("7"));
        QCOMPARE(demo.w().session().settings().LabelCount, 7);

        // A preview closed prints nothing and keeps the start place.
        test::WhenModal([](QWidget *shown) { static_cast<QDialog *>(shown)->reject(); });
        window.Button3->click();
        QCOMPARE(Printed(printDir).size(), 1);
        QCOMPARE(window.Edit6->text(), QStringLiteral("7"));

        // Printed from the preview: the outline switch is there, off; the sheet prints once.
        bool outlinesOff = false;
        test::WhenModal([&](QWidget *shown) {
            auto *outlines = shown->findChild<QAction *>(QStringLiteral("aKorvonalak"));
            outlinesOff = outlines && outlines->isCheckable() && !outlines->isChecked();
            if (outlines)
                outlines->trigger(); // shown on the screen only
            for (QAction *action : shown->findChildren<QAction *>()) {
                if (action->shortcut() == QKeySequence(QKeySequence::Print))
                    action->trigger();
            }
        });
        window.Button3->click();
        QVERIFY(outlinesOff);
        QCOMPARE(Printed(printDir).size(), 2);
        QCOMPARE(window.Edit6->text(), QStringLiteral("9"));

        // The last places of the sheet: the next print starts a fresh sheet.
        QTest::mouseClick(sketch, Qt::LeftButton, Qt::NoModifier, placeCentre(2, 5));
        QCOMPARE(window.Edit6->text(), QStringLiteral("20"));
        window.Button1->click();
        QCOMPARE(window.Edit6->text(), QStringLiteral("1"));
        window.reject();
    }

    // The format chosen in the window is there again when it opens next time.
    void chosenFormatIsRemembered()
    {
        DemoWindow demo;
        FormatPicker picker;
        picker.name = demo.scalar(QStringLiteral("SELECT cimke FROM cimke ORDER BY cimke LIMIT 1")).toString();
        QVERIFY(!picker.name.isEmpty());
        picker.format = {0.0, 0.0, 37.0, 3};
        {
            Tfrm_CimkeNyom window(&demo.w(), demo.w().session(), LabelSelection());
            window.BitBtn2->click();
            window.reject();
        }
        QCOMPARE(demo.w().session().settings().LabelFormat, picker.name);
        Tfrm_CimkeNyom again(&demo.w(), demo.w().session(), LabelSelection());
        QCOMPARE(again.Edit5->text(), picker.name);
        QCOMPARE(again.Edit4->text(), QStringLiteral("37"));
        again.reject();
        // A format deleted meanwhile is not offered as chosen.
        demo.w().session().settings().LabelFormat = QStringLiteral("Nincs ilyen");
        Tfrm_CimkeNyom third(&demo.w(), demo.w().session(), LabelSelection());
        QCOMPARE(third.Edit5->text(), QString());
    }
};

QTEST_MAIN(TestCimkeNyom)
#include "tst_cimkenyom.moc"
