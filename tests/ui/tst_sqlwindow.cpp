// The SQL console window: F5 runs the selection or the whole text as a query (result page,
// export) or as a script (progress, messages, stop at the first error); SQL files are opened
// and saved through the file dialogs, which the test answers.
#include "core/codec.h"
#include "demowindow.h"
#include "modaldriver.h"
#include "ui/common/filedialogs.h"
#include "ui/tools/frm_sql.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTimer>
#include <QProgressBar>
#include <QTabWidget>
#include <QTemporaryDir>

// QScintilla's headers use Qt's plain keywords, which the build switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

using namespace kartevo;
using namespace kartevo::test;

namespace {

class FakeFileChooser final : public FileChooser {
public:
    FakeFileChooser() { SetFileChooser(this); }
    ~FakeFileChooser() override { SetFileChooser(nullptr); }

    QString answer;
    QList<FileDialogOptions> asked;

    QString chooseOpen(QWidget *, const FileDialogOptions &options) override
    {
        asked.append(options);
        return answer;
    }
    QString chooseSave(QWidget *, const FileDialogOptions &options) override
    {
        asked.append(options);
        return answer;
    }
    QString chooseFolder(QWidget *, const QString &) override { return {}; }
};

// The console over the demo clients, shown and active so that its keys work.
struct Console {
    DemoWindow demo;
    Tfrm_SQL window{nullptr, demo.w().session()};

    Console()
    {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the console did not become active");
    }

    void runKey(const QString &text)
    {
        window.Memo1->setText(text);
        window.Memo1->setFocus();
        QTest::keyClick(window.Memo1, Qt::Key_F5);
    }
    QString marks() { return demo.scalar(QStringLiteral("SELECT group_concat(ugyfel) FROM ugyfel WHERE jelolve='I'")).toString(); }
};

QString Update(int key)
{
    return QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel=%1;").arg(key);
}

} // namespace

class TestSqlWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { SetSqlExportHandler({}); }

    // A lower-case select after blank lines opens as a query on the result page, every column
    // 64 pixels wide; Export hands the result to the export window.
    void queryAndExport()
    {
        QStringList exported;
        int exportedRows = -1;
        SetSqlExportHandler([&](QWidget *, DataSet &result) {
            exported = result.fieldNames();
            exportedRows = result.recordCount();
        });
        Console console;
        Tfrm_SQL &w = console.window;
        QVERIFY(w.aExport->isVisible());
        QVERIFY(!w.aExport->isEnabled());
        console.runKey(QStringLiteral("\n\n  select ugyfel, ugyfel_nev from ugyfel order by ugyfel"));
        QCOMPARE(w.Pg1->currentWidget(), w.tsEredmeny);
        QCOMPARE(w.DBGrid1->model()->rowCount(), 30);
        QCOMPARE(w.DBGrid1->columnWidth(0), 64);
        QCOMPARE(w.DBGrid1->columnWidth(1), 64);
        QVERIFY(!w.DBGrid1->horizontalHeader()->sectionsClickable());
        QVERIFY(w.aExport->isEnabled());
        QTest::keyClick(&w, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(exported, (QStringList{QStringLiteral("ugyfel"), QStringLiteral("ugyfel_nev")}));
        QCOMPARE(exportedRows, 30);
        QVERIFY(console.demo.prompter.errors.isEmpty());

        // A failed query shows the engine's message and leaves nothing to export.
        console.runKey(QStringLiteral("SELECT nincs FROM ugyfel"));
        QCOMPARE(console.demo.prompter.errors, QStringList{QStringLiteral("SQL hiba:\r\nno such column: nincs")});
        QVERIFY(!w.aExport->isEnabled());
        QCOMPARE(w.DBGrid1->model(), nullptr);
    }

    // The program's own Export: the export window on the query's result.
    void exportOpensTheExportWindow()
    {
        Console console;
        console.runKey(QStringLiteral("SELECT ugyfel_nev, cim_varos FROM ugyfel"));
        QString opened;
        WhenModal([&](QWidget *modal) {
            opened = modal->objectName();
            static_cast<QDialog *>(modal)->reject();
        });
        QTest::keyClick(&console.window, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(opened, QStringLiteral("frm_Hatarolt"));
        QVERIFY(console.demo.prompter.errors.isEmpty());
    }

    // A query that never ends: the window answers, Escape or "Leállít" stops the statement, the
    // window stays open and works afterwards.
    void endlessQueryIsStopped_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Leállít") << QStringLiteral("button");
        QTest::newRow("Escape") << QStringLiteral("escape");
        // The end of the program (a signal) closes the window as its close box does.
        QTest::newRow("close") << QStringLiteral("close");
    }
    void endlessQueryIsStopped()
    {
        QFETCH(QString, how);
        Console console;
        bool buttonShown = false;
        QTimer::singleShot(500, &console.window, [&] {
            buttonShown = console.window.btnLeallit->isVisible();
            if (how == QLatin1String("escape"))
                QTest::keyClick(&console.window, Qt::Key_Escape);
            else if (how == QLatin1String("close"))
                console.window.close();
            else
                QTest::mouseClick(console.window.btnLeallit, Qt::LeftButton);
        });
        console.runKey(QStringLiteral("SELECT x FROM (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) "
                                      "SELECT x FROM c) WHERE x < 0"));
        QVERIFY(buttonShown);
        QCOMPARE(console.demo.prompter.errors, QStringList{SqlConsole::StoppedText()});
        QVERIFY(console.window.isVisible());
        QVERIFY(!console.window.btnLeallit->isVisible());
        QVERIFY(console.window.aFuttat->isEnabled());
        console.runKey(Update(5));
        QCOMPARE(console.marks(), QStringLiteral("5"));
        console.window.close();
        QVERIFY(!console.window.isVisible());
    }

    // The editor's text and line numbers are readable: the font is set in points (one set in
    // pixels reaches the editor as size -1, and the lines are 3 pixels high).
    void editorFontIsReadable()
    {
        Console console;
        QVERIFY(console.window.Memo1->lexer()->defaultFont().pointSize() >= 9);
        const long lineHeight = console.window.Memo1->SendScintilla(QsciScintilla::SCI_TEXTHEIGHT, 0L);
        QVERIFY2(lineHeight >= 10, qPrintable(QString::number(lineHeight)));
    }

    void script_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("marks");
        QTest::addColumn<int>("progress");
        QTest::addColumn<bool>("barVisible");
        QTest::addColumn<QString>("error");
        QTest::newRow("three statements") << Update(1) + u'\n' + Update(2) + u'\n' + Update(3) << QStringLiteral("1,2,3")
                                          << 3 << false << QString();
        QTest::newRow("error in the second")
            << Update(1) + QStringLiteral("\nUPDATE nincs SET a=1;\n") + Update(3) << QStringLiteral("1") << 1 << true
            << QStringLiteral("SQL hiba:\r\nno such table: nincs");
        QTest::newRow("missing last semicolon") << Update(1) + u'\n' + Update(2).chopped(1) << QStringLiteral("1")
                                                << 1 << true << IncompleteScriptText(2);
        // A transaction the script leaves open is rolled back, so later edits of the window are
        // not kept in it and lost at close.
        QTest::newRow("open transaction") << QStringLiteral("BEGIN;\n") + Update(1) << QString() << 2 << true
                                          << OpenTransactionText();
        QTest::newRow("semicolon in a literal")
            << QStringLiteral("UPDATE ugyfel SET kapcsolat='a;b', jelolve='I' WHERE ugyfel=4;") << QStringLiteral("4")
            << 1 << false << QString();
    }
    void script()
    {
        QFETCH(QString, text);
        QFETCH(QString, marks);
        QFETCH(int, progress);
        QFETCH(bool, barVisible);
        QFETCH(QString, error);
        Console console;
        console.runKey(text);
        QCOMPARE(console.marks(), marks);
        QCOMPARE(console.window.ProgressBar1->value(), progress);
        QCOMPARE(console.window.ProgressBar1->isVisible(), barVisible);
        QCOMPARE(console.demo.prompter.errors, error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(console.demo.prompter.infos,
                 error.isEmpty() ? QStringList{QStringLiteral("SQL futtatás kész.")} : QStringList());
        QCOMPARE(console.window.Pg1->currentWidget(), console.window.tsSQL);
    }

    // With a selection only the selected statement runs.
    void selectionOnly()
    {
        Console console;
        Tfrm_SQL &w = console.window;
        w.Memo1->setText(Update(1) + u'\n' + Update(2) + u'\n' + Update(3));
        w.Memo1->setSelection(1, 0, 1, int(Update(2).size()));
        w.aFuttat->trigger();
        QCOMPARE(console.marks(), QStringLiteral("2"));
    }

    // Files: code page 1250 with CR LF, the dialogs in DataFolder/SQL, the remembered name kept
    // by aUj and proposed by the next save; a file that cannot be read changes nothing.
    void files()
    {
        FakeFileChooser chooser;
        Console console;
        Tfrm_SQL &w = console.window;
        const QString folder = console.demo.folders.DataFolder + QStringLiteral("/SQL");
        QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/jelol.sql");
        chooser.answer = file;
        w.Memo1->setText(QStringLiteral("UPDATE ugyfel SET cim_varos='Győr';\nSELECT 1;"));
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(ReadBytes(file), ToCp1250(u"UPDATE ugyfel SET cim_varos='Győr';\r\nSELECT 1;\r\n"));
        QCOMPARE(chooser.asked.last().title, QStringLiteral("SQL mentése"));
        QCOMPARE(chooser.asked.last().folder, folder);
        QCOMPARE(chooser.asked.last().defaultSuffix, QStringLiteral("sql"));
        QCOMPARE(w.fileName(), file);

        w.aUj->trigger();
        QVERIFY(w.Memo1->text().isEmpty());
        chooser.answer.clear(); // cancelled
        w.aMent->trigger();
        QCOMPARE(chooser.asked.last().fileName, file);

        chooser.answer = file;
        w.aMegnyit->trigger();
        QCOMPARE(chooser.asked.last().title, QStringLiteral("SQL megnyitás"));
        QCOMPARE(w.Memo1->text(), QStringLiteral("UPDATE ugyfel SET cim_varos='Győr';\nSELECT 1;"));

        chooser.answer = folder + QStringLiteral("/nincs.sql");
        w.aMegnyit->trigger();
        QCOMPARE(console.demo.prompter.errors.size(), 1);
        QCOMPARE(w.fileName(), file);
        QCOMPARE(w.Memo1->text(), QStringLiteral("UPDATE ugyfel SET cim_varos='Győr';\nSELECT 1;"));
    }

    // The client list's command opens the console.
    void openedFromTheClientList()
    {
        DemoWindow demo;
        QVERIFY(demo.w().action(QStringLiteral("aSQL"))->isEnabled());
        QString opened;
        WhenModal([&](QWidget *window) {
            opened = window->objectName() + u'|' + window->windowTitle();
            static_cast<QDialog *>(window)->reject();
        });
        demo.trigger("aSQL");
        QCOMPARE(opened, QStringLiteral("frm_SQL|SQL lekérdezés"));
    }
};

QTEST_MAIN(TestSqlWindow)
#include "tst_sqlwindow.moc"
