// The Debian package as a maintainer ships it: what it holds, lintian's verdict on it, and the
// manual page of kartevo-batch against the tool's own help.
#include "batchrunner.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo::test;

namespace {

struct Run {
    int code;
    QString out;
};

Run run(const QString &program, const QStringList &args, int timeoutMs = 240000)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs))
        return {-1, QStringLiteral("%1 did not end").arg(program)};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

// The command words of kartevo-batch's help: the first word of each synopsis line.
QStringList helpCommands()
{
    const BatchResult help = RunBatch({QStringLiteral("--help")}, QDir::tempPath());
    QStringList words;
    bool inCommands = false;
    for (const QString &line : help.out.split(QLatin1Char('\n'))) {
        if (line == QLatin1String("Commands:")) {
            inCommands = true;
            continue;
        }
        if (inCommands && line.isEmpty())
            break;
        static const QRegularExpression synopsis(QStringLiteral("^  ([a-z][a-z-]*)"));
        if (const auto match = synopsis.match(line); inCommands && match.hasMatch())
            words.append(match.captured(1));
    }
    return words;
}

// The command words the manual page describes: the first word after each .TP in COMMANDS.
QStringList manualCommands()
{
    const QString page = ReadText(QStringLiteral(KARTEVO_SOURCE_DIR "/docs/man/kartevo-batch.1"));
    const QString section = page.section(QStringLiteral(".SH COMMANDS"), 1).section(QStringLiteral("\n.SH "), 0, 0);
    QStringList words;
    const QStringList lines = section.split(QLatin1Char('\n'));
    for (int i = 0; i + 1 < lines.size(); ++i) {
        if (lines.at(i) != QLatin1String(".TP"))
            continue;
        static const QRegularExpression first(QStringLiteral("^\\.[BIR]*\\s+\"?([a-z][a-z\\\\-]*)"));
        if (const auto match = first.match(lines.at(i + 1)); match.hasMatch())
            words.append(match.captured(1).remove(QLatin1Char('\\')));
    }
    return words;
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void manualPageDescribesEveryCommand()
    {
        const QStringList help = helpCommands();
        QVERIFY2(help.size() >= 10, qPrintable(help.join(QLatin1Char(' '))));
        const QStringList manual = manualCommands();
        QStringList missing;
        QStringList extra;
        for (const QString &word : help) {
            if (!manual.contains(word))
                missing.append(word);
        }
        for (const QString &word : manual) {
            if (!help.contains(word))
                extra.append(word);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("docs/man/kartevo-batch.1 lacks: ") + missing.join(u' ')));
        QVERIFY2(extra.isEmpty(), qPrintable(QStringLiteral("docs/man/kartevo-batch.1 describes unknown: ") + extra.join(u' ')));
    }

    void packageHoldsItsFilesAndPassesLintian()
    {
        QTemporaryDir out;
        QVERIFY(out.isValid());
        const Run pack = run(QStringLiteral(KARTEVO_CPACK_COMMAND),
                             {QStringLiteral("--config"), QStringLiteral(KARTEVO_BUILD_DIR "/CPackConfig.cmake"),
                              QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out.path()});
        QVERIFY2(pack.code == 0, qPrintable(pack.out));
        const QStringList debs = QDir(out.path()).entryList({QStringLiteral("*.deb")});
        QCOMPARE(debs.size(), 1);
        const QString deb = out.filePath(debs.first());

        const Run contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--contents"), deb});
        QCOMPARE(contents.code, 0);
        for (const char *path :
             {"./usr/bin/kartevo", "./usr/bin/kartevo-batch", "./usr/share/kartevo/Kartevo.sqb",
              "./usr/share/kartevo/Lang/English.ini", "./usr/share/kartevo/Help/index.htm",
              "./usr/share/applications/kartevo.desktop", "./usr/share/icons/hicolor/scalable/apps/kartevo.svg",
              "./usr/share/doc/kartevo/copyright", "./usr/share/doc/kartevo/changelog.gz",
              "./usr/share/doc/kartevo/README.md.gz", "./usr/share/man/man1/kartevo.1.gz",
              "./usr/share/man/man1/kartevo-batch.1.gz"})
            QVERIFY2(contents.out.contains(QLatin1String(path) + QLatin1Char('\n')), path);

        const Run control = run(QStringLiteral("dpkg-deb"), {QStringLiteral("--field"), deb, QStringLiteral("Depends")});
        QCOMPARE(control.code, 0);
        for (const char *package : {"libqt6widgets6", "libqscintilla2-qt6-15", "libsqlite3-0", "libgcc-s1", "fonts-liberation2",
                                    "libzip4", "libfreexl1"})
            QVERIFY2(control.out.contains(QLatin1String(package)), qPrintable(control.out));

        const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
        if (lintian.isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL("lintian is missing (scripts/install-deps.sh installs it)");
            QSKIP("lintian is not installed: scripts/install-deps.sh installs it");
        }
        // Run as root (CI), lintian says so on a line of its own; only its findings count.
        const Run verdict = run(lintian, {QStringLiteral("--fail-on"), QStringLiteral("error,warning"), deb});
        QStringList findings;
        for (const QString &line : verdict.out.split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("E: ")) || line.startsWith(QLatin1String("W: ")))
                findings.append(line);
        }
        QVERIFY2(findings.isEmpty(), qPrintable(findings.join(QLatin1Char('\n'))));
        QVERIFY2(verdict.code == 0, qPrintable(verdict.out));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
