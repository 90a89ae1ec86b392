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

namespace {

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

} // namespace

int runImport(Context &context)
{
    const QString command = QStringLiteral("import");
    const PrintOptions options = parsePrintOptions(command, context.args, {"separator"}, {"header"});
    if (options.words.size() != 1)
        throw UsageError(QStringLiteral("import: one FILE is needed"));
    const QChar separator = separatorOption(command, options);
    const auto session = openSession(context);
    const ImportText text = ReadImportFile(options.words.first());
    MakeAutomaticBackup(*session, BackupReason::Import);
    if (!text.warning.isEmpty())
        err() << text.warning << '\n';
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

} // namespace kartevo::batch
