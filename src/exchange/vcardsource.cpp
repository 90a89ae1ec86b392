// The reader of vCard files (versions 2.1, 3.0 and 4.0): every card one row of names, the
// organisation, one postal address and the first category.

#include "exchange/importsource.h"

#include "core/codec.h"
#include "core/error.h"

#include <QStringDecoder>

#include <optional>

namespace kartevo {

namespace {

enum Column { FamilyName, GivenName, FullName, Organization, Street, PostalCode, City, Categories, ColumnCount };

struct Property {
    QByteArray name;         // upper case, without its group ("item1.ADR" → "ADR")
    QList<QByteArray> types; // TYPE values and the bare parameters of 2.1, upper case
    QByteArray charset;
    bool quotedPrintable = false;
    QByteArray value;        // as written, still encoded
};

// The index of the first c in line outside double quotes, or -1.
qsizetype IndexOutsideQuotes(const QByteArray &line, char c, qsizetype from = 0)
{
    bool quoted = false;
    for (qsizetype i = from; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == c && !quoted)
            return i;
    }
    return -1;
}

bool IsQuotedPrintable(const QByteArray &line)
{
    const qsizetype colon = IndexOutsideQuotes(line, ':');
    return colon > 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

bool IsCardBoundary(const QByteArray &line)
{
    const QByteArray upper = line.trimmed().toUpper();
    return upper == "BEGIN:VCARD" || upper == "END:VCARD";
}

// The logical lines: folded lines joined (a line break and one space or tab removed), and the
// soft line breaks of quoted-printable values (a "=" at the end of the line) joined as well.
QList<QByteArray> LogicalLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!lines.isEmpty() && lines.constLast().endsWith('=') && IsQuotedPrintable(lines.constLast())
            && !IsCardBoundary(line)) {
            lines.last().chop(1);
            lines.last() += line;
        } else if (!lines.isEmpty() && (line.startsWith(' ') || line.startsWith('\t'))) {
            lines.last() += line.mid(1);
        } else if (!line.isEmpty()) {
            lines.append(line);
        }
    }
    return lines;
}

Property ParseProperty(const QByteArray &line)
{
    Property property;
    const qsizetype colon = IndexOutsideQuotes(line, ':');
    if (colon < 0)
        return property;
    property.value = line.mid(colon + 1);
    const QList<QByteArray> parts = line.left(colon).split(';');
    property.name = parts.first().toUpper();
    property.name = property.name.mid(property.name.lastIndexOf('.') + 1);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const qsizetype equals = parts[i].indexOf('=');
        const QByteArray key = (equals < 0 ? QByteArray("TYPE") : parts[i].left(equals)).trimmed().toUpper();
        QByteArray value = (equals < 0 ? parts[i] : parts[i].mid(equals + 1)).trimmed();
        value.replace('"', QByteArray());
        if (value.toUpper() == "QUOTED-PRINTABLE" && (key == "ENCODING" || equals < 0))
            property.quotedPrintable = true;
        else if (key == "CHARSET")
            property.charset = value;
        else if (key == "TYPE") {
            for (const QByteArray &type : value.split(','))
                property.types.append(type.trimmed().toUpper());
        }
    }
    return property;
}

QByteArray DecodeQuotedPrintable(const QByteArray &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 1 == text.size())
            break; // a soft line break with nothing after it
        if (text[i] == '=' && i + 2 < text.size()) {
            bool ok = false;
            const int code = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                bytes += char(code);
                i += 2;
                continue;
            }
        }
        bytes += text[i];
    }
    return bytes;
}

QString DecodeCharset(const QByteArray &bytes, const QByteArray &charset)
{
    const QByteArray name = charset.toLower();
    if (name.isEmpty() || name == "utf-8" || name == "utf8") {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        // Without a stated code page, text that is no UTF-8 is the Windows code page of the region.
        return utf8.hasError() && name.isEmpty() ? FromCp1250(bytes) : text;
    }
    if (name == "windows-1250" || name == "cp1250" || name == "cp-1250")
        return FromCp1250(bytes);
    QStringDecoder decoder(name.constData());
    if (decoder.isValid())
        return decoder.decode(bytes);
    return QString::fromUtf8(bytes);
}

// The components of a structured value, split at the unescaped ';' and unescaped.
QStringList Components(const QString &value)
{
    QStringList components{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar ch = value[i];
        if (ch == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            components.last() += (next == u'n' || next == u'N') ? QChar(u'\n') : next;
        } else if (ch == u';') {
            components.append(QString());
        } else {
            components.last() += ch;
        }
    }
    for (QString &component : components)
        component = component.trimmed().replace(u'\n', QStringLiteral(", "));
    return components;
}

QString Joined(const QStringList &parts, const QString &separator)
{
    QStringList present;
    for (const QString &part : parts) {
        if (!part.isEmpty())
            present.append(part);
    }
    return present.join(separator);
}

struct Card {
    QStringList cells = QStringList(ColumnCount);
    bool hasAddress = false;
    bool hasWorkAddress = false;

    void take(const Property &property)
    {
        const QString value = DecodeCharset(property.quotedPrintable ? DecodeQuotedPrintable(property.value) : property.value,
                                            property.charset);
        const QStringList parts = Components(value);
        if (property.name == "N" && cells[FamilyName].isEmpty() && cells[GivenName].isEmpty()) {
            cells[FamilyName] = parts.value(0);
            cells[GivenName] = Joined({parts.value(1), parts.value(2)}, QStringLiteral(" "));
        } else if (property.name == "FN" && cells[FullName].isEmpty()) {
            cells[FullName] = parts.join(u';');
        } else if (property.name == "ORG" && cells[Organization].isEmpty()) {
            cells[Organization] = parts.value(0);
        } else if (property.name == "ADR") {
            // The work address wins, else the first one.
            const bool work = property.types.contains("WORK");
            if (hasWorkAddress || (hasAddress && !work))
                return;
            cells[Street] = Joined({parts.value(2), parts.value(1)}, QStringLiteral(", "));
            cells[City] = parts.value(3);
            cells[PostalCode] = parts.value(5);
            hasAddress = true;
            hasWorkAddress = work;
        } else if (property.name == "CATEGORIES" && cells[Categories].isEmpty()) {
            // A client has one group: the first category (an escaped comma stays in it).
            QString first;
            for (qsizetype i = 0; i < value.size() && value[i] != u','; ++i)
                first += value[i] == u'\\' && i + 1 < value.size() ? value[++i] : value[i];
            cells[Categories] = first.trimmed();
        }
    }
};

} // namespace

QStringList VCardColumnTitles()
{
    return {QStringLiteral("Family Name"), QStringLiteral("Given Name"), QStringLiteral("Full Name"),
            QStringLiteral("Organization"), QStringLiteral("Street"), QStringLiteral("Postal Code"),
            QStringLiteral("City"), QStringLiteral("Categories")};
}

SourceTable ReadVCardSource(const QByteArray &bytes, const QString &fileName)
{
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF"))
        text.remove(0, 3);
    else if (text.startsWith("\xFF\xFE") || text.startsWith("\xFE\xFF"))
        text = QString(QStringDecoder(QStringDecoder::Utf16).decode(text)).toUtf8();
    SourceTable table;
    table.kind = SourceKind::VCard;
    table.rows.append(VCardColumnTitles());
    std::optional<Card> card;
    int nested = 0;
    bool agent = false; // the last property was an AGENT of 2.1, whose card follows
    bool unterminated = false;
    for (const QByteArray &line : LogicalLines(text)) {
        const Property property = ParseProperty(line);
        const QByteArray value = property.value.trimmed().toUpper();
        if (property.name == "BEGIN" && value == "VCARD") {
            if (card && agent) {
                ++nested; // the agent's card adds nothing
            } else {
                if (card) {
                    table.rows.append(card->cells);
                    unterminated = true;
                }
                card.emplace();
            }
        } else if (property.name == "END" && value == "VCARD") {
            if (nested > 0) {
                --nested;
            } else if (card) {
                table.rows.append(card->cells);
                card.reset();
            }
        } else if (card && nested == 0) {
            card->take(property);
        }
        agent = property.name == "AGENT" && value.isEmpty();
    }
    if (card) {
        table.rows.append(card->cells);
        unterminated = true;
    }
    if (unterminated)
        table.warnings.append(QStringLiteral("Egy névjegy vége (END:VCARD) hiányzik; ami benne van, betöltődik."));
    if (table.rows.size() == 1)
        throw Error(QStringLiteral("A fájlban nincs egyetlen névjegy (vCard) sem: %1").arg(fileName));
    return table;
}

} // namespace kartevo
