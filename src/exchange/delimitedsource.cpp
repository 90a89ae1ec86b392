#include "exchange/importsource.h"

#include "core/codec.h"
#include "core/error.h"
#include "exchange/csvimport.h"

#include <QStringDecoder>

namespace kartevo {

namespace {

const QChar kSeparators[] = {u';', u',', u'\t', u'|'};
constexpr int kSniffRecords = 20;

// Splits the text into records of fields: a field in double quotes may hold the separator, line
// breaks and "" for one quote; a quote inside an unquoted field is kept as it is. A record ends
// at CR LF, LF or CR outside quotes. At most maxRecords records are read (all when negative).
QList<QStringList> SplitRecords(const QString &text, QChar separator, int maxRecords = -1)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the field began with a quote
    bool lineHasText = false;
    const auto endField = [&] {
        record.append(wasQuoted ? field : field.trimmed());
        field.clear();
        wasQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        // A line with nothing on it (not even a separator) is no record.
        if (lineHasText)
            records.append(record);
        record.clear();
        lineHasText = false;
    };
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < size && text.at(i + 1) == u'"') {
                    field.append(u'"');
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field.append(c);
            }
            continue;
        }
        if (c == separator) {
            lineHasText = true;
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
                ++i;
            endRecord();
            if (maxRecords >= 0 && records.size() >= maxRecords)
                return records;
        } else if (c == u'"' && field.trimmed().isEmpty() && !wasQuoted) {
            field.clear();
            quoted = true;
            wasQuoted = true;
            lineHasText = true;
        } else if (wasQuoted && c.isSpace()) {
            continue; // blanks after the closing quote
        } else {
            field.append(c);
            if (!c.isSpace())
                lineHasText = true;
        }
    }
    if (lineHasText || !field.isEmpty())
        endRecord();
    return records;
}

// The separator that splits the first records into the same number of fields, most often and
// into the most fields; ";" when none splits anything.
QChar SniffSeparator(const QString &text)
{
    QChar best = kSeparators[0];
    int bestScore = 0;
    int bestFields = 1;
    for (const QChar separator : kSeparators) {
        const QList<QStringList> records = SplitRecords(text, separator, kSniffRecords);
        if (records.isEmpty() || records.first().size() < 2)
            continue;
        const int fields = int(records.first().size());
        int score = 0;
        for (const QStringList &record : records)
            score += record.size() == fields ? 1 : 0;
        if (score > bestScore || (score == bestScore && fields > bestFields)) {
            best = separator;
            bestScore = score;
            bestFields = fields;
        }
    }
    return best;
}

QString DecodeStrict(const QByteArray &bytes, QStringConverter::Encoding encoding, bool *ok)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    *ok = !decoder.hasError();
    return text;
}

} // namespace

SourceTable ReadDelimitedSource(const QByteArray &bytes, const SourceOptions &options, const QString &fileName)
{
    SourceTable table;
    table.kind = SourceKind::Delimited;
    QString text;
    bool ok = true;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        text = DecodeStrict(bytes.mid(2), little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE, &ok);
        table.encoding = little ? QStringLiteral("UTF-16LE") : QStringLiteral("UTF-16BE");
        if (!ok)
            table.warnings.append(QStringLiteral("A fájl %1 jellel kezdődik, de nem minden része az: a hibás "
                                                 "karakterek helyén csere-jel áll.").arg(table.encoding));
    } else {
        if (bytes.contains('\0'))
            throw Error(QStringLiteral("Ez a fájl nem szöveges fájl, és nem is táblázat vagy névjegy: %1").arg(fileName));
        const QString choice = options.encoding.toLower();
        if (choice.isEmpty()) {
            ImportText read = DecodeImportBytes(bytes);
            text = read.text;
            table.encoding = read.encoding;
            if (!read.warning.isEmpty())
                table.warnings.append(read.warning);
        } else if (choice == QLatin1String("utf-8") || choice == QLatin1String("utf8")) {
            const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
            text = DecodeStrict(body, QStringConverter::Utf8, &ok);
            table.encoding = QString::fromLatin1(Utf8EncodingName);
            if (!ok)
                table.warnings.append(QStringLiteral("A fájl nem minden része UTF-8: a hibás karakterek helyén "
                                                     "csere-jel áll, ellenőrizze az ékezeteket."));
        } else if (choice == QLatin1String("cp1250") || choice == QLatin1String("windows-1250")) {
            text = FromCp1250(bytes);
            table.encoding = QString::fromLatin1(Cp1250EncodingName);
        } else {
            throw Error(QStringLiteral("Ismeretlen kódolás: %1 (utf-8 vagy cp1250 lehet)").arg(options.encoding));
        }
    }
    table.separator = options.separator.isNull() ? SniffSeparator(text) : options.separator;
    table.rows = SplitRecords(text, table.separator);
    return table;
}

} // namespace kartevo
