#include "batch/batchcommon.h"

#include "core/backup.h"
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
    MakeAutomaticBackup(*session, BackupReason::SqlScript);
    SqlConsole console(session->db());
    const SqlConsole::Outcome outcome = console.runScript(text);
    QString message = outcome.message;
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!outcome.ok)
        throw Error(message);
    out() << message << '\n';
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

} // namespace kartevo::batch
