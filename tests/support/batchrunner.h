#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>

namespace kartevo::test {

// What one run of kartevo-batch gave back.
struct BatchResult {
    int code;
    QString out;
    QString err;
};

// Starts the kartevo-batch of this build as a user runs it, with XDG_DATA_HOME at dataHome (so
// the data folder is dataHome/Kartevo) and on the offscreen platform. childSetup, when given,
// runs in the child before the tool starts (limits, signal dispositions).
inline void StartBatch(QProcess &process, const QStringList &args, const QString &dataHome,
                       const std::function<void()> &childSetup = {})
{
    if (childSetup)
        process.setChildProcessModifier(childSetup);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(KARTEVO_BIN_DIR "/kartevo-batch"), args);
}

// Runs kartevo-batch as StartBatch starts it and waits for it. A run that does not end within a
// minute gives the code -1.
inline BatchResult RunBatch(const QStringList &args, const QString &dataHome,
                            const std::function<void()> &childSetup = {})
{
    QProcess process;
    StartBatch(process, args, dataHome, childSetup);
    if (!process.waitForFinished(60000))
        return {-1, {}, {}};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace kartevo::test
