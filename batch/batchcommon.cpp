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

// Opens the session exactly as the desktop program does, without the folders it creates for
// its windows. Throws Error with "Nem létező adatbázis: PATH" when there is no database file.
std::unique_ptr<Session> openSession(const Context &context, bool openDatabase)
{
    auto session = std::make_unique<Session>(ComputeFolders(QCoreApplication::applicationDirPath()));
    Session::Options options;
    options.createFolders = false;
    options.openDatabase = openDatabase;
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

void requireMarkedClients(Database &db, const std::optional<QString> &group)
{
    Statement count(db, group ? QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE jelolve='I' AND csoport=:g")
                              : QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE jelolve='I'"));
    if (group)
        count.bind(QStringLiteral(":g"), *group);
    count.step();
    if (count.column(0).toLongLong() == 0)
        throw Error(QStringLiteral("Nincs kijelölt ügyfél"));
}

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


} // namespace kartevo::batch
