#include "ui/printing/printcommands.h"

#include "core/error.h"
#include "core/database.h"
#include "core/session.h"
#include "core/statement.h"
#include "core/tableview.h"
#include "printing/gridprint.h"
#include "printing/printrun.h"
#include "ui/common/messages.h"
#include "ui/printing/frm_csekk.h"
#include "ui/printing/frm_inp.h"
#include "ui/printing/printoutput.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QMainWindow>
#include <QStatusBar>
#include <QProgressDialog>
#include <QTableView>

#include <memory>

namespace kartevo {

namespace {

bool HasSenders(Database &db)
{
    Statement statement(db, QStringLiteral("SELECT 1 FROM tulajdonos LIMIT 1"));
    return statement.step();
}

// The print run's questions, dialogs and outputs with windows and the printer.
class WindowPrintHost final : public PrintHost {
public:
    WindowPrintHost(QWidget *owner, const PrintCommandContext &context) : m_owner(owner), m_context(context) {}

    bool askYesNo(const QString &message, const QString &caption) override
    {
        // The cheque's turn-over question belongs to the cheque dialog.
        QWidget *owner = m_cheque ? static_cast<QWidget *>(m_cheque.get()) : m_owner;
        return CurrentPrompter().askYesNo(message, caption, owner);
    }

    int pickSender(int positionOn) override
    {
        if (!m_context.pickSender)
            throw Error(QStringLiteral("A feladó választása nem érhető el."));
        // An empty list with no word why would leave a new user guessing.
        if (!HasSenders(m_context.session.db()))
            CurrentPrompter().showInfo(QStringLiteral("Még nincs feladó. Vegyen fel egyet a Feladók listában."), m_owner);
        return m_context.pickSender(m_owner, positionOn);
    }

    bool editCheque(QString &amountText, QString &message) override
    {
        const Session &session = m_context.session;
        m_cheque = std::make_unique<Tfrm_Csekk>(m_owner, session.folders().IniFileName, session.settings().FontSize);
        if (m_cheque->exec() != QDialog::Accepted)
            return false;
        amountText = m_cheque->amountText();
        message = m_cheque->message();
        return true;
    }

    bool inputAmount(qint64 &amount) override
    {
        const Session &session = m_context.session;
        return InputSzam(m_owner, QStringLiteral("Összeg"), QStringLiteral("Add meg az összeget"), amount,
                         session.folders().IniFileName, session.settings().FontSize);
    }

    void output(const report::Report &report, bool direct) override
    {
        if (direct)
            PrintReportDirect(report);
        else
            PreviewReport(m_owner, report);
    }

    PreviewChoice previewRun(const QList<report::Report> &jobs) override
    {
        return PreviewRun(m_owner, jobs) ? PreviewChoice::Print : PreviewChoice::Closed;
    }

    // A run over several clients shows how far it got and can be stopped between two jobs.
    bool progress(int done, int total) override
    {
        if (total < 2)
            return true;
        if (!m_progress) {
            m_progress = std::make_unique<QProgressDialog>(QString(), QStringLiteral("Mégsem"), 0, total, m_owner);
            m_progress->setObjectName(QStringLiteral("PrintProgress"));
            m_progress->setWindowTitle(QStringLiteral("Nyomtatás"));
            m_progress->setWindowModality(Qt::WindowModal);
            m_progress->setMinimumDuration(500);
        }
        m_progress->setLabelText(QStringLiteral("Nyomtatás: %1 / %2").arg(qMin(done + 1, total)).arg(total));
        m_progress->setValue(done);
        return !m_progress->wasCanceled();
    }

private:
    std::unique_ptr<QProgressDialog> m_progress;
    QWidget *m_owner;
    const PrintCommandContext &m_context;
    std::unique_ptr<Tfrm_Csekk> m_cheque; // lives until the cheque command ends
};

// The summary of a finished run in the main window's status bar; a marked run also says it in
// a message, as its marks are gone (or kept).
void ReportRun(QWidget *owner, const QString &noun, const RunSummary &summary)
{
    if (summary.pages == 0 && !summary.marked)
        return;
    const QString text = RunSummaryText(noun, summary);
    if (auto *window = qobject_cast<QMainWindow *>(owner ? owner->window() : nullptr))
        window->statusBar()->showMessage(text, 15000);
    if (summary.marked)
        CurrentPrompter().showInfo(text, owner);
}

PrintContext MakeRunContext(const PrintCommandContext &context)
{
    PrintContext run(context.session.db(), context.session.settings());
    run.clients = &context.clients;
    if (context.clients.isOpen() && context.clients.recordCount() > 0)
        run.currentClient = context.clients.asInteger(QStringLiteral("ugyfel"));
    run.scope = context.scope;
    run.filterGroup = context.filterGroup;
    run.sortField = context.sortField;
    run.preview = context.preview;
    return run;
}

Stationery EnvelopeStationery(EnvelopeKind kind)
{
    switch (kind) {
    case EnvelopeKind::C6:
        return Stationery::EnvelopeC6;
    case EnvelopeKind::LA4:
        return Stationery::EnvelopeLA4;
    case EnvelopeKind::LC5:
        break;
    }
    return Stationery::EnvelopeLC5;
}

report::Align GridAlign(const QVariant &alignment)
{
    if (!alignment.isValid())
        return report::Align::Left;
    const int flags = alignment.toInt();
    if (flags & Qt::AlignRight)
        return report::Align::Right;
    if (flags & Qt::AlignHCenter)
        return report::Align::Center;
    return report::Align::Left;
}

} // namespace

void PrintEnvelopes(QWidget *owner, const PrintCommandContext &context, EnvelopeKind kind)
{
    WindowPrintHost host(owner, context);
    const Stationery stationery = EnvelopeStationery(kind);
    ReportRun(owner, StationeryNoun(stationery), RunScopedPrint(host, MakeRunContext(context), stationery));
}

void PrintRegistered(QWidget *owner, const PrintCommandContext &context)
{
    WindowPrintHost host(owner, context);
    ReportRun(owner, StationeryNoun(Stationery::Registered), RunScopedPrint(host, MakeRunContext(context), Stationery::Registered));
}

void PrintCheque(QWidget *owner, const PrintCommandContext &context)
{
    WindowPrintHost host(owner, context);
    ReportRun(owner, ChequeNoun(), RunChequePrint(host, MakeRunContext(context)));
}

void PrintCod(QWidget *owner, const PrintCommandContext &context)
{
    WindowPrintHost host(owner, context);
    ReportRun(owner, CodNoun(), RunCodPrint(host, MakeRunContext(context)));
}

void PrintGrid(QWidget *owner, const QTableView *grid, bool direct, const QString &title, int fontSize,
               const Calibration &calibration)
{
    const QAbstractItemModel *model = grid->model();
    const QHeaderView *header = grid->horizontalHeader();
    QList<GridPrintColumn> columns;
    QList<int> logical;
    const int count = model ? model->columnCount() : 0;
    for (int visual = 0; visual < count; ++visual) {
        const int column = header->logicalIndex(visual);
        if (column < 0)
            continue;
        logical.append(column);
        QVariant alignment = model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole);
        if (!alignment.isValid() && model->rowCount() > 0)
            alignment = model->index(0, column).data(Qt::TextAlignmentRole);
        columns.append({model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(),
                        header->sectionSize(column), GridAlign(alignment)});
    }
    QList<QStringList> rows;
    const int rowCount = model ? model->rowCount() : 0;
    rows.reserve(rowCount);
    for (int row = 0; row < rowCount; ++row) {
        QStringList cells;
        cells.reserve(logical.size());
        for (const int column : std::as_const(logical))
            cells.append(model->index(row, column).data(Qt::DisplayRole).toString());
        rows.append(cells);
    }
    report::Report report = MakeGridPrint(columns, grid->width(), rows, title, fontSize);
    report.applyCalibration(calibration);
    if (direct)
        PrintReportDirect(report);
    else
        PreviewReport(owner, report);
}

void PrintClientList(QWidget *owner, const QTableView *grid, bool preview, const Calibration &calibration)
{
    PrintGrid(owner, grid, !preview, QStringLiteral("Ügyfelek"), 8, calibration);
}

} // namespace kartevo
