// The client list with 100,000 clients: reading the table in two orders, and the search of
// the list's search box. Peak resident memory after opening is reported as a counter.

#include "benchclients.h"
#include "core/tableview.h"

using namespace kartevo;
using namespace kartevo::bench;

namespace {

void OpenOrderedByName(benchmark::State &state)
{
    Database *db = ClientDatabase::get(state);
    if (!db)
        return;
    const double residentBefore = StatusMegabytes("VmRSS");
    ResetPeakMemory();
    TableView clients(*db, QStringLiteral("ugyfel"));
    clients.setOrder(QStringLiteral("ugyfel_nevs"));
    for (auto _ : state) {
        clients.open();
        benchmark::DoNotOptimize(clients.recordCount());
    }
    state.counters["rows"] = clients.recordCount();
    state.counters["rows_MB"] = double(clients.memoryUsage()) / (1024.0 * 1024.0);
    state.counters["VmHWM_MB"] = StatusMegabytes("VmHWM");
    state.counters["VmRSS_before_MB"] = residentBefore;
}

void ReopenOrderedByTown(benchmark::State &state)
{
    Database *db = ClientDatabase::get(state);
    if (!db)
        return;
    TableView clients(*db, QStringLiteral("ugyfel"));
    clients.setOrder(QStringLiteral("ugyfel_nevs"));
    clients.open();
    clients.moveTo(kClients / 2);
    for (auto _ : state) {
        clients.setOrder(QStringLiteral("cim_vaross"));
        clients.open();
        benchmark::DoNotOptimize(clients.recordCount());
    }
    state.counters["rows"] = clients.recordCount();
}

void Locate(benchmark::State &state, const QString &prefix, bool expected)
{
    Database *db = ClientDatabase::get(state);
    if (!db)
        return;
    TableView clients(*db, QStringLiteral("ugyfel"));
    clients.setOrder(QStringLiteral("ugyfel_nevs"));
    clients.open();
    for (auto _ : state) {
        const bool found = clients.locate(QStringLiteral("ugyfel_nevs"), prefix);
        if (found != expected) {
            state.SkipWithError("unexpected search result");
            break;
        }
    }
    state.counters["row"] = clients.currentRow();
}

void LocateExisting(benchmark::State &state)
{
    Locate(state, QStringLiteral("NAGY "), true);
}

void LocateMissing(benchmark::State &state)
{
    Locate(state, QStringLiteral("QX"), false);
}

} // namespace

BENCHMARK(OpenOrderedByName)->Unit(benchmark::kMillisecond);
BENCHMARK(ReopenOrderedByTown)->Unit(benchmark::kMillisecond);
BENCHMARK(LocateExisting)->Unit(benchmark::kMicrosecond);
BENCHMARK(LocateMissing)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
