// Copies of the address book: made on request, listed, put back.
#include "batch/batchcommon.h"

#include "core/backup.h"
#include "core/session.h"

namespace kartevo::batch {

int runBackup(Context &context)
{
    const PrintOptions options = parsePrintOptions(QStringLiteral("backup"), context.args, {"to"}, {});
    if (!options.words.isEmpty())
        throw UsageError(QStringLiteral("backup: takes no argument besides --to FILE"));
    if (options.has("to") && options.value("to").isEmpty())
        throw UsageError(QStringLiteral("backup: --to needs a FILE"));
    const auto session = openSession(context, false);
    out() << MakeManualBackup(*session, options.value("to")) << '\n';
    return ExitOk;
}

int runBackups(Context &context)
{
    if (!context.args.isEmpty())
        throw UsageError(QStringLiteral("backups: no arguments are taken"));
    const auto session = openSession(context, false);
    for (const BackupInfo &copy : ListBackups(session->folders().DataFolder, session->databasePath())) {
        out() << copy.path << '\t' << copy.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << '\t'
              << (copy.clients < 0 ? QStringLiteral("?") : QString::number(copy.clients)) << '\t'
              << (copy.kind == BackupKind::Automatic ? "auto" : "manual") << '\n';
    }
    return ExitOk;
}

int runRestore(Context &context)
{
    if (context.args.size() != 1)
        throw UsageError(QStringLiteral("restore: one FILE is needed"));
    const QString file = context.args.first();
    // A file that cannot be restored is refused before the database is even opened.
    if (const QString problem = BackupProblem(file); !problem.isEmpty())
        throw Error(problem);
    const auto session = openSession(context, false);
    RestoreBackup(*session, file);
    out() << "Restored from " << file << '\n';
    return ExitOk;
}

} // namespace kartevo::batch
