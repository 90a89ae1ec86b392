// Rendering C6 envelopes into one PDF, as the batch tool and a run over the whole client list do:
// per envelope a fresh report, its two one-row queries and one page. Goal: 200 a second or more.
// And one cheque for a client whose name SQL made a million characters long: only what fits the
// column is laid out, and the client list printout with that name in a cell. Goal: well under a
// second each.
#include "core/database.h"
#include "printing/gridprint.h"
#include "printing/reportrenderer.h"
#include "printing/stationery.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

using namespace kartevo;

namespace {

constexpr int kEnvelopes = 1000;

// The client and sender tables of the delivered database in a new file, with one sender.
void CreateTables(Database &db, const QString &dbPath)
{
    QFile(dbPath).open(QIODevice::WriteOnly); // an empty file is an empty database
    db.open(dbPath);
    db.exec(QStringLiteral(
        "CREATE TABLE ugyfel (ugyfel INTEGER PRIMARY KEY, ugyfel_nev CHAR(75), kapcsolat CHAR(75), cim_irsz CHAR(8),"
        " cim_varos CHAR(25), cim_cim CHAR(75), ugyfel_nevs CHAR(20), cim_vaross CHAR(20), kapcsolats CHAR(20));"
        "CREATE TABLE tulajdonos (tulajdonos INTEGER PRIMARY KEY, tulajdonos_nev CHAR(75), varoscim CHAR(75), irsz CHAR(8));"
        "INSERT INTO tulajdonos VALUES (1, 'Minta Iroda Kft.', 'Budapest, Kossuth Lajos tér 1.', '1055');"));
}

void C6EnvelopesToPdf(benchmark::State &state)
{
    QTemporaryDir dir;
    Database db;
    CreateTables(db, dir.filePath(QStringLiteral("bench.sqb")));
    db.exec(QStringLiteral("BEGIN;"));
    for (int i = 1; i <= kEnvelopes; ++i) {
        db.exec(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim) "
                               "VALUES (%1, 'Ügyfél és Társa Kft. %1', 'Kapcsolattartó %1', '%2', 'Székesfehérvár', "
                               "'Fő utca %1.')")
                    .arg(i)
                    .arg(1000 + i % 9000));
    }
    db.exec(QStringLiteral("COMMIT;"));

    const QString pdf = dir.filePath(QStringLiteral("envelopes.pdf"));
    for (auto _ : state) {
        report::PdfJobWriter writer(pdf);
        for (int client = 1; client <= kEnvelopes; ++client) {
            report::Report envelope = MakeBoritek(EnvelopeKind::C6);
            SetStationeryData(envelope, db, client, 1);
            writer.add(envelope);
        }
        writer.finish();
        benchmark::DoNotOptimize(writer.pageCount());
    }
    state.counters["envelopes/s"] =
        benchmark::Counter(double(kEnvelopes) * double(state.iterations()), benchmark::Counter::kIsRate);
}

void ChequeWithAMillionCharacterName(benchmark::State &state)
{
    QTemporaryDir dir;
    Database db;
    CreateTables(db, dir.filePath(QStringLiteral("bench.sqb")));
    db.exec(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev, cim_irsz, cim_varos, cim_cim) VALUES "
                           "(1, replace(hex(zeroblob(500000)), '0', 'x'), '1055', 'Budapest', 'Fő utca 1.');"));
    const QString pdf = dir.filePath(QStringLiteral("cheque.pdf"));
    for (auto _ : state) {
        report::Report cheque = MakeCsekk(1500);
        SetStationeryData(cheque, db, 1, 1);
        report::WritePdf(pdf, cheque);
    }
}

// The client list printout with that name in one cell: the renderer lays out only what the
// cell's box can show. Goal: well under a second.
void ClientListWithAMillionCharacterName(benchmark::State &state)
{
    QTemporaryDir dir;
    const QList<GridPrintColumn> columns = {{QStringLiteral("ügyfél"), 230, report::Align::Left},
                                            {QStringLiteral("város"), 120, report::Align::Left}};
    const QList<QStringList> rows = {{QString(1000000, QLatin1Char('x')), QStringLiteral("Budapest")}};
    const QString pdf = dir.filePath(QStringLiteral("list.pdf"));
    for (auto _ : state)
        report::WritePdf(pdf, MakeGridPrint(columns, 400, rows, QStringLiteral("Ügyfelek"), 8));
}

} // namespace

BENCHMARK(C6EnvelopesToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ChequeWithAMillionCharacterName)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ClientListWithAMillionCharacterName)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
