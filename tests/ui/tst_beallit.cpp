// The settings dialog: what OK stores, what Cancel keeps, the sender choice, the pictures, the
// keys; and the information commands of the main window.
#include "core/error.h"
#include "demowindow.h"
#include "modaldriver.h"
#include "ui/common/filedialogs.h"
#include "ui/dialogs/frm_beallit.h"
#include "ui/masterdata/pickers.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

using namespace kartevo;
using namespace kartevo::test;
using namespace Qt::StringLiterals;

namespace {

// The sender list answers with a fixed key (-1: cancelled) and records where it opened.
class FakePickers final : public Pickers {
public:
    FakePickers() { SetPickers(this); }
    ~FakePickers() override { SetPickers(nullptr); }
    qint64 answer = -1;
    QList<qint64> openedOn;
    qint64 feladoValasztas(QWidget *, Session &, qint64 start, bool) override
    {
        openedOn.append(start);
        return answer;
    }
    QString irszVarosValasztas(QWidget *, Session &, const QString &, bool, QString &) override { return {}; }
    QString csoportValasztas(QWidget *, Session &, const QString &, bool) override { return {}; }
    QString cimkeValasztas(QWidget *, Session &, const QString &, bool, LabelFormat &) override { return {}; }
};

class FakeFileDialogs final : public FileChooser {
public:
    FakeFileDialogs() { SetFileChooser(this); }
    ~FakeFileDialogs() override { SetFileChooser(nullptr); }
    QString file;
    QString folder;
    QStringList filters;
    QString chooseOpen(QWidget *, const FileDialogOptions &options) override
    {
        filters.append(options.filter);
        return file;
    }
    QString chooseSave(QWidget *, const FileDialogOptions &) override { return {}; }
    QString chooseFolder(QWidget *, const QString &) override { return folder; }
};

// Catches what the program hands to the desktop (browser, mail program).
class UrlCatcher final : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const char *scheme : {"file", "https", "mailto"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
    }
    ~UrlCatcher() override
    {
        for (const char *scheme : {"file", "https", "mailto"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened.append(url); }
};

QString WritePicture(const QString &fileName, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(fileName);
    return fileName;
}

} // namespace

class TestBeallit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Tfrm_Main::SetSplashEnabled(false); }

    // OK takes every control into the settings (the texts as typed, a hand-typed picture path
    // without loading it); the file is written only at the end of the run.
    void okStoresTheControls()
    {
        DemoWindow demo;
        FakePickers pickers;
        pickers.answer = 2;
        demo.showActive();
        WhenModal([](QWidget *dialog) {
            Child<QCheckBox>(dialog, "CheckBox1")->setChecked(true);
            Child<QCheckBox>(dialog, "CheckBox2")->setChecked(false);
            Child<QCheckBox>(dialog, "CheckBox3")->setChecked(false);
            Child<QCheckBox>(dialog, "CheckBox4")->setChecked(true);
            Child<QLineEdit>(dialog, "Edit2")->setText(u"/nincs/ilyen.sqb"_s);
            Child<QLineEdit>(dialog, "Edit3")->setText(u"/tmp/html"_s);
            Child<QLineEdit>(dialog, "Edit5")->setText(u"/nincs/kep.jpg"_s);
            QTest::mouseClick(Child<QPushButton>(dialog, "BitBtn2"), Qt::LeftButton);
            QCOMPARE(Child<QLineEdit>(dialog, "Edit1")->text(), u"Példa Könyvelő Bt."_s);
            QTest::mouseClick(Child<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        demo.trigger("aBeallit");
        const TBeall &s = demo.w().session().settings();
        QCOMPARE(s.FullScreen, true);
        QCOMPARE(s.Only1Sender, false);
        QCOMPARE(s.UsePrinter, false);
        QCOMPARE(s.SameChar, true);
        QCOMPARE(s.Path, u"/nincs/ilyen.sqb"_s);
        QCOMPARE(s.HtmlPath, u"/tmp/html"_s);
        QCOMPARE(s.i2, u"/nincs/kep.jpg"_s);
        QCOMPARE(s.Sender, 2);
        QCOMPARE(pickers.openedOn, QList<qint64>{1});
        QVERIFY(demo.prompter.errors.isEmpty());
        // Only the dialog's position reached the file so far.
        const QByteArray iniAfter = ReadBytes(demo.folders.IniFileName);
        QVERIFY2(!iniAfter.contains("FullScreen") && !iniAfter.contains("Sender") && !iniAfter.contains("Path"),
                 iniAfter.constData());
    }

    // Cancel (also Escape) after choosing pictures, a folder, a database and a sender keeps
    // every setting.
    void cancelChangesNothing()
    {
        DemoWindow demo;
        FakePickers pickers;
        pickers.answer = 2;
        FakeFileDialogs files;
        files.file = WritePicture(demo.inst.dir.filePath(u"kep.bmp"_s), 500, 400);
        files.folder = demo.inst.dir.path();
        demo.showActive();
        const TBeall before = demo.w().session().settings();
        WhenModal([](QWidget *dialog) {
            for (const char *button : {"BitBtn1", "BitBtn2", "BitBtn3", "BitBtn4", "BitBtn5", "BitBtn6"})
                QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
            QVERIFY(!Child<QLabel>(dialog, "Image3")->pixmap().isNull());
            // The preview shows the picture at its own size, cut at the preview's edge.
            QCOMPARE(Child<QLabel>(dialog, "Image3")->pixmap().size(), QSize(500, 400));
            QCOMPARE(Child<QLabel>(dialog, "Image3")->size(), QSize(329, 205));
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        demo.trigger("aBeallit");
        QVERIFY(demo.w().session().settings() == before);
        QCOMPARE(files.filters.size(), 4);
        QCOMPARE(files.filters.first(), u"SQB állományok (*.sqb)"_s);
    }

    // The sender picker: a cancelled choice keeps the chosen key and the name shown; a key that no
    // longer exists shows no name, and OK keeps it.
    void senderChoice()
    {
        DemoWindow demo(QString(), "[Defaults]\r\nSender=77\r\n");
        FakePickers pickers;
        demo.showActive();
        WhenModal([&pickers](QWidget *dialog) {
            auto *name = Child<QLineEdit>(dialog, "Edit1");
            QCOMPARE(name->text(), QString());
            pickers.answer = 1;
            QTest::mouseClick(Child<QPushButton>(dialog, "BitBtn2"), Qt::LeftButton);
            QCOMPARE(name->text(), u"Minta Iroda Kft."_s);
            pickers.answer = -1;
            QTest::mouseClick(Child<QPushButton>(dialog, "BitBtn2"), Qt::LeftButton);
            QCOMPARE(name->text(), u"Minta Iroda Kft."_s);
            QTest::mouseClick(Child<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        demo.trigger("aBeallit");
        QCOMPARE(demo.w().session().settings().Sender, 1);
        // The list opened on the saved key both times.
        QCOMPARE(pickers.openedOn, (QList<qint64>{77, 77}));

        WhenModal([](QWidget *dialog) { QTest::mouseClick(Child<QPushButton>(dialog, "Button1"), Qt::LeftButton); });
        demo.w().session().settings().Sender = 77;
        demo.trigger("aBeallit");
        QCOMPARE(demo.w().session().settings().Sender, 77);
    }

    // A picture that exists but is no picture: chosen with a browse button, the field keeps the
    // name and the error is shown; at the next opening the dialog opens all the same, names the
    // file and shows an empty preview, so that the setting can be mended. A missing file is
    // skipped.
    void unreadablePictures()
    {
        DemoWindow demo;
        FakeFileDialogs files;
        const QString bad = demo.inst.dir.filePath(u"rossz.jpg"_s);
        WriteBytes(bad, "not a picture");
        files.file = bad;
        demo.showActive();
        TBeall &settings = demo.w().session().settings();
        settings.i1 = demo.inst.dir.filePath(u"nincs.jpg"_s);
        WhenModal([&](QWidget *dialog) {
            QTest::mouseClick(Child<QPushButton>(dialog, "BitBtn5"), Qt::LeftButton);
            QCOMPARE(Child<QLineEdit>(dialog, "Edit5")->text(), bad);
            QCOMPARE(demo.prompter.errors.size(), 1);
            QTest::mouseClick(Child<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        demo.trigger("aBeallit");
        QCOMPARE(settings.i2, bad);

        demo.prompter.errors.clear();
        const QString good = WritePicture(demo.inst.dir.filePath(u"jo.png"_s), 30, 20);
        settings.i3 = good;
        bool opened = false;
        WhenModal([&](QWidget *dialog) {
            opened = true;
            QTRY_COMPARE(demo.prompter.errors.size(), 1);
            QVERIFY2(demo.prompter.errors.first().contains(bad), qPrintable(demo.prompter.errors.first()));
            QVERIFY(Child<QLabel>(dialog, "Image2")->pixmap().isNull());
            QCOMPARE(Child<QLabel>(dialog, "Image3")->pixmap().size(), QSize(30, 20));
            Child<QLineEdit>(dialog, "Edit5")->clear();
            QTest::mouseClick(Child<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        demo.trigger("aBeallit");
        QVERIFY(opened);
        QCOMPARE(settings.i2, QString());
        QCOMPARE(demo.prompter.errors.size(), 1);
    }

    // The picture dialog offers every format the program reads; a picture too large for its
    // place on the envelope is taken with a note that it prints shrunk, one that fits without.
    void pictureChoice()
    {
        DemoWindow demo;
        FakeFileDialogs files;
        demo.showActive();
        const QString large = WritePicture(demo.inst.dir.filePath(u"nagy.png"_s), 339, 324);
        const QString small = WritePicture(demo.inst.dir.filePath(u"kicsi.bmp"_s), 100, 80);
        WhenModal([&](QWidget *dialog) {
            files.file = large;
            QTest::mouseClick(Child<QPushButton>(dialog, "BitBtn4"), Qt::LeftButton);
            QCOMPARE(Child<QLabel>(dialog, "Image1")->pixmap().size(), QSize(339, 324));
            QCOMPARE(demo.prompter.infos.size(), 1);
            QVERIFY2(demo.prompter.infos.first().contains(u"339*324"_s), qPrintable(demo.prompter.infos.first()));
            files.file = small;
            QTest::mouseClick(Child<QPushButton>(dialog, "BitBtn5"), Qt::LeftButton);
            QCOMPARE(demo.prompter.infos.size(), 1);
            QTest::mouseClick(Child<QPushButton>(dialog, "Button1"), Qt::LeftButton);
        });
        demo.trigger("aBeallit");
        QCOMPARE(demo.w().session().settings().i1, large);
        QCOMPARE(demo.w().session().settings().i2, small);
        QVERIFY(demo.prompter.errors.isEmpty());
        QCOMPARE(files.filters.size(), 2);
        for (const char *pattern : {"*.png", "*.jpg", "*.jpeg", "*.bmp", "*.gif", "*.ico"})
            QVERIFY2(files.filters.first().contains(QLatin1String(pattern)), qPrintable(files.filters.first()));
    }

    // Enter moves the focus on; the text fields take the focus colour.
    void enterMovesFocus()
    {
        DemoWindow demo;
        demo.showActive();
        WhenModal([](QWidget *dialog) {
            auto *edit2 = Child<QLineEdit>(dialog, "Edit2");
            edit2->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), edit2);
            QCOMPARE(edit2->palette().color(QPalette::Base), QColor(166, 202, 240));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY(QApplication::focusWidget() != edit2);
            QVERIFY(dialog->isVisible());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        demo.trigger("aBeallit");
    }

    // Help, home page, mail and news go to the desktop; the information window shows the
    // agreement and keeps its size.
    void informationCommands()
    {
        DemoWindow demo;
        UrlCatcher urls;
        demo.showActive();
        demo.trigger("aSugo"); // no help pages in this installation: nothing opens
        QVERIFY(urls.opened.isEmpty());
        QDir().mkpath(demo.inst.share() + u"/Help"_s);
        for (const QString &page : {u"index.htm"_s, u"ujdonsag.htm"_s})
            QVERIFY(QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/Help/") + page, demo.inst.share() + u"/Help/"_s + page));
        demo.trigger("aHonlap");
        demo.trigger("aLevel");
        demo.trigger("aSugo");
        demo.trigger("aUjdonsag");
        QCOMPARE(urls.opened.size(), 4);
        QCOMPARE(urls.opened.at(0).scheme(), u"https"_s);
        QCOMPARE(urls.opened.at(1).toString(), u"mailto:info@pelmar.example?subject=Kartevo"_s);
        QVERIFY(urls.opened.at(2).toLocalFile().endsWith(u"Help/index.htm"_s));
        QVERIFY(urls.opened.at(3).toLocalFile().endsWith(u"Help/ujdonsag.htm"_s));

        WhenModal([](QWidget *window) {
            QVERIFY(Child<QPlainTextEdit>(window, "Memo1")->toPlainText().startsWith(u"Felhasználói szerződés"_s));
            window->resize(700, 500);
            QTest::keyClick(window, Qt::Key_Escape);
        });
        demo.trigger("aFontos");
        // "Nyomtat" sends the whole agreement straight to the printer (here: the print folder).
        const QString printDir = demo.inst.dir.filePath(u"nyomtato"_s);
        qputenv("KARTEVO_PRINT_DIR", printDir.toLocal8Bit());
        WhenModal([](QWidget *window) {
            QCOMPARE(window->size(), QSize(700, 500));
            QTest::mouseClick(Child<QPushButton>(window, "Button1"), Qt::LeftButton);
            QTest::keyClick(window, Qt::Key_Escape);
        });
        demo.trigger("aFontos");
        qunsetenv("KARTEVO_PRINT_DIR");
        const QString printed = PdfText(printDir + u"/kartevo-0001.pdf"_s);
        QVERIFY2(printed.contains(u"Felhasználói szerződés"_s), qPrintable(printed));
        QVERIFY(printed.contains(u"A program telepítésével és használatával"_s));
        int logos = 0;
        for (const char *command : {"aNevjegy", "aTamogat"}) {
            QSize logo;
            WhenModal([&](QWidget *window) {
                if (auto *icon = window->findChild<QLabel *>(u"ProgramIcon"_s))
                    logo = icon->pixmap().size();
                QTest::keyClick(window, Qt::Key_Escape);
            });
            demo.trigger(command);
            // The logo keeps its proportions (3 : 1) at 128 pixels wide.
            if (logo.isValid()) {
                ++logos;
                QCOMPARE(logo.width(), 128);
                QVERIFY2(qAbs(logo.height() - 43) <= 1, qPrintable(QString::number(logo.height())));
            }
        }
        QVERIFY(logos > 0);
        QVERIFY(demo.prompter.errors.isEmpty());
    }
};

QTEST_MAIN(TestBeallit)
#include "tst_beallit.moc"
