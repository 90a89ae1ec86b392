#include "batch/batchcommon.h"

#include "core/backup.h"
#include "core/database.h"
#include "core/error.h"
#include "core/helpers.h"
#include "core/largeheap.h"
#include "core/session.h"
#include "exchange/csvimport.h"
#include "exchange/importlog.h"
#include "exchange/importmapping.h"
#include "exchange/importplan.h"
#include "masterdata/addresscheck.h"

#include <QIODevice>

namespace kartevo::batch {

namespace {

// The fixed-order import of the program's own files ("Kartevo CSV"), recorded so that it can
// be taken back.
int ImportFixedOrder(Session &session, const QString &file, const PrintOptions &options)
{
    const QChar separator = separatorOption(QStringLiteral("import"), options);
    const QByteArray bytes = ReadImportBytes(file);
    const ImportUtf8 text = DecodeImportBytesToUtf8(bytes);
    MakeAutomaticBackup(session, BackupReason::Import);
    Database &db = session.db();
    if (!text.warning.isEmpty())
        err() << text.warning << '\n';
    try {
        const ImportSummary summary =
            ImportClientLines(db, TextLineViews(text.text), char(separator.unicode()), options.has("header"), {}, file);
        out() << summary.clients << " client(s) and " << summary.groups << " group(s) added (" << text.encoding
              << ").\n";
    } catch (const ImportError &e) {
        out() << e.kept.clients << " client(s) and " << e.kept.groups << " group(s) added before line " << e.line
              << ".\n";
        throw;
    }
    return ExitOk;
}

// The mapping of the table: by hand, remembered for its header, or guessed. The columns it names
// are checked against the table when it is the whole file.
ImportMapping MappingOf(Database &db, const SourceTable &table, const QString &text, bool header, bool whole)
{
    int columns = 0;
    for (const QStringList &row : table.rows)
        columns = std::max(columns, int(row.size()));
    if (!whole)
        columns = 0;
    ImportMapping mapping;
    if (text.isEmpty() || text == QLatin1String("auto")) {
        const QString remembered = table.rows.isEmpty() ? QString() : RememberedMapping(db, HeaderKey(table.rows.first()));
        if (!remembered.isEmpty())
            mapping = ParseMappingText(remembered, columns);
        else
            mapping = GuessMapping(table, std::make_unique<PostalTowns>(db).get());
    } else {
        mapping = ParseMappingText(text, columns);
    }
    mapping.header = mapping.header || header;
    return mapping;
}

} // namespace

int runImport(Context &context)
{
    const QString command = QStringLiteral("import");
    const PrintOptions options = parsePrintOptions(command, context.args, {"separator", "map", "sheet", "encoding"},
                                                   {"header", "skip-duplicates", "dry-run", "undo-last"});
    if (options.has("undo-last")) {
        if (!options.words.isEmpty() || options.values.size() + options.flags.size() > 1)
            throw UsageError(QStringLiteral("import: --undo-last takes no FILE and no other option"));
        const auto session = openSession(context);
        out() << UndoLastImport(session->db()) << '\n';
        return ExitOk;
    }
    if (options.words.size() != 1)
        throw UsageError(QStringLiteral("import: one FILE is needed"));
    const QString file = options.words.first();

    SourceOptions source;
    if (options.has("sheet")) {
        bool ok = false;
        source.sheet = options.value("sheet").toInt(&ok) - 1;
        if (!ok || source.sheet < 0)
            throw UsageError(QStringLiteral("import: --sheet takes the number of a sheet, from 1"));
    }
    if (options.has("encoding")) {
        source.encoding = options.value("encoding");
        if (source.encoding != QLatin1String("utf-8") && source.encoding != QLatin1String("cp1250"))
            throw UsageError(QStringLiteral("import: --encoding takes utf-8 or cp1250"));
    }
    const QString mapText = options.value("map").trimmed();
    if (options.has("map")) {
        if (mapText.isEmpty())
            throw UsageError(QStringLiteral("import: --map takes auto or a mapping like name=3,contact=4+5,postal=1"));
        if (mapText != QLatin1String("auto")) {
            try {
                ParseMappingText(mapText);
            } catch (const Error &e) {
                throw UsageError(QStringLiteral("import: --map: ") + e.message());
            }
        }
    }
    if (options.has("separator"))
        source.separator = separatorOption(command, options);

    // An import holds the file, its rows and their keys in memory at once.
    PrepareLargeHeap(std::size_t(256) << 20);
    const auto session = openSession(context);
    Database &db = session->db();
    const SourceKind kind = DetectSourceKind(file);
    if (kind == SourceKind::Delimited && !options.has("map")) {
        for (const char *mapped : {"sheet", "encoding", "skip-duplicates", "dry-run"}) {
            if (options.has(mapped))
                throw UsageError(QStringLiteral("import: --%1 on delimited text needs --map (auto or by hand)")
                                     .arg(QLatin1String(mapped)));
        }
        return ImportFixedOrder(*session, file, options);
    }

    // A delimited file or vCards have no sheets: a sheet asked for is a mistake, not ignored.
    if (options.has("sheet") && (kind == SourceKind::Delimited || kind == SourceKind::VCard))
        throw UsageError(QStringLiteral("import: --sheet is for spreadsheets (.xlsx, .ods, .xls)"));
    DirectImportOptions run;
    run.source = source;
    run.skipDuplicates = options.has("skip-duplicates");
    run.dryRun = options.has("dry-run");
    ImportMapping mapping;
    run.chooseMapping = [&](const SourceTable &table, bool whole) {
        for (const QString &warning : table.warnings)
            err() << warning << '\n';
        return mapping = MappingOf(db, table, mapText, options.has("header"), whole);
    };
    // The mapping and the findings once there is a row to import; a large file has tens of
    // thousands of findings, gathered as the rows are planned.
    QByteArray findings; // UTF-8, as they are written
    int planned = 0;
    const auto writeFindings = [&] {
        if (planned == 0)
            return;
        out() << "Mapping: " << MappingText(mapping) << '\n';
        out().flush();
        out().device()->write(findings);
    };
    run.planned = [&](const PlannedRow &row) {
        ++planned;
        if (!row.isDuplicate() && !row.townMismatch && row.cutValues == 0)
            return;
        findings += "Row ";
        findings += QByteArray::number(row.sourceRow + 1);
        findings += ": ";
        findings += row.fields[FieldName].toUtf8();
        findings += " - ";
        findings += RowFindingText(row).toUtf8();
        findings += '\n';
    };
    run.restarted = [&] {
        findings.clear();
        planned = 0;
    };
    run.beforeWriting = [&] {
        if (!run.dryRun)
            MakeAutomaticBackup(*session, BackupReason::Import);
    };
    DirectImport imported;
    try {
        imported = ImportWithoutPreview(db, file, run);
    } catch (const Error &) {
        writeFindings();
        throw;
    }
    if (imported.rows == 0)
        throw Error(QStringLiteral("Nincs betölthető sor a fájlban: %1").arg(file));
    writeFindings();
    if (!run.dryRun && mapping.header)
        RememberMapping(db, HeaderKey(imported.header), MappingText(mapping));
    out() << (run.dryRun ? "Dry run, nothing written: " : "") << ImportOutcomeText(imported.outcome) << '\n';
    return ExitOk;
}

} // namespace kartevo::batch
