#pragma once
// Shared by the benchmarks that run whole programs: one run measured from outside, as a user
// runs it, and the median of several.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kartevo::bench {

struct ProcessFigures {
    double seconds = 0;
    double cpuSeconds = 0; // user and system time of the process
    double peakMegabytes = 0;
    bool ok = false;
};

// Runs a program to its end with the environment env (output thrown away); its wall time, its
// processor time and the peak resident memory the kernel counted for it.
inline ProcessFigures RunProcess(const QString &program, const QStringList &args, const QStringList &env,
                          const QString &folder = {})
{
    std::vector<QByteArray> argBytes{program.toLocal8Bit()};
    for (const QString &arg : args)
        argBytes.push_back(arg.toLocal8Bit());
    std::vector<QByteArray> envBytes;
    for (const QString &entry : env)
        envBytes.push_back(entry.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : argBytes)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (QByteArray &entry : envBytes)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const QByteArray workFolder = folder.toLocal8Bit();

    ProcessFigures figures;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        return figures;
    if (pid == 0) {
        if (!workFolder.isEmpty() && chdir(workFolder.constData()) != 0)
            _exit(127);
        if (FILE *quiet = std::freopen("/dev/null", "w", stdout))
            (void)quiet;
        if (FILE *quiet = std::freopen("/dev/null", "w", stderr))
            (void)quiet;
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return figures;
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    figures.peakMegabytes = double(usage.ru_maxrss) / 1024.0;
    figures.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return figures;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace kartevo::bench
