// Exporting the client list of 100,000 clients as delimited text and as an HTML page, and
// 65,000 of them as a worksheet (a worksheet holds at most 65,535 rows).

#include "benchclients.h"
#include "core/query.h"
#include "core/tableview.h"
#include "exchange/biffexport.h"
#include "exchange/delimitedexport.h"
#include "exchange/htmlexport.h"

#include <QDateTime>

using namespace kartevo;
using namespace kartevo::bench;

namespace {

void Report(benchmark::State &state, const QString &file, int records)
{
    state.counters["records"] = records;
    state.counters["file_MB"] = double(QFileInfo(file).size()) / (1024.0 * 1024.0);
}

void ExportText(benchmark::State &state)
{
    Database *db = ClientDatabase::get(state);
    if (!db)
        return;
    TableView clients(*db, QStringLiteral("ugyfel"));
    clients.setOrder(QStringLiteral("ugyfel_nevs"));
    clients.open();
    const QList<ExportField> fields = ExportFieldsOf(clients);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ugyfelek.csv"));
    int records = 0;
    for (auto _ : state)
        records = ExportToFile(file, [&](QIODevice &out) { return WriteDelimited(out, clients, fields, {}); }).records;
    Report(state, file, records);
}

void ExportWorksheet(benchmark::State &state)
{
    Database *db = ClientDatabase::get(state);
    if (!db)
        return;
    Query clients(*db);
    clients.setSql(QStringLiteral("SELECT * FROM ugyfel ORDER BY ugyfel_nevs LIMIT 65000"));
    clients.open();
    const QList<ExportField> fields = ExportFieldsOf(clients);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ugyfelek.xls"));
    int records = 0;
    for (auto _ : state)
        records = ExportToFile(file, [&](QIODevice &out) { return WriteWorksheet(out, clients, fields); }).records;
    Report(state, file, records);
}

void ExportHtml(benchmark::State &state)
{
    Database *db = ClientDatabase::get(state);
    if (!db)
        return;
    TableView clients(*db, QStringLiteral("ugyfel"));
    clients.setOrder(QStringLiteral("ugyfel_nevs"));
    clients.open();
    QList<HtmlColumn> columns;
    for (const char *field : {"jelolve", "ugyfel_nev", "kapcsolat", "cim_irsz", "cim_varos", "cim_cim", "csoport"})
        columns.append({QString::fromLatin1(field), 100, FieldAlign::Left, clients.fieldIndex(QString::fromLatin1(field))});
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ugyfelek.htm"));
    int records = 0;
    for (auto _ : state)
        records = ExportToFile(file, [&](QIODevice &out) {
            return WriteHtmlPage(out, clients, QStringLiteral("Ügyfelek"), columns, 744, QDateTime::currentDateTime());
        }).records;
    Report(state, file, records);
}

} // namespace

BENCHMARK(ExportText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExportWorksheet)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ExportHtml)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
