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

struct Command {
    const char *name;
    const char *synopsis;
    const char *description;
    bool needsGui;
    std::function<int(Context &)> run;
};

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
        {"envelope", "envelope c6|la4|lc5 (--client KEY | --all | --marked) [--group NAME] [--sort FIELD] [--sender KEY] [--offset DX,DY] [--preview] --pdf FILE",
         "Prints envelopes into one PDF, one page per client in print order. --all takes the client "
         "list (of one group with --group) in the order of --sort (default ugyfel_nev); --marked the "
         "marked clients, and clears every mark afterwards. The sender is --sender or the Sender "
         "setting. --preview writes the run as its preview shows it and prints nothing: the marks "
         "stay.",
         true, runEnvelope},
        {"registered", "registered (--client KEY | --all | --marked) [--group NAME] [--sort FIELD] [--sender KEY] [--offset DX,DY] [--preview] --pdf FILE",
         "Prints registered-mail forms, with the same choice of clients and --preview as envelope.", true, runRegistered},
        {"cod", "cod (--client KEY | --all | --marked) [--group NAME] [--sort FIELD] --amount N [--sender KEY] [--offset DX,DY] [--preview] --pdf FILE",
         "Prints cash-on-delivery forms with one amount, one page per client, chosen as for envelope "
         "(--marked clears every mark afterwards; --preview as for envelope).", true, runCod},
        {"cheque", "cheque (--client KEY | --all | --marked) [--group NAME] [--sort FIELD] --amount N [--message TEXT] [--sender KEY] [--offset DX,DY] (--pdf FRONT --back-pdf BACK | --preview --pdf FILE)",
         "Prints both sides of postal money orders with one amount and message, clients chosen as for "
         "envelope: every front into FRONT, every back (message and sender) into BACK in the same "
         "order (--marked clears every mark afterwards). --preview writes every front and then every "
         "back into one FILE and prints nothing: the marks stay.",
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
         "statement is not run. Stops at the first failing statement (the ones before it stay done). "
         "An automatic copy of the database is made first.",
         false, runSql},
        {"import", "import FILE [--separator semicolon|comma|tab|bar] [--header] [--map auto|MAPPING] [--sheet N] "
                   "[--encoding utf-8|cp1250] [--skip-duplicates] [--dry-run] | import --undo-last",
         "Without --map, a delimited file is read as the program's own order: one client per line (name, "
         "contact, postal code, town, address, group), read as UTF-8 when it is valid UTF-8, otherwise as "
         "code page 1250; --header skips the first line; when a client cannot be stored the clients before "
         "it stay and the command fails. Spreadsheets (.xlsx, .ods, .xls; --sheet N, from 1) and vCards are "
         "recognised by their content and mapped by the guess from their titles. --map auto maps a delimited "
         "file (separator and encoding detected, or --separator, --encoding) by its header; --map "
         "name=3,contact=4+5,postal=1,town=2,street=6,group=7 by hand (columns from 1; a+b joins family and "
         "given name; also company=N, person=A+B, address=N for one column \"1051 Budapest, Fő utca 1.\" "
         "split into code, town and street; header when the first row holds titles). Rows whose town is not "
         "that of their postal code and duplicates of clients or of earlier rows are listed first; "
         "--skip-duplicates leaves the duplicates out; --dry-run writes nothing. Everything is stored in one "
         "transaction. --undo-last removes the clients of the last import and the groups it created that no "
         "other client uses. An automatic copy of the database is made first (not for --dry-run).",
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
        {"backup", "backup [--to FILE]",
         "Copies the database, consistent even while the desktop program is using it, into the Backup "
         "folder of the data folder (or into FILE with --to) and prints the copy's path. Copies made "
         "this way are never removed by the program.",
         false, runBackup},
        {"backups", "backups",
         "Lists the copies of the database in the Backup folder, newest first, one tab-separated line "
         "each: path, time (YYYY-MM-DD HH:MM:SS), client count, auto or manual.",
         false, runBackups},
        {"restore", "restore FILE",
         "Puts a copy in place of the database after checking it (a Kartevo database that passes the "
         "integrity check); the replaced state is kept as an automatic copy first. A file that fails "
         "the check is refused and the database stays as it was.",
         false, runRestore},
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
           << "Before sql, import and restore an automatic copy of the database goes into the Backup folder;\n"
           << "the newest 10 automatic copies are kept.\n"
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
