// The CSV import of 100,000 clients into an empty client table, next to the sqlite3 shell's own
// .import of the same file into a new table, measured in the same run.

#include "benchclients.h"
#include "core/helpers.h"
#include "exchange/csvimport.h"

#include <QProcess>
#include <QStandardPaths>

using namespace kartevo;
using namespace kartevo::bench;

namespace {

// The 100,000 clients of the benchmark database as a UTF-8 CSV file, written once.
QString CsvFile(benchmark::State &state)
{
    static QTemporaryDir dir;
    static QString file;
    if (!file.isEmpty())
        return file;
    Database *db = ClientDatabase::get(state);
    if (!db)
        return {};
    QByteArray bytes;
    Statement rows(*db, QStringLiteral("SELECT ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, csoport FROM ugyfel"));
    while (rows.step()) {
        QStringList fields;
        for (int i = 0; i < 6; ++i)
            fields.append(rows.column(i).toString());
        bytes += fields.join(u';').toUtf8() + "\r\n";
    }
    file = dir.filePath(QStringLiteral("ugyfelek.csv"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        state.SkipWithError("cannot write the CSV file");
    return file;
}

// A new upgraded database without clients, in a folder of its own.
QString EmptyDatabaseCopy(QTemporaryDir &dir)
{
    const QString programFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    const QString path = dir.filePath(QStringLiteral("Kartevo.sqb"));
    QFile::copy(InstallationFile(programFolder, QStringLiteral("Kartevo.sqb")), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    Database db;
    db.open(path);
    UpgradeSchema(db, InstallationFile(programFolder, QStringLiteral("cimke.sql")));
    return path;
}

void ImportCsv(benchmark::State &state)
{
    const QString csv = CsvFile(state);
    if (csv.isEmpty())
        return;
    int clients = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        Database db;
        db.open(EmptyDatabaseCopy(dir));
        state.ResumeTiming();
        const ImportText text = ReadImportFile(csv);
        clients = ImportClients(db, SplitTextLines(text.text), u';', false).clients;
    }
    state.counters["clients"] = clients;
}

void Sqlite3ShellImport(benchmark::State &state)
{
    const QString csv = CsvFile(state);
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (csv.isEmpty())
        return;
    if (shell.isEmpty()) {
        state.SkipWithError("the sqlite3 shell is not installed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString path = EmptyDatabaseCopy(dir);
        state.ResumeTiming();
        QProcess process;
        process.start(shell, {path, QStringLiteral(".separator ;"), QStringLiteral(".import ") + csv + QStringLiteral(" csv_import")});
        if (!process.waitForFinished(120000) || process.exitCode() != 0)
            state.SkipWithError("sqlite3 .import failed");
    }
}

} // namespace

BENCHMARK(ImportCsv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Sqlite3ShellImport)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
