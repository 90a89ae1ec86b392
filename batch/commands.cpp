#include "batch/commands.h"

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

QTextStream &out()
{
    static QTextStream stream(stdout);
    stream.setEncoding(QStringConverter::Utf8);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    stream.setEncoding(QStringConverter::Utf8);
    return stream;
}

// What every command gets: its own arguments and the global options.
struct Context {
    QStringList args;
    QString databaseOverride;
    QString languageOverride; // --lang: the language file of this run instead of the Lang setting
};

struct Command {
    const char *name;
    const char *synopsis;
    const char *description;
    bool needsGui;
    std::function<int(Context &)> run;
};

class UsageError : public Error {
public:
    using Error::Error;
};

// Opens the session exactly as the desktop program does, without the folders it creates for
// its windows. Throws Error with "Nem létező adatbázis: PATH" when there is no database file.
std::unique_ptr<Session> openSession(const Context &context)
{
    auto session = std::make_unique<Session>(ComputeFolders(QCoreApplication::applicationDirPath()));
    Session::Options options;
    options.createFolders = false;
    options.databaseOverride = context.databaseOverride;
    if (session->open(options) == Session::OpenResult::MissingDatabase)
        throw Error(Session::MissingDatabaseText(session->databasePath()));
    // Offsets of the configuration file that could not be used are told once, as a warning.
    if (const QString problems = TakeCalibrationProblems(session->settings().calibration); !problems.isEmpty()) {
        err() << problems << '\n';
        err().flush();
    }
    // Reports are translated from the Lang setting like in the program; nothing is saved.
    if (!context.languageOverride.isEmpty())
        session->settings().Lang = context.languageOverride;
    return session;
}

int runWords(Context &context)
{
    if (context.args.size() != 1)
        throw UsageError(QStringLiteral("words: one amount is needed"));
    bool ok = false;
    const double amount = context.args.first().toDouble(&ok);
    if (!ok || !std::isfinite(amount))
        throw UsageError(QStringLiteral("words: not a number: %1").arg(context.args.first()));
    if (std::fabs(amount) > 2147483647.0)
        throw UsageError(QStringLiteral("words: the amount must be between -2147483647 and 2147483647"));
    out() << SzamBetuvel(amount) << '\n';
    return ExitOk;
}

int runInfo(Context &context)
{
    if (!context.args.isEmpty())
        throw UsageError(QStringLiteral("info: no arguments are taken"));
    const auto session = openSession(context);
    const Folders &folders = session->folders();
    out() << "Program folder: " << folders.ProgramFolder << '\n'
          << "Data folder: " << folders.DataFolder << '\n'
          << "Configuration file: " << folders.IniFileName << '\n'
          << "Database: " << session->databasePath() << '\n';
    Database &db = session->db();
    for (const QString &table : db.tableNames()) {
        Statement count(db, QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table));
        count.step();
        out() << "Table " << table << ": " << count.column(0).toLongLong() << " rows\n";
    }
    return ExitOk;
}

// Runs an SQL file as the console runs a script: statement by statement, each committed by
// itself, stopping at the first failing one.
int runSql(Context &context)
{
    if (context.args.size() != 1)
        throw UsageError(QStringLiteral("sql: one SQL file is taken"));
    const QString text = ReadSqlFile(context.args.first());
    const auto session = openSession(context);
    SqlConsole console(session->db());
    const SqlConsole::Outcome outcome = console.runScript(text);
    QString message = outcome.message;
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!outcome.ok)
        throw Error(message);
    out() << message << '\n';
    return ExitOk;
}

// ---------------------------------------------------------------------------------------------
// Printing to PDF
// ---------------------------------------------------------------------------------------------

// Options of the printing commands: "--name value" pairs and "--flag" switches.
struct PrintOptions {
    QHash<QString, QString> values;
    QSet<QString> flags;
    QStringList words;

    QString value(const char *name) const { return values.value(QLatin1String(name)); }
    bool has(const char *name) const
    {
        return values.contains(QLatin1String(name)) || flags.contains(QLatin1String(name));
    }
};

PrintOptions parsePrintOptions(const QString &command, const QStringList &args,
                               std::initializer_list<const char *> valued,
                               std::initializer_list<const char *> switches)
{
    PrintOptions options;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--"))) {
            options.words.append(arg);
            continue;
        }
        const QString name = arg.mid(2);
        bool known = false;
        for (const char *v : valued) {
            if (name == QLatin1String(v)) {
                if (i + 1 >= args.size())
                    throw UsageError(QStringLiteral("%1: %2 needs a value").arg(command, arg));
                options.values.insert(name, args.at(++i));
                known = true;
            }
        }
        for (const char *f : switches) {
            if (name == QLatin1String(f)) {
                options.flags.insert(name);
                known = true;
            }
        }
        if (!known)
            throw UsageError(QStringLiteral("%1: unknown option %2").arg(command, arg));
    }
    return options;
}

qint64 keyOption(const QString &command, const PrintOptions &options, const char *name)
{
    bool ok = false;
    const qint64 key = options.value(name).toLongLong(&ok);
    if (!ok)
        throw UsageError(QStringLiteral("%1: --%2 needs a whole number, not \"%3\"")
                             .arg(command, QLatin1String(name), options.value(name)));
    return key;
}

QString requiredOption(const QString &command, const PrintOptions &options, const char *name)
{
    const QString value = options.value(name);
    if (value.isEmpty())
        throw UsageError(QStringLiteral("%1: --%2 FILE is needed").arg(command, QLatin1String(name)));
    return value;
}

QString sortOption(const QString &command, const PrintOptions &options)
{
    const QString sort = options.has("sort") ? options.value("sort") : QStringLiteral("ugyfel_nev");
    static const QStringList columns = {
        QStringLiteral("ugyfel"),    QStringLiteral("ugyfel_nev"), QStringLiteral("kapcsolat"),
        QStringLiteral("cim_irsz"),  QStringLiteral("cim_varos"),  QStringLiteral("cim_cim"),
        QStringLiteral("jelolve"),   QStringLiteral("csoport")};
    if (!columns.contains(sort))
        throw UsageError(QStringLiteral("%1: --sort takes one of %2").arg(command, columns.join(QStringLiteral(", "))));
    return sort;
}

// --offset DX,DY: the printer alignment of this run, for every page it prints, instead of the
// offsets of the configuration file.
std::optional<PrintOffset> offsetOption(const QString &command, const PrintOptions &options)
{
    if (!options.has("offset"))
        return std::nullopt;
    const std::optional<PrintOffset> offset = ParsePrintOffset(options.value("offset"));
    if (!offset)
        throw UsageError(QStringLiteral("%1: --offset takes DX,DY in millimetres, each from -20 to 20 (for example 1.5,-2)")
                             .arg(command));
    return offset;
}

// The printer alignment of a run: the configuration file's, or --offset for every family.
Calibration runCalibration(const TBeall &settings, const std::optional<PrintOffset> &offset)
{
    Calibration calibration = settings.calibration;
    if (offset)
        calibration.setAll(*offset);
    return calibration;
}

bool rowExists(Database &db, const QString &sql, const QVariant &value)
{
    Statement statement(db, sql);
    statement.bind(QStringLiteral(":v"), value);
    return statement.step();
}

// A --client KEY names an existing client; a form for nobody is never printed.
qint64 clientOption(Database &db, const QString &command, const PrintOptions &options)
{
    const qint64 key = keyOption(command, options, "client");
    if (!rowExists(db, QStringLiteral("SELECT 1 FROM ugyfel WHERE ugyfel=:v"), key))
        throw Error(QStringLiteral("Nincs ilyen ügyfél: %1").arg(options.value("client")));
    return key;
}

// A --group NAME names a group of the group list or of some client; a mistyped name must not
// make a marked run clear the marks of everybody while printing nothing.
std::optional<QString> groupOption(Database &db, const QString &command, const PrintOptions &options)
{
    if (!options.has("group"))
        return std::nullopt;
    const QString group = options.value("group");
    if (!rowExists(db, QStringLiteral("SELECT 1 FROM csoport WHERE csoport=:v"), group)
        && !rowExists(db, QStringLiteral("SELECT 1 FROM ugyfel WHERE csoport=:v"), group))
        throw UsageError(QStringLiteral("%1: nincs ilyen csoport: %2").arg(command, group));
    return group;
}

// The client list as the main window loads it: every client, or those of one group, in the
// order of the sort column's sort key.
std::unique_ptr<TableView> openClientList(Database &db, const std::optional<QString> &group, const QString &sort)
{
    auto clients = std::make_unique<TableView>(db, QStringLiteral("ugyfel"));
    if (group)
        clients->setFilter(QStringLiteral("csoport=") + SqlQuoted(*group));
    clients->setOrder(ClientList::OrderColumn(sort));
    clients->open();
    return clients;
}

// Answers the print run from the command line: every question is "Yes", the sender is given,
// the amounts come from the options, and every job is handed to the sink.
class BatchPrintHost final : public PrintHost {
public:
    std::function<void(const report::Report &)> sink;
    QString chequeAmount;
    QString chequeMessage;
    qint64 codAmount = 0;
    int jobs = 0;

    bool askYesNo(const QString &, const QString &) override { return true; }
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

void reportWritten(int jobs, int pages, const QString &file)
{
    if (jobs == 0)
        out() << "Nothing to print; " << file << " was not written.\n";
    else
        out() << jobs << " print job(s), " << pages << " page(s) written to " << file << '\n';
}

// The clients of a scoped command: exactly one of --client, --all and --marked; --group only
// with the last two.
void checkScopeOptions(const QString &command, const PrintOptions &options)
{
    const int scopes = int(options.has("client")) + int(options.has("all")) + int(options.has("marked"));
    if (scopes != 1)
        throw UsageError(QStringLiteral("%1: give exactly one of --client KEY, --all, --marked").arg(command));
    if (options.has("group") && options.has("client"))
        throw UsageError(QStringLiteral("%1: --group filters --all and --marked only").arg(command));
}

int runScoped(Context &context, const QString &command, Stationery stationery)
{
    const PrintOptions options = parsePrintOptions(command, context.args,
                                                   {"client", "group", "sort", "sender", "pdf", "offset"},
                                                   {"all", "marked"});
    checkScopeOptions(command, options);
    const std::optional<PrintOffset> offset = offsetOption(command, options);
    const QString pdf = requiredOption(command, options, "pdf");
    const QString sort = sortOption(command, options);

    const auto session = openSession(context);
    const std::optional<QString> group = groupOption(session->db(), command, options);
    BatchPrintHost host;
    const TBeall settings = batchSettings(*session, command, options, offset, host);

    std::unique_ptr<TableView> clients;
    PrintContext print{session->db(), settings};
    print.sortField = sort;
    print.filterGroup = group;
    if (options.has("client")) {
        print.scope = scope::Current;
        print.currentClient = clientOption(session->db(), command, options);
    } else {
        clients = openClientList(session->db(), group, sort);
        print.clients = clients.get();
        print.scope = options.has("all") ? scope::Everyone : scope::Marked;
    }

    report::PdfJobWriter writer(pdf);
    host.sink = [&writer](const report::Report &report) { writer.add(report); };
    host.deliverJobs = [&writer] { writer.finish(); };
    RunScopedPrint(host, print, stationery);
    writer.finish();
    reportWritten(writer.jobCount(), writer.pageCount(), pdf);
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
    const PrintOptions options = parsePrintOptions(command, context.args, {"client", "amount", "sender", "pdf", "offset"}, {});
    if (!options.has("client"))
        throw UsageError(QStringLiteral("cod: --client KEY is needed"));
    const std::optional<PrintOffset> offset = offsetOption(command, options);
    keyOption(command, options, "client");
    const qint64 amount = amountOption(command, options);
    const QString pdf = requiredOption(command, options, "pdf");

    const auto session = openSession(context);
    const qint64 client = clientOption(session->db(), command, options);
    BatchPrintHost host;
    const TBeall settings = batchSettings(*session, command, options, offset, host);
    host.codAmount = amount;
    PrintContext print{session->db(), settings};
    print.currentClient = client;
    report::PdfJobWriter writer(pdf);
    host.sink = [&writer](const report::Report &report) { writer.add(report); };
    RunCodPrint(host, print);
    writer.finish();
    reportWritten(writer.jobCount(), writer.pageCount(), pdf);
    return ExitOk;
}

int runCheque(Context &context)
{
    const QString command = QStringLiteral("cheque");
    const PrintOptions options = parsePrintOptions(
        command, context.args, {"client", "amount", "message", "sender", "pdf", "back-pdf", "offset"}, {});
    if (!options.has("client"))
        throw UsageError(QStringLiteral("cheque: --client KEY is needed"));
    const std::optional<PrintOffset> offset = offsetOption(command, options);
    keyOption(command, options, "client");
    const qint64 amount = amountOption(command, options);
    const QString front = requiredOption(command, options, "pdf");
    const QString back = requiredOption(command, options, "back-pdf");
    if (SameFile(front, back))
        throw Error(QStringLiteral("Az elő- és a hátoldal nem kerülhet ugyanabba a fájlba: %1").arg(back));

    const auto session = openSession(context);
    const qint64 client = clientOption(session->db(), command, options);
    BatchPrintHost host;
    const TBeall settings = batchSettings(*session, command, options, offset, host);
    host.chequeAmount = QString::number(amount);
    host.chequeMessage = options.value("message");
    PrintContext print{session->db(), settings};
    print.currentClient = client;
    report::PdfJobWriter frontWriter(front);
    report::PdfJobWriter backWriter(back);
    host.sink = [&](const report::Report &report) {
        (host.jobs == 1 ? frontWriter : backWriter).add(report);
    };
    RunChequePrint(host, print);
    frontWriter.finish();
    backWriter.finish();
    reportWritten(frontWriter.jobCount(), frontWriter.pageCount(), front);
    reportWritten(backWriter.jobCount(), backWriter.pageCount(), back);
    return ExitOk;
}

// The client grid of the main window as the list printout sees it: its columns with their
// on-screen widths at the window's first size.
const QList<std::pair<QString, GridPrintColumn>> &clientGridColumns()
{
    static const QList<std::pair<QString, GridPrintColumn>> columns = {
        {QStringLiteral("jelolve"), {QStringLiteral("nyom."), 55, report::Align::Left}},
        {QStringLiteral("ugyfel_nev"), {QStringLiteral("ügyfél"), 230, report::Align::Left}},
        {QStringLiteral("kapcsolat"), {QStringLiteral("kapcsolattartó"), 150, report::Align::Left}},
        {QStringLiteral("cim_irsz"), {QStringLiteral("irsz."), 55, report::Align::Left}},
        {QStringLiteral("cim_varos"), {QStringLiteral("város"), 120, report::Align::Left}},
        {QStringLiteral("cim_cim"), {QStringLiteral("cím"), 200, report::Align::Left}},
        {QStringLiteral("csoport"), {QStringLiteral("csoport"), 110, report::Align::Left}},
    };
    return columns;
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

// ---------------------------------------------------------------------------------------------
// Import and export
// ---------------------------------------------------------------------------------------------

QChar separatorOption(const QString &command, const PrintOptions &options)
{
    const QString name = options.has("separator") ? options.value("separator") : QStringLiteral("semicolon");
    static const QList<std::pair<QString, QChar>> separators = {
        {QStringLiteral("semicolon"), u';'}, {QStringLiteral("comma"), u','},
        {QStringLiteral("tab"), u'\t'}, {QStringLiteral("bar"), u'|'}};
    for (const auto &[word, separator] : separators) {
        if (name == word)
            return separator;
    }
    throw UsageError(QStringLiteral("%1: --separator takes semicolon, comma, tab or bar").arg(command));
}

int runImport(Context &context)
{
    const QString command = QStringLiteral("import");
    const PrintOptions options = parsePrintOptions(command, context.args, {"separator"}, {"header"});
    if (options.words.size() != 1)
        throw UsageError(QStringLiteral("import: one FILE is needed"));
    const QChar separator = separatorOption(command, options);
    const auto session = openSession(context);
    const ImportText text = ReadImportFile(options.words.first());
    try {
        const ImportSummary summary =
            ImportClients(session->db(), SplitTextLines(text.text), separator, options.has("header"));
        out() << summary.clients << " client(s) and " << summary.groups << " group(s) added (" << text.encoding
              << ").\n";
    } catch (const ImportError &e) {
        out() << e.kept.clients << " client(s) and " << e.kept.groups << " group(s) added before line " << e.line
              << ".\n";
        throw;
    }
    return ExitOk;
}

int runExport(Context &context)
{
    const QString command = QStringLiteral("export");
    const PrintOptions options = parsePrintOptions(command, context.args, {"separator", "quote"},
                                                   {"no-header", "field-names"});
    if (options.words.size() != 1)
        throw UsageError(QStringLiteral("export: one FILE is needed"));
    const QString file = options.words.first();
    DelimitedOptions delimited;
    delimited.separator = separatorOption(command, options);
    const QString quote = options.has("quote") ? options.value("quote") : QStringLiteral("none");
    if (quote == QLatin1String("double"))
        delimited.quote = QStringLiteral("\"");
    else if (quote == QLatin1String("single"))
        delimited.quote = QStringLiteral("'");
    else if (quote != QLatin1String("none"))
        throw UsageError(QStringLiteral("export: --quote takes none, double or single"));
    delimited.noHeader = options.has("no-header");
    delimited.fieldNames = options.has("field-names");

    const auto session = openSession(context);
    const auto clients = openClientList(session->db(), std::nullopt, QStringLiteral("ugyfel_nev"));
    ExportResult result;
    if (IsHtmlName(file)) {
        QList<HtmlColumn> columns;
        int gridWidth = 44; // the grid's row indicator and scroll bar
        for (const auto &[field, column] : clientGridColumns()) {
            columns.append({column.title, column.width, FieldAlign::Left, clients->fieldIndex(field)});
            gridWidth += column.width;
        }
        result = ExportToFile(file, [&](QIODevice &device) {
            return WriteHtmlPage(device, *clients, QStringLiteral("Ügyfelek"), columns, gridWidth,
                                 QDateTime::currentDateTime());
        }, true);
    } else {
        const QList<ExportField> fields = ExportFieldsOf(*clients, ClientList::ColumnTitles());
        result = ExportToFile(file, [&](QIODevice &device) {
            return IsWorksheetName(file) ? WriteWorksheet(device, *clients, fields)
                                         : WriteDelimited(device, *clients, fields, delimited);
        });
    }
    out() << result.records << " client(s) written to " << file << '\n';
    if (result.unmappable > 0)
        err() << UnmappableNote(result.unmappable) << '\n';
    return ExitOk;
}

// Address check
// ---------------------------------------------------------------------------------------------

int runCheck(Context &context)
{
    const PrintOptions options =
        parsePrintOptions(QStringLiteral("check"), context.args, {}, {"duplicates-only", "addresses-only"});
    if (!options.words.isEmpty())
        throw UsageError(QStringLiteral("check: takes no other argument"));
    if (options.has("duplicates-only") && options.has("addresses-only"))
        throw UsageError(QStringLiteral("check: --duplicates-only and --addresses-only exclude each other"));
    const CheckScope scope = options.has("duplicates-only") ? CheckScope::DuplicatesOnly
                             : options.has("addresses-only") ? CheckScope::AddressesOnly
                                                             : CheckScope::Everything;
    const auto session = openSession(context);
    for (const AddressFinding &finding : CheckAddresses(session->db(), scope)) {
        out() << finding.client << '\t' << FindingCodeWord(finding.code) << '\t' << FindingText(finding) << '\t'
              << (finding.other == 0 ? QString() : QString::number(finding.other)) << '\n';
    }
    return ExitOk;
}

const std::vector<Command> &commands()
{
    static const std::vector<Command> table = {
        {"words", "words AMOUNT",
         "Prints the amount in Hungarian words, as on cheques and cash-on-delivery forms.", false,
         runWords},
        {"info", "info",
         "Prints the program folder, data folder, configuration file, database path and the "
         "number of rows of each table.",
         false, runInfo},
        {"envelope", "envelope c6|la4|lc5 (--client KEY | --all | --marked) [--group NAME] [--sort FIELD] [--sender KEY] [--offset DX,DY] --pdf FILE",
         "Prints envelopes into one PDF, one page per client in print order. --all takes the client "
         "list (of one group with --group) in the order of --sort (default ugyfel_nev); --marked the "
         "marked clients, and clears every mark afterwards. The sender is --sender or the Sender "
         "setting.",
         true, runEnvelope},
        {"registered", "registered (--client KEY | --all | --marked) [--group NAME] [--sort FIELD] [--sender KEY] [--offset DX,DY] --pdf FILE",
         "Prints registered-mail forms, with the same choice of clients as envelope.", true, runRegistered},
        {"cod", "cod --client KEY --amount N [--sender KEY] [--offset DX,DY] --pdf FILE",
         "Prints the cash-on-delivery form of one client.", true, runCod},
        {"cheque", "cheque --client KEY --amount N [--message TEXT] [--sender KEY] [--offset DX,DY] --pdf FRONT --back-pdf BACK",
         "Prints both sides of a postal money order: the front into FRONT, the back (message and "
         "sender) into BACK.",
         true, runCheque},
        {"labels", "labels (--client KEY | --all | --marked) [--group NAME] [--sort FIELD] [--start N] [--offset DX,DY] --pdf FILE",
         "Prints address labels on A4 sheets into one PDF, with the sheet, font and line places of the "
         "Label section of the configuration file; the first address goes on label N of the sheet "
         "(default: the Count setting). The clients are chosen as for envelope; the marks stay as "
         "they are.",
         true, runLabels},
        {"list", "list [--group NAME] [--sort FIELD] [--offset DX,DY] --pdf FILE",
         "Prints the client list (of one group with --group) as the Nyomtat command does.", true, runList},
        {"calibration", "calibration c6|la4|lc5|registered|cheque-front|cheque-back|cod|labels|list --pdf FILE",
         "Prints the calibration sheet of a stationery family: rulers along the top and left edges and "
         "two crosshairs with their coordinates, without the family's offset.",
         true, runCalibrationSheet},
        {"sql", "sql FILE",
         "Runs an SQL file (code page 1250) on the database as the SQL console runs a script: each "
         "statement ends at its \";\" and is committed by itself; text after the last complete "
         "statement is not run. Stops at the first failing statement (the ones before it stay done).",
         false, runSql},
        {"import", "import FILE [--separator semicolon|comma|tab|bar] [--header]",
         "Adds one client per line of a delimited file (name, contact, postal code, town, address, "
         "group), and the groups that are new. --header skips the first line. The file is read as "
         "UTF-8 when it is valid UTF-8, otherwise as code page 1250. When a client cannot be stored "
         "the clients before it stay and the command fails.",
         false, runImport},
        {"export", "export FILE [--separator semicolon|comma|tab|bar] [--quote none|double|single] [--no-header] [--field-names]",
         "Writes the client table in name order: FILE ending in .xls is a worksheet, .htm or .html an "
         "HTML page of the client list's columns, anything else delimited text in code page 1250 "
         "(header of column titles, or field names with --field-names).",
         false, runExport},
        {"check", "check [--duplicates-only | --addresses-only]",
         "Checks the addresses of every client against the postal-code table and looks for likely "
         "duplicates (same name once accents, case, punctuation and the company form are set aside; "
         "same postal code and street under another name). One tab-separated line per finding: key, "
         "finding code, text, the other client's key of a duplicate. Nothing is changed.",
         false, runCheck},
    };
    return table;
}

void printUsage(QTextStream &stream)
{
    stream << "Usage: kartevo-batch [--db FILE] [--lang FILE] COMMAND [ARGUMENTS]\n\n"
           << "Options:\n"
           << "  --db FILE   use this database instead of the configured one\n"
           << "  --lang FILE translate the printed envelopes and forms with this language file\n"
           << "              instead of the one the Lang setting names\n"
           << "  --help      show this text\n\n"
           << "Commands:\n";
    for (const Command &command : commands())
        stream << "  " << command.synopsis << "\n      " << command.description << '\n';
    stream << "\nThe data folder is $XDG_DATA_HOME/Kartevo (or the program folder when a Kartevo.ini\n"
           << "lies there); the database is the configured one, or Kartevo.sqb in the data folder.\n"
           << "Every printing command moves its pages by the printer alignment of the Calibration section\n"
           << "of the configuration file; --offset DX,DY (millimetres, -20 to 20, positive right and down)\n"
           << "replaces it for one run.\n"
           << "Exit codes: 0 done, 1 failed, 2 bad arguments.\n";
    stream.flush();
}

} // namespace

bool CommandNeedsGui(const char *word)
{
    for (const Command &command : commands()) {
        if (std::strcmp(command.name, word) == 0)
            return command.needsGui;
    }
    return false;
}

int Run(const QStringList &arguments)
{
    Context context;
    QStringList rest = arguments.mid(1);
    while (!rest.isEmpty() && rest.first().startsWith(QLatin1String("--"))) {
        const QString option = rest.takeFirst();
        if (option == QLatin1String("--help")) {
            printUsage(out());
            return ExitOk;
        }
        if (option == QLatin1String("--db") && !rest.isEmpty()) {
            context.databaseOverride = rest.takeFirst();
            continue;
        }
        if (option == QLatin1String("--lang") && !rest.isEmpty()) {
            // A mistyped name must not print the forms untranslated without a word.
            const QFileInfo language(rest.takeFirst());
            if (!language.isFile()) {
                err() << "kartevo-batch: --lang: no such file: " << language.filePath() << '\n';
                return ExitUsage;
            }
            context.languageOverride = language.absoluteFilePath();
            continue;
        }
        err() << "kartevo-batch: unknown or incomplete option: " << option << "\n\n";
        printUsage(err());
        return ExitUsage;
    }
    if (rest.isEmpty()) {
        printUsage(err());
        return ExitUsage;
    }
    const QString name = rest.takeFirst();
    for (const Command &command : commands()) {
        if (name != QLatin1String(command.name))
            continue;
        context.args = rest;
        try {
            const int code = command.run(context);
            out().flush();
            return code;
        } catch (const UsageError &e) {
            err() << "kartevo-batch: " << e.message() << "\n\n";
            printUsage(err());
            return ExitUsage;
        } catch (const Error &e) {
            out().flush();
            err() << e.message() << '\n';
            err().flush();
            return ExitFailed;
        }
    }
    err() << "kartevo-batch: unknown command: " << name << "\n\n";
    printUsage(err());
    return ExitUsage;
}

} // namespace kartevo::batch
