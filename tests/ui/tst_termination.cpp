// The desktop program asked to stop by a signal closes its main window as its close command
// does: the settings and the window's geometry are written, the database is closed, and the
// program ends normally instead of being killed.
#include "core/inifile.h"
#include "ui/common/termination.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace kartevo;

namespace {

// A main window that notes what happened, in order.
class Window final : public QWidget {
public:
    explicit Window(QStringList &log) : m_log(log) {}

protected:
    void closeEvent(QCloseEvent *event) override
    {
        m_log << QStringLiteral("window closed");
        event->accept();
    }

private:
    QStringList &m_log;
};

// The handling of a signal in this process: SIG_DFL, SIG_IGN or a handler.
sighandler_t Disposition(int signal)
{
    struct sigaction action = {};
    ::sigaction(signal, nullptr, &action);
    return action.sa_handler;
}

} // namespace

class TestTermination : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        // Whoever runs the tests may have left SIGINT or SIGHUP ignored (a background job,
        // nohup); the program started below would inherit that.
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
    }

    void signalClosesTheMainWindow_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP (the terminal closed)") << int(SIGHUP);
    }
    void signalClosesTheMainWindow()
    {
        QFETCH(int, signal);
        // A data folder with the delivered database and no configuration file yet.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString home = dir.filePath(QStringLiteral("xdg"));
        const QString data = home + QStringLiteral("/Kartevo");
        QVERIFY(QDir().mkpath(data));
        const QString database = data + QStringLiteral("/Kartevo.sqb");
        QVERIFY(QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/Kartevo.sqb"), database));
        QVERIFY(QFile::setPermissions(database, QFile::ReadOwner | QFile::WriteOwner));
        const QString ini = data + QStringLiteral("/Kartevo.ini");

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(KARTEVO_BIN_DIR "/kartevo"));
        QVERIFY2(process.waitForStarted(30000), qPrintable(process.errorString()));

        // It runs once it has made its folders in the data folder and opened the database.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(data + QStringLiteral("/Images")), 60000);
        QCOMPARE(process.state(), QProcess::Running);
        QVERIFY(!QFileInfo::exists(ini));

        QCOMPARE(::kill(pid_t(process.processId()), signal), 0);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);

        // Written as the close command writes it: the settings and the window's section.
        QVERIFY(QFileInfo::exists(ini));
        const IniFile file(ini);
        QVERIFY(file.sections().contains(QStringLiteral("Screen")));
        QVERIFY(file.valueExists(QStringLiteral("Database"), QStringLiteral("Path")));
        for (const char *key : {"Left", "Top", "Width", "Height"})
            QVERIFY2(file.valueExists(QStringLiteral("frm_Main"), QLatin1String(key)), key);
        QVERIFY(file.readInteger(QStringLiteral("frm_Main"), QStringLiteral("Width"), 0) > 0);
        QVERIFY(file.readInteger(QStringLiteral("frm_Main"), QStringLiteral("Height"), 0) > 0);
        // The database was closed, not left behind mid-write.
        QVERIFY(!QFileInfo::exists(database + QStringLiteral("-journal")));
        QVERIFY(!QFileInfo::exists(database + QStringLiteral("-wal")));
    }

    // A signal that arrives while a command waits in a modal dialog cancels the dialog; the
    // window closes once the command has returned.
    void signalCancelsTheOpenDialogFirst()
    {
        QStringList log;
        TerminationGuard guard;
        Window window(log);
        guard.watch(&window, 0); // no QApplication::exec() here
        window.show();

        QDialog dialog(&window);
        QTimer::singleShot(0, &dialog, [] { ::raise(SIGTERM); });
        const int result = dialog.exec();
        log << QStringLiteral("command ended");
        QCOMPARE(result, int(QDialog::Rejected));
        QTRY_VERIFY_WITH_TIMEOUT(log.contains(QStringLiteral("window closed")), 30000);
        QCOMPARE(log, QStringList({QStringLiteral("command ended"), QStringLiteral("window closed")}));
        QVERIFY(!window.isVisible());
    }

    // A signal at any stage of the program's start-up (main(): guard, window built, watched,
    // shown, event loop) waits until the event loop runs and then closes the window once, also
    // when it came while an error box of the start-up was open (that box is cancelled).
    void signalAtAnyStageOfTheStartUp_data()
    {
        QTest::addColumn<int>("stage");
        QTest::newRow("before the window is built") << 0;
        QTest::newRow("while an error box of the start-up is open") << 1;
        QTest::newRow("after the window is built") << 2;
        QTest::newRow("before the window shows") << 3;
        QTest::newRow("before the event loop runs") << 4;
    }
    void signalAtAnyStageOfTheStartUp()
    {
        QFETCH(int, stage);
        QStringList log;
        TerminationGuard guard;
        if (stage == 0)
            ::raise(SIGTERM);
        Window window(log);
        if (stage == 1) {
            QDialog box(&window);
            QTimer::singleShot(0, &box, [] { ::raise(SIGTERM); });
            QCOMPARE(box.exec(), int(QDialog::Rejected));
        }
        if (stage == 2)
            ::raise(SIGTERM);
        guard.watch(&window); // closed from the loop below, as from QApplication::exec()
        if (stage == 3)
            ::raise(SIGTERM);
        window.show();
        if (stage == 4)
            ::raise(SIGTERM);
        QVERIFY(log.isEmpty());

        QEventLoop loop;
        QTimer poll;
        connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!log.isEmpty())
                loop.quit();
        });
        poll.start(10);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
        QCOMPARE(log, QStringList{QStringLiteral("window closed")});
        QVERIFY(!window.isVisible());
    }

    // SIGINT and SIGHUP ignored when the program started (nohup, a background job) stay
    // ignored; SIGTERM is taken all the same. The guard's end gives each signal back its former
    // handling.
    void ignoredSignalStaysIgnored_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("taken");
        QTest::newRow("SIGHUP (nohup)") << int(SIGHUP) << false;
        QTest::newRow("SIGINT (background job)") << int(SIGINT) << false;
        QTest::newRow("SIGTERM") << int(SIGTERM) << true;
    }
    void ignoredSignalStaysIgnored()
    {
        QFETCH(int, signal);
        QFETCH(bool, taken);
        ::signal(signal, SIG_IGN);
        {
            QStringList log;
            TerminationGuard guard;
            Window window(log);
            guard.watch(&window, 0);
            window.show();
            QCOMPARE(Disposition(signal) != SIG_IGN, taken);
            if (taken) {
                ::raise(signal);
                QTRY_COMPARE_WITH_TIMEOUT(log, QStringList{QStringLiteral("window closed")}, 30000);
            }
        }
        QVERIFY(Disposition(signal) == SIG_IGN);
        ::signal(signal, SIG_DFL);
    }

    // The handlers are gone with the guard: a second guard can be made.
    void guardCanBeMadeAgain()
    {
        QStringList log;
        {
            TerminationGuard first;
        }
        TerminationGuard second;
        Window window(log);
        second.watch(&window, 0);
        window.show();
        ::raise(SIGINT);
        QTRY_COMPARE_WITH_TIMEOUT(log, QStringList{QStringLiteral("window closed")}, 30000);
    }
};

QTEST_MAIN(TestTermination)
#include "tst_termination.moc"
