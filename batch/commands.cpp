#include "batch/commands.h"

#include "core/database.h"
#include "core/error.h"
#include "core/folders.h"
#include "core/session.h"
#include "core/statement.h"
#include "printing/amountwords.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cmath>
#include <cstring>
#include <functional>

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
// its windows. Throws Error with "Nem létező adatbázis" when there is no database file.
std::unique_ptr<Session> openSession(const Context &context)
{
    auto session = std::make_unique<Session>(ComputeFolders(QCoreApplication::applicationDirPath()));
    Session::Options options;
    options.createFolders = false;
    options.databaseOverride = context.databaseOverride;
    if (session->open(options) == Session::OpenResult::MissingDatabase)
        throw Error(QStringLiteral("Nem létező adatbázis"));
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
    };
    return table;
}

void printUsage(QTextStream &stream)
{
    stream << "Usage: kartevo-batch [--db FILE] COMMAND [ARGUMENTS]\n\n"
           << "Options:\n"
           << "  --db FILE   use this database instead of the configured one\n"
           << "  --help      show this text\n\n"
           << "Commands:\n";
    for (const Command &command : commands())
        stream << "  " << command.synopsis << "\n      " << command.description << '\n';
    stream << "\nThe data folder is $XDG_DATA_HOME/Kartevo (or the program folder when a Kartevo.ini\n"
           << "lies there); the database is the configured one, or Kartevo.sqb in the data folder.\n"
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
