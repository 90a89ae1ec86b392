// The client list window with 100,000 clients, as a user meets it: opening the window (session,
// list sorted by name, grid), one keystroke of the incremental search, a re-sort by another
// column from the title row, and scrolling a page of the grid rendered offscreen. The resident
// memory of the process is reported as counters.

#include "benchclients.h"
#include "core/clientlist.h"
#include "ui/common/application.h"
#include "ui/main/frm_main.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTableView>

#include <memory>

using namespace kartevo;
using namespace kartevo::bench;

namespace {

// A data folder holding a copy of the 100,000-client database as the default database.
class DataFolder {
public:
    static const Folders *get(benchmark::State &state)
    {
        static std::unique_ptr<DataFolder> folder;
        if (!folder) {
            const QString source = ClientDatabase::path(state);
            if (source.isEmpty())
                return nullptr;
            folder = std::make_unique<DataFolder>(source);
        }
        return &folder->m_folders;
    }
    explicit DataFolder(const QString &source)
    {
        m_folders.ProgramFolder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
        m_folders.DataFolder = m_dir.path();
        m_folders.IniFileName = m_dir.filePath(QStringLiteral("Kartevo.ini"));
        m_folders.WorkArea = QRect(0, 0, 1280, 1024);
        QFile::copy(source, m_dir.filePath(QStringLiteral("Kartevo.sqb")));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("Kartevo.sqb")), QFile::ReadOwner | QFile::WriteOwner);
    }

private:
    QTemporaryDir m_dir;
    Folders m_folders;
};

std::unique_ptr<Tfrm_Main> OpenWindow(const Folders &folders)
{
    auto window = std::make_unique<Tfrm_Main>(folders);
    window->resize(853, 630);
    window->show();
    QApplication::processEvents();
    return window;
}

void OpenClientWindow(benchmark::State &state)
{
    const Folders *folders = DataFolder::get(state);
    if (!folders)
        return;
    const double residentBefore = StatusMegabytes("VmRSS");
    ResetPeakMemory();
    for (auto _ : state) {
        auto window = OpenWindow(*folders);
        benchmark::DoNotOptimize(window->clients()->table().recordCount());
        state.PauseTiming();
        state.counters["rows"] = window->clients()->table().recordCount();
        state.counters["rows_MB"] = double(window->clients()->table().memoryUsage()) / (1024.0 * 1024.0);
        state.counters["VmRSS_open_MB"] = StatusMegabytes("VmRSS");
        window->close();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["VmRSS_before_MB"] = residentBefore;
    state.counters["VmHWM_MB"] = StatusMegabytes("VmHWM");
}

// One character typed into the search box: the list is scanned and the grid follows.
void SearchKeystroke(benchmark::State &state)
{
    const Folders *folders = DataFolder::get(state);
    if (!folders)
        return;
    auto window = OpenWindow(*folders);
    auto *edit = window->findChild<QLineEdit *>(QStringLiteral("Edit1"));
    const QString texts[] = {QStringLiteral("Sz"), QStringLiteral("Szi"), QStringLiteral("Ör"),
                             QStringLiteral("Ördö")};
    int i = 0;
    for (auto _ : state) {
        edit->setText(texts[i++ % 4]);
        benchmark::DoNotOptimize(window->clients()->table().currentRow());
    }
    state.counters["row"] = window->clients()->table().currentRow();
    window->close();
}

// A click on a column title: the list is read again in the other order, the current client kept.
void ResortByTitleClick(benchmark::State &state)
{
    const Folders *folders = DataFolder::get(state);
    if (!folders)
        return;
    auto window = OpenWindow(*folders);
    window->clients()->table().moveTo(50000);
    QHeaderView *titles = window->grid()->horizontalHeader();
    int i = 0;
    for (auto _ : state) {
        Q_EMIT titles->sectionClicked(i++ % 2 == 0 ? 4 : 1); // town, then name
        QApplication::processEvents();
    }
    state.counters["VmRSS_MB"] = StatusMegabytes("VmRSS");
    window->close();
}

// Page Down on the grid and the grid painted into an image, as the screen would show it.
void ScrollPageAndPaint(benchmark::State &state)
{
    const Folders *folders = DataFolder::get(state);
    if (!folders)
        return;
    auto window = OpenWindow(*folders);
    QTableView *grid = window->grid();
    grid->setFocus();
    QImage image(grid->size(), QImage::Format_ARGB32_Premultiplied);
    const int count = window->clients()->table().recordCount();
    for (auto _ : state) {
        QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(grid, &pageDown);
        if (window->clients()->table().currentRow() >= count - 1)
            window->clients()->table().first();
        QPainter painter(&image);
        grid->render(&painter);
    }
    state.counters["visible_rows"] = grid->viewport()->height() / grid->verticalHeader()->defaultSectionSize();
    window->close();
}

} // namespace

BENCHMARK(OpenClientWindow)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SearchKeystroke)->Unit(benchmark::kMicrosecond);
BENCHMARK(ResortByTitleClick)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(ScrollPageAndPaint)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    KartevoApplication app(argc, argv);
    InstallApplicationLook(app);
    Tfrm_Main::SetSplashEnabled(false);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
