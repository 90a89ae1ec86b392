// Large runs of kartevo-batch measured from outside, as a user runs them: the whole process, its
// wall time and its peak resident memory (wait4), each next to its anchor measured in the same
// run. Every benchmark prints "ratio" (its figure over its goal: 1 or less meets it).
//
// - LogoEnvelopes: 10,000 C6 envelopes with a 339 x 324 JPEG logo. Goals: a PDF of at most
//   25 MB, a peak of at most 150 MB, at most 2.5 x the time glabels-3-batch takes for 1,000
//   envelopes of the same addresses (c6envelope.glabels beside this file).
// - MemoryGrowth: the peak of 30,000 envelopes at most 1.25 x that of 3,000 plus 10 MB.
// - PlainEnvelopes: 100,000 envelopes without a picture, at least 2,500 a second (on an idle
//   machine); "vsLast" is the rate over the last recorded one (README, Benchmarks).
// - ImportProcess: kartevo-batch import of 100,000 lines at most 2 x the sqlite3 shell's
//   .import of the same file, the median of three runs of each, taken in turn.
//
// The machine's load moves the times; the memory and size figures do not move with it.

#include "benchclients.h"
#include "benchprocess.h"

#include <QGuiApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <chrono>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kartevo;
using namespace kartevo::bench;

namespace {

constexpr double kLastEnvelopesPerSecond = 4060; // the figure in README, Benchmarks, before this one

// The files the runs share, made once: a data folder whose settings name the logo, the logo,
// client databases of several sizes cut from the benchmark's 100,000 clients, the merge file of
// the anchor and the CSV file of the import.
class Workbench {
public:
    static Workbench *get(benchmark::State &state)
    {
        static Workbench *bench = nullptr;
        if (!bench) {
            Database *clients = ClientDatabase::get(state);
            if (!clients)
                return nullptr;
            bench = new Workbench(*clients, ClientDatabase::path(state));
        }
        return bench;
    }

    QString batch() const { return m_programs + QStringLiteral("/kartevo-batch"); }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    // The environment of kartevo-batch: its own data folder, with or without the logo.
    QStringList environment(bool logo) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), file(logo ? QStringLiteral("logo-data") : QStringLiteral("plain-data")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env.toStringList();
    }

    // A copy of the first `count` clients in a database of its own (made once).
    QString clients(int count)
    {
        const QString path = file(QStringLiteral("clients-%1.sqb").arg(count));
        if (QFileInfo::exists(path))
            return path;
        QFile::copy(m_clientsPath, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        Database db;
        db.open(path);
        db.exec(QStringLiteral("DELETE FROM ugyfel WHERE ugyfel > %1").arg(count));
        db.exec(QStringLiteral("INSERT OR REPLACE INTO tulajdonos (tulajdonos, tulajdonos_nev, varoscim, irsz) "
                               "VALUES (1, 'Minta Iroda Kft.', 'Budapest, Kossuth Lajos tér 1.', '1055')"));
        return path;
    }

    // The envelopes of every client of the database as kartevo-batch prints them.
    ProcessFigures envelopes(const QString &database, bool logo, const QString &pdf)
    {
        return RunProcess(batch(), {QStringLiteral("--db"), database, QStringLiteral("envelope"), QStringLiteral("c6"),
                                    QStringLiteral("--all"), QStringLiteral("--sender"), QStringLiteral("1"),
                                    QStringLiteral("--pdf"), pdf},
                          environment(logo));
    }

private:
    Workbench(Database &clients, const QString &clientsPath)
        : m_programs(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath()), m_clientsPath(clientsPath)
    {
        makeLogo();
        for (const bool logo : {true, false}) {
            const QString folder = file(logo ? QStringLiteral("logo-data/Kartevo") : QStringLiteral("plain-data/Kartevo"));
            QDir().mkpath(folder);
            QFile ini(folder + QStringLiteral("/Kartevo.ini"));
            if (ini.open(QIODevice::WriteOnly))
                ini.write(logo ? "[Pictures]\r\ni1=" + file(QStringLiteral("logo.jpg")).toLocal8Bit() + "\r\n" : QByteArray());
        }
        // The clients in print order (name), as the anchor's merge file and as the import's file.
        QByteArray merge;
        QByteArray csv;
        Statement rows(clients, QStringLiteral("SELECT ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, csoport "
                                               "FROM ugyfel ORDER BY ugyfel"));
        int row = 0;
        while (rows.step()) {
            QStringList fields;
            for (int i = 0; i < 6; ++i)
                fields.append(rows.column(i).toString());
            const QByteArray line = fields.join(u';').toUtf8() + "\r\n";
            csv += line;
            if (++row <= 1000)
                merge += line;
        }
        write(QStringLiteral("merge.csv"), merge);
        write(QStringLiteral("import.csv"), csv);
        QFile source(QStringLiteral(KARTEVO_BENCH_SOURCE_DIR "/c6envelope.glabels"));
        if (source.open(QIODevice::ReadOnly))
            write(QStringLiteral("c6envelope.glabels"), source.readAll()
                                                           .replace("@MERGE@", file(QStringLiteral("merge.csv")).toUtf8())
                                                           .replace("@LOGO@", file(QStringLiteral("logo.jpg")).toUtf8()));
    }

    void write(const QString &name, const QByteArray &bytes)
    {
        QFile out(file(name));
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
    }

    // A 339 x 324 logo with the detail of a photograph, saved as a JPEG of about 50 KB.
    void makeLogo()
    {
        QImage logo(339, 324, QImage::Format_RGB32);
        QRandomGenerator random(339324);
        for (int y = 0; y < logo.height(); ++y) {
            for (int x = 0; x < logo.width(); ++x) {
                const int noise = int(random.bounded(48));
                logo.setPixel(x, y, qRgb((x * 255 / 339 + noise) % 256, (y * 255 / 324 + noise) % 256, (x + y + noise) % 256));
            }
        }
        QPainter painter(&logo);
        painter.setFont(QFont(QStringLiteral("Liberation Sans"), 40, QFont::Bold));
        painter.drawText(logo.rect(), Qt::AlignCenter, QStringLiteral("Minta\nIroda"));
        painter.end();
        logo.save(file(QStringLiteral("logo.jpg")), "JPEG", 85);
    }

    QTemporaryDir m_dir;
    QString m_programs;
    QString m_clientsPath;
};

void LogoEnvelopes(benchmark::State &state)
{
    Workbench *bench = Workbench::get(state);
    if (!bench)
        return;
    const QString glabels = QStandardPaths::findExecutable(QStringLiteral("glabels-3-batch"));
    if (glabels.isEmpty()) {
        state.SkipWithError("glabels-3-batch is not installed (Debian package glabels)");
        return;
    }
    const QString database = bench->clients(10000);
    const QString pdf = bench->file(QStringLiteral("logo-10000.pdf"));
    for (auto _ : state) {
        const ProcessFigures run = bench->envelopes(database, true, pdf);
        const ProcessFigures anchor =
            RunProcess(glabels, {QStringLiteral("-o"), bench->file(QStringLiteral("glabels-1000.pdf")),
                                 bench->file(QStringLiteral("c6envelope.glabels"))},
                       QProcessEnvironment::systemEnvironment().toStringList(), bench->file(QString()));
        if (!run.ok || !anchor.ok) {
            state.SkipWithError(run.ok ? "glabels-3-batch failed" : "kartevo-batch failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        const double pdfMegabytes = double(QFileInfo(pdf).size()) / 1e6;
        state.counters["pdf_MB"] = pdfMegabytes;
        state.counters["peak_MB"] = run.peakMegabytes;
        state.counters["s"] = run.seconds;
        state.counters["glabels1000_s"] = anchor.seconds;
        state.counters["pdf_ratio"] = pdfMegabytes / 25.0;
        state.counters["peak_ratio"] = run.peakMegabytes / 150.0;
        state.counters["time_ratio"] = run.seconds / (2.5 * anchor.seconds);
    }
}

void MemoryGrowth(benchmark::State &state)
{
    Workbench *bench = Workbench::get(state);
    if (!bench)
        return;
    const QString small = bench->clients(3000);
    const QString large = bench->clients(30000);
    for (auto _ : state) {
        const ProcessFigures few = bench->envelopes(small, true, bench->file(QStringLiteral("logo-3000.pdf")));
        const ProcessFigures many = bench->envelopes(large, true, bench->file(QStringLiteral("logo-30000.pdf")));
        if (!few.ok || !many.ok) {
            state.SkipWithError("kartevo-batch failed");
            return;
        }
        state.SetIterationTime(few.seconds + many.seconds);
        state.counters["peak3000_MB"] = few.peakMegabytes;
        state.counters["peak30000_MB"] = many.peakMegabytes;
        state.counters["ratio"] = many.peakMegabytes / (1.25 * few.peakMegabytes + 10.0);
    }
}

void PlainEnvelopes(benchmark::State &state)
{
    Workbench *bench = Workbench::get(state);
    if (!bench)
        return;
    const QString database = bench->clients(kClients);
    for (auto _ : state) {
        const ProcessFigures run = bench->envelopes(database, false, bench->file(QStringLiteral("plain.pdf")));
        if (!run.ok) {
            state.SkipWithError("kartevo-batch failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        const double rate = kClients / run.seconds;
        state.counters["envelopes/s"] = rate;
        state.counters["peak_MB"] = run.peakMegabytes;
        state.counters["ratio"] = 2500.0 / rate;
        state.counters["vsLast"] = rate / kLastEnvelopesPerSecond;
    }
}

void ImportProcess(benchmark::State &state)
{
    Workbench *bench = Workbench::get(state);
    if (!bench)
        return;
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty()) {
        state.SkipWithError("the sqlite3 shell is not installed");
        return;
    }
    const QString csv = bench->file(QStringLiteral("import.csv"));
    const QString empty = bench->clients(0);
    for (auto _ : state) {
        std::vector<double> ours;
        std::vector<double> anchor;
        for (int round = 0; round < 3; ++round) {
            const QString target = bench->file(QStringLiteral("import-%1.sqb").arg(round));
            QFile::remove(target);
            QFile::copy(empty, target);
            const ProcessFigures run = RunProcess(bench->batch(), {QStringLiteral("--db"), target, QStringLiteral("import"), csv},
                                                  bench->environment(false));
            QFile::remove(target);
            QFile::copy(empty, target);
            const ProcessFigures shellRun =
                RunProcess(shell, {target, QStringLiteral(".separator ;"), QStringLiteral(".import ") + csv + QStringLiteral(" csv_import")},
                           QProcessEnvironment::systemEnvironment().toStringList());
            if (!run.ok || !shellRun.ok) {
                state.SkipWithError(run.ok ? "sqlite3 .import failed" : "kartevo-batch import failed");
                return;
            }
            ours.push_back(run.seconds);
            anchor.push_back(shellRun.seconds);
        }
        state.SetIterationTime(Median(ours));
        state.counters["s"] = Median(ours);
        state.counters["sqlite3_s"] = Median(anchor);
        state.counters["ratio"] = Median(ours) / (2.0 * Median(anchor));
    }
}

} // namespace

BENCHMARK(LogoEnvelopes)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);
BENCHMARK(MemoryGrowth)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);
BENCHMARK(PlainEnvelopes)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);
BENCHMARK(ImportProcess)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

int main(int argc, char **argv)
{
    // The logo is drawn with QPainter, which needs a font database.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
