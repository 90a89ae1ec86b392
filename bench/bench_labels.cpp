// Label sheets into one PDF, as the label printing window and kartevo-batch labels make them:
// the label list gathered from the client table, the label sheet report and its PDF. 1,000 and
// 10,000 labels (477 pages of the default sheet). The cost must grow linearly with the labels
// (10,000 within about ten times the time of 1,000) and the peak memory stay nearly flat; goal:
// 1,000 labels well under half a second.
#include "benchclients.h"
#include "core/settings.h"
#include "labels/labels.h"
#include "printing/reportrenderer.h"

#include <QGuiApplication>

using namespace kartevo;

namespace {

void LabelsToPdf(benchmark::State &state)
{
    Database *db = bench::ClientDatabase::get(state);
    if (!db)
        return;
    const int count = int(state.range(0));
    // The first clients by key: a marked run or a group of that size.
    db->exec(QStringLiteral("UPDATE ugyfel SET jelolve=CASE WHEN ugyfel<=%1 THEN 'I' ELSE 'N' END").arg(count));
    LabelSelection marked;
    marked.onlyMarked = true;
    const LabelLayout layout = LabelLayoutOf(TBeall(), 96);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));

    const double residentBefore = bench::StatusMegabytes("VmRSS");
    bench::ResetPeakMemory();
    int pages = 0;
    for (auto _ : state) {
        const QList<Label> labels = GatherLabels(*db, marked, 1);
        report::PdfJobWriter writer(pdf);
        writer.add(MakeCimke(labels, layout));
        writer.finish();
        pages = writer.pageCount();
    }
    state.counters["labels"] = count;
    state.counters["pages"] = pages;
    state.counters["PDF_MB"] = double(QFileInfo(pdf).size()) / (1024.0 * 1024.0);
    state.counters["VmRSS_before_MB"] = residentBefore;
    state.counters["VmHWM_MB"] = bench::StatusMegabytes("VmHWM");
    state.counters["labels/s"] = benchmark::Counter(double(count) * double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(LabelsToPdf)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

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
