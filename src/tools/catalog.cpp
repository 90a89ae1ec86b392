#include "tools/catalog.h"

#include "core/error.h"
#include "core/folders.h"
#include "core/outputfile.h"
#include "core/schema.h"

#include <QFile>
#include <QIODevice>
#include <QFileInfo>
#include <QStringDecoder>
#include <QUrl>
#include <QUrlQuery>

#include <algorithm>

#ifndef KARTEVO_CATALOG_URL
#define KARTEVO_CATALOG_URL "http://www.example.com/programok/programok.csv"
#endif

namespace kartevo {

namespace {

// The columns of the catalog with their definitions, in the order they are written.
struct ColumnDef {
    const char *name;
    const char *type;
};
constexpr ColumnDef kColumns[] = {
    {"programok", "integer"},     {"programok_nev", "text(50)"}, {"link", "text(255)"},
    {"letoltlink", "text(255)"},  {"kategoria", "text(50)"},     {"ingyenes", "text(1)"},
    {"leiras", "text(255)"},      {"kep", "jpeg-base64"},
};
constexpr int kColumnCount = int(std::size(kColumns));

QStringList ColumnNames()
{
    QStringList names;
    for (const ColumnDef &column : kColumns)
        names.append(QLatin1String(column.name));
    return names;
}

QVariantList RowValues(const CatalogRow &row)
{
    return {row.programok, row.programok_nev, row.link, row.letoltlink, row.kategoria,
            row.ingyenes, row.leiras, row.kep};
}

QString Quoted(const QString &value)
{
    QString text = value;
    text.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return u'"' + text + u'"';
}

[[noreturn]] void Malformed(int record, const QString &reason)
{
    throw Error(QStringLiteral("A programlista hibás (%1. sor): %2").arg(record).arg(reason));
}

// Splits the text into records of fields: commas between fields, double quotes around a field
// (doubled inside it), CR LF or LF after a record.
QList<QStringList> SplitRecords(const QString &text)
{
    QList<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;      // inside quotes
    bool wasQuoted = false;   // the current field was quoted and its quotes are closed
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto endField = [&] {
        fields.append(field);
        field.clear();
        wasQuoted = false;
    };
    while (i < n) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < n && text.at(i + 1) == u'"') {
                    field.append(u'"');
                    i += 2;
                    continue;
                }
                quoted = false;
                wasQuoted = true;
            } else {
                field.append(c);
            }
            ++i;
            continue;
        }
        if (c == u',') {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && (i + 1 >= n || text.at(i + 1) != u'\n'))
                Malformed(int(records.size()) + 1, QStringLiteral("magányos CR"));
            if (c == u'\r')
                ++i;
            endField();
            records.append(fields);
            fields.clear();
        } else if (c == u'"' && field.isEmpty() && !wasQuoted) {
            quoted = true;
        } else if (wasQuoted) {
            Malformed(int(records.size()) + 1, QStringLiteral("szöveg a záró idézőjel után"));
        } else {
            field.append(c);
        }
        ++i;
    }
    if (quoted)
        Malformed(int(records.size()) + 1, QStringLiteral("lezáratlan idézőjel"));
    if (!field.isEmpty() || wasQuoted || !fields.isEmpty()) {
        endField();
        records.append(fields);
    }
    return records;
}

} // namespace

QByteArray FormatCatalog(const QList<CatalogRow> &rows)
{
    QStringList header;
    for (const ColumnDef &column : kColumns)
        header.append(Quoted(QLatin1String(column.name) + u':' + QLatin1String(column.type)));
    QString text = header.join(u',') + QStringLiteral("\r\n");
    for (const CatalogRow &row : rows) {
        QStringList fields;
        const QVariantList values = RowValues(row);
        for (int column = 0; column < kColumnCount; ++column) {
            const QVariant &value = values.at(column);
            fields.append(Quoted(column == kColumnCount - 1 ? QString::fromLatin1(row.kep.toBase64())
                                                            : value.toString()));
        }
        text += fields.join(u',') + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QList<CatalogRow> ParseCatalog(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        Malformed(1, QStringLiteral("nem UTF-8 szöveg"));
    const QList<QStringList> records = SplitRecords(text);
    if (records.isEmpty())
        Malformed(1, QStringLiteral("üres fájl, nincs oszlopleírás"));

    // Where each of our columns stands in the file.
    const QStringList &header = records.first();
    int place[kColumnCount];
    for (int column = 0; column < kColumnCount; ++column) {
        place[column] = -1;
        for (int i = 0; i < header.size(); ++i) {
            if (header.at(i).section(u':', 0, 0).trimmed().compare(QLatin1String(kColumns[column].name),
                                                                   Qt::CaseInsensitive) == 0) {
                place[column] = i;
                break;
            }
        }
        if (place[column] < 0)
            Malformed(1, QStringLiteral("hiányzik a(z) %1 oszlop").arg(QLatin1String(kColumns[column].name)));
    }

    QList<CatalogRow> rows;
    for (int r = 1; r < records.size(); ++r) {
        const QStringList &fields = records.at(r);
        if (fields.size() != header.size())
            Malformed(r + 1, QStringLiteral("%1 mező a várt %2 helyett").arg(fields.size()).arg(header.size()));
        // A text column holds at most its declared width: a longer value is cut, never shown whole.
        auto field = [&](int column) {
            const QString type = QLatin1String(kColumns[column].type);
            const int width = type.startsWith(QLatin1String("text(")) ? type.mid(5).chopped(1).toInt() : 0;
            const QString &value = fields.at(place[column]);
            return width > 0 ? value.left(width) : value;
        };
        CatalogRow row;
        bool ok = false;
        row.programok = field(0).trimmed().toLongLong(&ok);
        if (!ok)
            Malformed(r + 1, QStringLiteral("a programok mező nem egész szám"));
        row.programok_nev = field(1);
        row.link = field(2);
        row.letoltlink = field(3);
        row.kategoria = field(4);
        row.ingyenes = field(5);
        row.leiras = field(6);
        const auto picture = QByteArray::fromBase64Encoding(field(7).toLatin1(),
                                                           QByteArray::AbortOnBase64DecodingErrors);
        if (!picture)
            Malformed(r + 1, QStringLiteral("a kép nem base64 kódolású"));
        row.kep = *picture;
        rows.append(row);
    }
    return rows;
}

QList<CatalogRow> ReadCatalogFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(fileName, file.errorString()));
    if (file.size() > CatalogSizeLimit)
        throw Error(CatalogTooLargeText());
    return ParseCatalog(file.readAll());
}

QString CatalogFileName(const Folders &folders)
{
    return folders.DataFolder + QStringLiteral("/programok.csv");
}

void EnsureCatalogFile(const Folders &folders)
{
    const QString target = CatalogFileName(folders);
    if (QFileInfo::exists(target))
        return;
    const QString shipped = InstallationFile(folders.ProgramFolder, QStringLiteral("programok.csv"));
    if (shipped.isEmpty())
        return; // the window reports the missing catalog
    QFile source(shipped);
    if (!source.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("A fájl nem olvasható: %1 (%2)").arg(shipped, source.errorString()));
    OutputFile file(target);
    file.device().write(source.readAll());
    file.commit();
}

QString CatalogUrl()
{
    const QString fromEnvironment = qEnvironmentVariable("KARTEVO_CATALOG_URL");
    return fromEnvironment.isEmpty() ? QStringLiteral(KARTEVO_CATALOG_URL) : fromEnvironment;
}

bool IsCatalogLinkAllowed(const QString &link)
{
    const QUrl url(link.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == u"mailto") {
        // Only a subject and a body may come along: "attach=" would hand a file to the mail
        // program, "cc=" and "bcc=" add addressees the user never saw.
        const QUrlQuery query(url);
        for (const auto &[key, value] : query.queryItems()) {
            if (key.compare(QLatin1String("subject"), Qt::CaseInsensitive) != 0
                && key.compare(QLatin1String("body"), Qt::CaseInsensitive) != 0)
                return false;
        }
        return !url.path().isEmpty();
    }
    return (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

QString CatalogCreateErrorText()
{
    return QStringLiteral("File létrehozási hiba");
}

QString CatalogDownloadErrorText()
{
    return QStringLiteral("Hiba letöltés közben: Kiszolgáló nem elérhető, vagy\r\nspeciális proxibeállítások szükségesek");
}

QString CatalogTooLargeText()
{
    return QStringLiteral("A letöltött programlista túl nagy (legfeljebb %1 MB lehet).")
        .arg(CatalogSizeLimit / (1024 * 1024));
}

QString CatalogRefreshedText()
{
    return QStringLiteral("Lista frissítése kész.");
}

CatalogUpdate::CatalogUpdate(const QString &catalogFileName)
{
    try {
        m_file = std::make_unique<OutputFile>(catalogFileName);
    } catch (const Error &e) {
        throw Error(CatalogCreateErrorText() + QLatin1Char('\n') + e.message());
    }
}

CatalogUpdate::~CatalogUpdate() = default;

bool CatalogUpdate::append(QByteArrayView data)
{
    if (m_tooLarge)
        return false;
    if (m_received + data.size() > CatalogSizeLimit) {
        m_tooLarge = true;
        return false;
    }
    m_received += data.size();
    m_file->device().write(data.data(), data.size());
    return true;
}

QList<CatalogRow> CatalogUpdate::finish()
{
    if (m_tooLarge)
        throw Error(CatalogTooLargeText());
    QList<CatalogRow> rows = ParseCatalog(m_file->contents());
    m_file->commit();
    return rows;
}

CatalogTable::CatalogTable(QObject *parent)
    : DataSet(parent)
{
}

void CatalogTable::setRows(const QList<CatalogRow> &rows)
{
    m_rows = rows;
    show(m_rows, -1);
}

void CatalogTable::close()
{
    m_rows.clear();
    clear();
}

void CatalogTable::show(const QList<CatalogRow> &rows, qint64 currentKey)
{
    QList<QVariantList> values;
    values.reserve(rows.size());
    for (const CatalogRow &row : rows)
        values.append(RowValues(row));
    loadValues(ColumnNames(), values);
    if (currentKey >= 0)
        locateValue(QStringLiteral("programok"), currentKey);
}

void CatalogTable::sortBy(const QString &field)
{
    const int column = requireField(field);
    const qint64 key = recordCount() > 0 ? asInteger(QStringLiteral("programok")) : -1;
    std::stable_sort(m_rows.begin(), m_rows.end(), [column](const CatalogRow &a, const CatalogRow &b) {
        const QVariant x = RowValues(a).at(column);
        const QVariant y = RowValues(b).at(column);
        if (column == 0)
            return x.toLongLong() < y.toLongLong();
        // Letter case and the Hungarian accents fold away, as in the client list's sort keys.
        return FoldAccents(x.toString()) < FoldAccents(y.toString());
    });
    show(m_rows, key);
}

QImage CatalogTable::picture() const
{
    if (currentRow() < 0)
        return {};
    return QImage::fromData(value(QStringLiteral("kep")).toByteArray(), "JPEG");
}

bool CatalogTable::isFree() const
{
    return isFreeRow(currentRow());
}

bool CatalogTable::isFreeRow(int row) const
{
    return cell(row, fieldIndex(QStringLiteral("ingyenes"))).toString() == u"I";
}

} // namespace kartevo
