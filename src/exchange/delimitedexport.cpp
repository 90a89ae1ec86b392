#include "exchange/delimitedexport.h"

#include "core/codec.h"
#include "core/dataset.h"
#include "core/error.h"
#include "core/helpers.h"

#include <QFileInfo>
#include <QIODevice>
#include <QLocale>

namespace kartevo {

namespace {

void WriteLine(QIODevice &out, Cp1250Encoder &encoder, const QString &line)
{
    QByteArray bytes = encoder.encode(line);
    bytes.append("\r\n");
    if (out.write(bytes) != bytes.size())
        throw Error(QStringLiteral("A fájl nem írható: %1").arg(out.errorString()));
}

QString FieldText(const DataSet &dataSet, int row, const ExportField &field, const DelimitedOptions &options)
{
    const QVariant value = dataSet.cell(row, field.column);
    const bool blobValue = value.typeId() == QMetaType::QByteArray;
    switch (field.kind) {
    case FieldKind::Blob:
        return QStringLiteral("BLOB");
    case FieldKind::Memo:
        if (!options.memos || blobValue)
            return QStringLiteral("BLOB");
        return ReplaceChar(JoinLines(NullToStr(value), QStringLiteral("|")), options.separator, u',');
    default:
        if (blobValue)
            return QStringLiteral("BLOB");
        // A fraction is written with the decimal separator of the locale (the system's), as the grid
        // shows it.
        if (value.typeId() == QMetaType::Double)
            return QString::number(value.toDouble(), 'g', 15).replace(u'.', QLocale().decimalPoint());
        return NullToStr(value);
    }
}

// A value between quotes: the quote character inside it is doubled (RFC 4180), so readers do
// not take it for the end of the value. Without quotes the value is written as it is.
QString Quoted(const QString &value, const QString &quote)
{
    if (quote.isEmpty())
        return value;
    QString text = value;
    return quote + text.replace(quote, quote + quote) + quote;
}

} // namespace

QChar ExportSeparator(int choice)
{
    switch (choice) {
    case 1:
        return u'\t';
    case 2:
        return u',';
    case 3:
        return u'|';
    default:
        return u';';
    }
}

QString ExportQuote(int choice)
{
    switch (choice) {
    case 0:
        return QStringLiteral("\"");
    case 1:
        return QStringLiteral("'");
    default:
        return {};
    }
}

QString DelimitedHeader(const QList<ExportField> &fields, const DelimitedOptions &options)
{
    if (options.noHeader)
        return {};
    QString line;
    for (const ExportField &field : fields)
        line += Quoted(options.fieldNames ? field.name : field.label, options.quote) + options.separator;
    return line;
}

QString DelimitedRecord(const DataSet &dataSet, int row, const QList<ExportField> &fields,
                        const DelimitedOptions &options)
{
    QString line;
    for (const ExportField &field : fields)
        line += Quoted(FieldText(dataSet, row, field, options), options.quote) + options.separator;
    return line;
}

ExportResult WriteDelimited(QIODevice &out, const DataSet &dataSet, const QList<ExportField> &fields,
                            const DelimitedOptions &options, const ExportProgress &progress)
{
    ExportResult result;
    Cp1250Encoder encoder;
    WriteLine(out, encoder, DelimitedHeader(fields, options));
    for (int row = 0; row < dataSet.recordCount(); ++row) {
        if (progress && !progress(row)) {
            result.stopped = true;
            break;
        }
        WriteLine(out, encoder, DelimitedRecord(dataSet, row, fields, options));
        ++result.records;
    }
    result.unmappable = encoder.unmappable();
    return result;
}

bool IsWorksheetName(const QString &fileName)
{
    return QFileInfo(fileName).suffix().compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0;
}

bool IsHtmlName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    return suffix.compare(QLatin1String("htm"), Qt::CaseInsensitive) == 0
        || suffix.compare(QLatin1String("html"), Qt::CaseInsensitive) == 0;
}

} // namespace kartevo
