#include "batch/batchcommon.h"

#include "core/clientlist.h"
#include "core/database.h"
#include "core/error.h"
#include "core/folders.h"
#include "core/helpers.h"
#include "core/outputfile.h"
#include "core/session.h"
#include "core/statement.h"
#include "core/tableview.h"
#include "exchange/biffexport.h"
#include "exchange/csvimport.h"
#include "exchange/delimitedexport.h"
#include "exchange/htmlexport.h"
#include "labels/labels.h"
#include "masterdata/addresscheck.h"
#include "printing/amountwords.h"
#include "printing/calibrationsheet.h"
#include "printing/gridprint.h"
#include "printing/printrun.h"
#include "printing/reportrenderer.h"
#include "tools/sqlconsole.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QTextStream>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace kartevo::batch {

namespace {

// Answers the print run from the command line: every question is "Yes", the sender is given,
// the amounts come from the options, and every job is handed to the sink.
class BatchPrintHost final : public PrintHost {
public:
    std::function<void(const report::Report &)> sink;
    QString chequeAmount;
    QString chequeMessage;
    qint64 codAmount = 0;
    int jobs = 0;

    bool askYesNo(const QString &, const QString &caption) override
    {
        if (caption == QStringLiteral("Folytatás"))
            turnedOver = true;
        return true;
    }
    bool turnedOver = false;
    int pickSender(int) override
    {
        throw Error(QStringLiteral("A feladó nem létezik: %1 (--sender KEY adja meg)").arg(missingSender));
    }
    bool editCheque(QString &amountText, QString &message) override
    {
        amountText = chequeAmount;
        message = chequeMessage;
        return true;
    }
    bool inputAmount(qint64 &amount) override
    {
        amount = codAmount;
        return true;
    }
    void output(const report::Report &report, bool) override
    {
        ++jobs;
        sink(report);
    }
    // The marks of a marked run go only once the PDF is complete and in place.
    void deliver() override
    {
        if (deliverJobs)
            deliverJobs();
    }
    std::function<void()> deliverJobs;
    // --preview: the whole run goes into the preview's file and nothing is printed.
    PreviewChoice previewRun(const QList<report::Report> &reports) override
    {
        for (const report::Report &report : reports)
            previewSink(report);
        return PreviewChoice::Closed;
    }
    std::function<void(const report::Report &)> previewSink;

    int missingSender = 0;
};

// The sender of a run: --sender KEY (an existing sender), or the Sender setting; never the
// sender list.
TBeall batchSettings(Session &session, const QString &command, const PrintOptions &options,
                     const std::optional<PrintOffset> &offset, BatchPrintHost &host)
{
    TBeall settings = session.settings();
    settings.calibration = runCalibration(settings, offset);
    if (options.has("sender")) {
        const qint64 sender = keyOption(command, options, "sender");
        if (sender < 0 || sender > std::numeric_limits<int>::max()
            || !rowExists(session.db(), QStringLiteral("SELECT 1 FROM tulajdonos WHERE tulajdonos=:v"), sender))
            throw Error(QStringLiteral("Nincs ilyen feladó: %1").arg(options.value("sender")));
        settings.Sender = int(sender);
    }
    settings.Only1Sender = true;
    host.missingSender = settings.Sender;
    return settings;
}

// --preview: the run's jobs, every front and then every back, into one PDF; no mark changes.
// Prints what was written and returns the exit code.
int writePreview(BatchPrintHost &host, PrintContext &print, const QString &pdf,
                 const std::function<RunSummary(PrintHost &, const PrintContext &)> &run)
{
    report::PdfJobWriter writer(pdf);
    print.preview = true;
    host.previewSink = [&writer](const report::Report &report) { writer.add(report); };
    run(host, print);
    writer.finish();
    if (writer.jobCount() == 0)
        out() << "Nothing to preview; " << pdf << " was not written.\n";
    else
        out() << writer.jobCount() << " print job(s), " << writer.pageCount() << " page(s) previewed in " << pdf
              << "; nothing printed, the marks stay\n";
    return ExitOk;
}

void reportWritten(int jobs, int pages, const QString &file)
{
    if (jobs == 0)
        out() << "Nothing to print; " << file << " was not written.\n";
    else
        out() << jobs << " print job(s), " << pages << " page(s) written to " << file << '\n';
}

// The scope of a run from --client KEY, --all or --marked (with --group and --sort); the client
// list of --all and --marked is opened into clients.
PrintContext scopeContext(Session &session, const QString &command, const PrintOptions &options,
                          const TBeall &settings, std::unique_ptr<TableView> &clients)
{
    PrintContext print{session.db(), settings};
    print.sortField = sortOption(command, options);
    print.filterGroup = groupOption(session.db(), command, options);
    if (options.has("client")) {
        print.scope = scope::Current;
        print.currentClient = clientOption(session.db(), command, options);
    } else {
        if (options.has("marked"))
            requireMarkedClients(session.db(), print.filterGroup);
        clients = openClientList(session.db(), print.filterGroup, print.sortField);
        print.clients = clients.get();
        print.scope = options.has("all") ? scope::Everyone : scope::Marked;
    }
    return print;
}

} // namespace

int runScoped(Context &context, const QString &command, Stationery stationery)
{
    const PrintOptions options = parsePrintOptions(command, context.args,
                                                   {"client", "group", "sort", "sender", "pdf", "offset"},
                                                   {"all", "marked", "preview"});
    checkScopeOptions(command, options);
    const std::optional<PrintOffset> offset = offsetOption(command, options);
    const QString pdf = requiredOption(command, options, "pdf");

    const auto session = openSession(context);
    BatchPrintHost host;
    const TBeall settings = batchSettings(*session, command, options, offset, host);

    std::unique_ptr<TableView> clients;
    PrintContext print = scopeContext(*session, command, options, settings, clients);
    if (options.has("preview")) {
        return writePreview(host, print, pdf, [stationery](PrintHost &target, const PrintContext &run) {
            return RunScopedPrint(target, run, stationery);
        });
    }

    report::PdfJobWriter writer(pdf);
    host.sink = [&writer](const report::Report &report) { writer.add(report); };
    host.deliverJobs = [&writer] { writer.finish(); };
    const RunSummary summary = RunScopedPrint(host, print, stationery);
    writer.finish();
    reportWritten(writer.jobCount(), writer.pageCount(), pdf);
    out() << RunSummaryText(StationeryNoun(stationery), summary) << '\n';
    return ExitOk;
}

int runEnvelope(Context &context)
{
    if (context.args.isEmpty())
        throw UsageError(QStringLiteral("envelope: the size is needed (c6, la4 or lc5)"));
    const QString size = context.args.takeFirst().toLower();
    Stationery stationery;
    if (size == QLatin1String("c6"))
        stationery = Stationery::EnvelopeC6;
    else if (size == QLatin1String("la4") || size == QLatin1String("dl"))
        stationery = Stationery::EnvelopeLA4;
    else if (size == QLatin1String("lc5"))
        stationery = Stationery::EnvelopeLC5;
    else
        throw UsageError(QStringLiteral("envelope: unknown size %1 (c6, la4 or lc5)").arg(size));
    return runScoped(context, QStringLiteral("envelope"), stationery);
}

int runRegistered(Context &context)
{
    return runScoped(context, QStringLiteral("registered"), Stationery::Registered);
}

// A sheet of address labels with the label settings of the configuration file. The marks are
// only read: a label run leaves them as they are.
int runLabels(Context &context)
{
    const QString command = QStringLiteral("labels");
    const PrintOptions options = parsePrintOptions(command, context.args,
                                                   {"client", "group", "sort", "start", "pdf", "offset"}, {"all", "marked"});
    checkScopeOptions(command, options);
    const std::optional<PrintOffset> offset = offsetOption(command, options);
    if (options.has("client"))
        keyOption(command, options, "client");
    std::optional<qint64> start;
    if (options.has("start")) {
        start = keyOption(command, options, "start");
        if (*start < 1 || *start > kMaxStartPosition)
            throw UsageError(QStringLiteral("labels: --start takes a label position from 1 to %1").arg(kMaxStartPosition));
    }
    const QString pdf = requiredOption(command, options, "pdf");
    const QString sort = sortOption(command, options);

    const auto session = openSession(context);
    LabelSelection selection;
    selection.sortField = sort;
    if (options.has("client")) {
        selection.client = clientOption(session->db(), command, options);
    } else {
        selection.onlyMarked = options.has("marked");
        selection.filterGroup = groupOption(session->db(), command, options);
        if (selection.onlyMarked)
            requireMarkedClients(session->db(), selection.filterGroup);
    }
    const TBeall &settings = session->settings();
    const QList<Label> labels = GatherLabels(session->db(), selection, int(start.value_or(settings.LabelCount)));
    // No screen here: the designer's pixels are taken at 96 per inch, the designer's own scale.
    report::Report report = MakeCimke(labels, LabelLayoutOf(settings, 96));
    report.applyCalibration(runCalibration(settings, offset));
    report::PdfJobWriter writer(pdf);
    writer.add(report);
    writer.finish();
    out() << labels.size() << " label(s), " << writer.pageCount() << " page(s) written to " << pdf << '\n';
    return ExitOk;
}

qint64 amountOption(const QString &command, const PrintOptions &options)
{
    if (!options.has("amount"))
        throw UsageError(QStringLiteral("%1: --amount N is needed").arg(command));
    bool ok = false;
    const qint64 amount = options.value("amount").toLongLong(&ok);
    if (!ok || amount < 0 || amount > 2147483647)
        throw UsageError(QStringLiteral("%1: --amount takes a whole number from 0 to 2147483647").arg(command));
    return amount;
}

int runCod(Context &context)
{
    const QString command = QStringLiteral("cod");
    const PrintOptions options = parsePrintOptions(command, context.args,
                                                   {"client", "group", "sort", "amount", "sender", "pdf", "offset"},
                                                   {"all", "marked", "preview"});
    checkScopeOptions(command, options);
    const std::optional<PrintOffset> offset = offsetOption(command, options);
    const qint64 amount = amountOption(command, options);
    const QString pdf = requiredOption(command, options, "pdf");

    const auto session = openSession(context);
    BatchPrintHost host;
    const TBeall settings = batchSettings(*session, command, options, offset, host);
    host.codAmount = amount;
    std::unique_ptr<TableView> clients;
    PrintContext print = scopeContext(*session, command, options, settings, clients);
    if (options.has("preview"))
        return writePreview(host, print, pdf, RunCodPrint);
    report::PdfJobWriter writer(pdf);
    host.sink = [&writer](const report::Report &report) { writer.add(report); };
    host.deliverJobs = [&writer] { writer.finish(); };
    const RunSummary summary = RunCodPrint(host, print);
    writer.finish();
    reportWritten(writer.jobCount(), writer.pageCount(), pdf);
    out() << RunSummaryText(CodNoun(), summary) << '\n';
    return ExitOk;
}

int runCheque(Context &context)
{
    const QString command = QStringLiteral("cheque");
    const PrintOptions options = parsePrintOptions(
        command, context.args, {"client", "group", "sort", "amount", "message", "sender", "pdf", "back-pdf", "offset"},
        {"all", "marked", "preview"});
    checkScopeOptions(command, options);
    const std::optional<PrintOffset> offset = offsetOption(command, options);
    const qint64 amount = amountOption(command, options);
    const QString front = requiredOption(command, options, "pdf");
    const bool preview = options.has("preview");
    if (preview && options.has("back-pdf"))
        throw UsageError(QStringLiteral("cheque: --preview writes both sides into --pdf; --back-pdf is not used"));
    const QString back = preview ? QString() : requiredOption(command, options, "back-pdf");
    if (!preview && SameFile(front, back))
        throw Error(QStringLiteral("Az elő- és a hátoldal nem kerülhet ugyanabba a fájlba: %1").arg(back));

    const auto session = openSession(context);
    BatchPrintHost host;
    const TBeall settings = batchSettings(*session, command, options, offset, host);
    host.chequeAmount = QString::number(amount);
    host.chequeMessage = options.value("message");
    std::unique_ptr<TableView> clients;
    PrintContext print = scopeContext(*session, command, options, settings, clients);
    if (preview)
        return writePreview(host, print, front, RunChequePrint);
    report::PdfJobWriter frontWriter(front);
    report::PdfJobWriter backWriter(back);
    // The turn-over question parts the fronts from the backs.
    host.sink = [&](const report::Report &report) { (host.turnedOver ? backWriter : frontWriter).add(report); };
    host.deliverJobs = [&] {
        frontWriter.finish();
        backWriter.finish();
    };
    const RunSummary summary = RunChequePrint(host, print);
    frontWriter.finish();
    backWriter.finish();
    reportWritten(frontWriter.jobCount(), frontWriter.pageCount(), front);
    reportWritten(backWriter.jobCount(), backWriter.pageCount(), back);
    out() << RunSummaryText(ChequeNoun(), summary) << '\n';
    return ExitOk;
}

int runList(Context &context)
{
    const QString command = QStringLiteral("list");
    const PrintOptions options = parsePrintOptions(command, context.args, {"group", "sort", "pdf", "offset"}, {});
    const std::optional<PrintOffset> offset = offsetOption(command, options);
    const QString pdf = requiredOption(command, options, "pdf");
    const QString sort = sortOption(command, options);
    const auto session = openSession(context);
    const std::optional<QString> group = groupOption(session->db(), command, options);
    const auto clients = openClientList(session->db(), group, sort);

    QList<GridPrintColumn> columns;
    QList<int> fields;
    int gridWidth = 0;
    for (const auto &[field, column] : clientGridColumns()) {
        columns.append(column);
        fields.append(clients->fieldIndex(field));
        gridWidth += column.width;
    }
    gridWidth += 44; // the grid's row indicator and scroll bar
    QList<QStringList> rows;
    rows.reserve(clients->recordCount());
    for (int row = 0; row < clients->recordCount(); ++row) {
        QStringList cells;
        for (const int field : std::as_const(fields))
            cells.append(field < 0 ? QString() : clients->cell(row, field).toString());
        rows.append(cells);
    }
    report::Report report = MakeGridPrint(columns, gridWidth, rows, QStringLiteral("Ügyfelek"), 8);
    report.applyCalibration(runCalibration(session->settings(), offset));
    report::PdfJobWriter writer(pdf);
    writer.add(report);
    writer.finish();
    reportWritten(writer.jobCount(), writer.pageCount(), pdf);
    return ExitOk;
}

// The calibration sheet of a family, always without an offset.
int runCalibrationSheet(Context &context)
{
    const QString command = QStringLiteral("calibration");
    const PrintOptions options = parsePrintOptions(command, context.args, {"pdf"}, {});
    QStringList names;
    for (const PrintFamilyInfo &info : PrintFamilies())
        names.append(info.batchName.toString());
    if (options.words.size() != 1)
        throw UsageError(QStringLiteral("calibration: one family is needed (%1)").arg(names.join(QStringLiteral(", "))));
    const std::optional<PrintFamily> family = PrintFamilyByBatchName(options.words.first());
    if (!family)
        throw UsageError(QStringLiteral("calibration: unknown family %1 (%2)")
                             .arg(options.words.first(), names.join(QStringLiteral(", "))));
    const QString pdf = requiredOption(command, options, "pdf");
    report::PdfJobWriter writer(pdf);
    writer.add(MakeCalibrationSheet(*family));
    writer.finish();
    reportWritten(writer.jobCount(), writer.pageCount(), pdf);
    return ExitOk;
}

} // namespace kartevo::batch
