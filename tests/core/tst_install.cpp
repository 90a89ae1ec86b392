// What `cmake --install` (and so the Debian package) puts where: the programs in bin/, the
// installation files in share/kartevo, the menu entry and the icon; and the installed
// kartevo-batch finds the shipped database and copies it at the first start.
#include "batchrunner.h"
#include "testfiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo::test;

class TestInstall : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(KARTEVO_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(KARTEVO_BUILD_DIR), QStringLiteral("--prefix"),
                       m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
    }

    void files_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *path :
             {"bin/kartevo", "bin/kartevo-batch", "share/kartevo/Kartevo.sqb", "share/kartevo/cimke.sql",
              "share/kartevo/programok.csv", "share/kartevo/Lang/English.ini", "share/kartevo/Help/index.htm",
              "share/kartevo/Help/ujdonsag.htm", "share/applications/kartevo.desktop",
              "share/icons/hicolor/scalable/apps/kartevo.svg"})
            QTest::newRow(path) << QString::fromLatin1(path);
    }
    void files()
    {
        QFETCH(QString, path);
        const QFileInfo info(m_prefix.filePath(path));
        QVERIFY2(info.isFile(), qPrintable(path));
        QVERIFY(info.size() > 0);
        if (path.startsWith(QLatin1String("bin/")))
            QVERIFY(info.isExecutable());
    }

    // The menu entry starts the installed program with the installed icon.
    void desktopEntry()
    {
        const QString text = ReadText(m_prefix.filePath(QStringLiteral("share/applications/kartevo.desktop")));
        const QStringList lines = text.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), QStringLiteral("[Desktop Entry]"));
        for (const char *line : {"Type=Application", "Name=Kartevo", "Exec=kartevo", "Icon=kartevo", "Terminal=false"})
            QVERIFY2(lines.contains(QLatin1String(line)), line);
        const QString icon = ReadText(m_prefix.filePath(QStringLiteral("share/icons/hicolor/scalable/apps/kartevo.svg")));
        QVERIFY(icon.startsWith(QStringLiteral("<svg ")));
        QVERIFY(icon.contains(QStringLiteral("width=\"256\" height=\"256\"")));
    }

    // The installed tool's first start copies the shipped database into an empty data folder.
    void firstStartOfTheInstalledTool()
    {
        QTemporaryDir home;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(m_prefix.filePath(QStringLiteral("bin/kartevo-batch")), {QStringLiteral("info")});
        QVERIFY(process.waitForFinished(60000));
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
        const QString database = home.path() + QStringLiteral("/Kartevo/Kartevo.sqb");
        QVERIFY(out.contains(QStringLiteral("Program folder: ") + m_prefix.filePath(QStringLiteral("bin"))));
        QVERIFY(out.contains(QStringLiteral("Database: ") + database));
        QVERIFY(out.contains(QStringLiteral("Table ugyfel: 0 rows")));
        QVERIFY(QFileInfo(database).isFile());
    }

private:
    QTemporaryDir m_prefix;
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
