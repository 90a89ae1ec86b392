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
