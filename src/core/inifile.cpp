#include "core/inifile.h"

#include "core/codec.h"
#include "core/error.h"
#include "core/outputfile.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <limits>

namespace kartevo {

namespace {

// Longest value handed out; longer values are cut, as the classic profile functions do.
constexpr qsizetype kMaxValueLength = 2047;

bool SameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

QString CleanValue(QStringView raw)
{
    QStringView value = raw.trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            value = value.sliced(1, value.size() - 2);
    }
    return value.left(kMaxValueLength).toString();
}

// Whole-value integer: optional blanks and sign, then decimal digits or 0x and hex digits.
std::optional<int> ParseInteger(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    int base = 10;
    if (text.size() > 2 && text.front() == u'0' && (text.at(1) == u'x' || text.at(1) == u'X')) {
        base = 16;
        text = text.sliced(2);
    }
    if (text.isEmpty())
        return std::nullopt;
    qint64 magnitude = 0;
    for (QChar ch : text) {
        const char16_t c = ch.unicode();
        int digit = base;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

// The default locale, for numbers in the file: no group separators either way, so that a
// comma written under one locale is not taken for a thousands separator under another.
QLocale NumberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return locale;
}

} // namespace

IniFile::IniFile(const QString &fileName)
    : m_fileName(fileName)
{
    if (!QFileInfo::exists(fileName))
        return;
    const QStringList lines = ReadCp1250Lines(fileName);
    m_lines.reserve(size_t(lines.size()));
    for (const QString &text : lines)
        m_lines.push_back(parseLine(text));
}

IniFile::Line IniFile::parseLine(const QString &text)
{
    Line line{text, Kind::Other, {}};
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = trimmed.sliced(1, close - 1).trimmed().toString();
        }
        return line;
    }
    if (trimmed.startsWith(u';'))
        return line;
    const qsizetype equals = trimmed.indexOf(u'=');
    if (equals > 0) {
        const QStringView name = trimmed.left(equals).trimmed();
        if (!name.isEmpty()) {
            line.kind = Kind::Key;
            line.name = name.toString();
        }
    }
    return line;
}

std::optional<size_t> IniFile::findKey(const QString &section, const QString &key) const
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    bool inSection = false;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == Kind::Section)
            inSection = SameName(line.name, sectionName);
        else if (inSection && line.kind == Kind::Key && SameName(line.name, keyName))
            return i;
    }
    return std::nullopt;
}

std::optional<QString> IniFile::rawValue(const QString &section, const QString &key) const
{
    const std::optional<size_t> index = findKey(section, key);
    if (!index)
        return std::nullopt;
    const QString &text = m_lines[*index].text;
    return CleanValue(QStringView(text).sliced(text.indexOf(u'=') + 1));
}

QString IniFile::readString(const QString &section, const QString &key, const QString &def) const
{
    return rawValue(section, key).value_or(def);
}

int IniFile::readInteger(const QString &section, const QString &key, int def) const
{
    const std::optional<QString> value = rawValue(section, key);
    if (!value)
        return def;
    return ParseInteger(*value).value_or(def);
}

bool IniFile::readBool(const QString &section, const QString &key, bool def) const
{
    const std::optional<QString> value = rawValue(section, key);
    if (!value)
        return def;
    const std::optional<int> number = ParseInteger(*value);
    return number ? *number != 0 : def;
}

double IniFile::readFloat(const QString &section, const QString &key, double def) const
{
    const std::optional<QString> value = rawValue(section, key);
    if (!value)
        return def;
    bool ok = false;
    const double number = NumberLocale().toDouble(QStringView(*value).trimmed(), &ok);
    return ok && std::isfinite(number) ? number : def;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = section.trimmed();
    const QString keyName = key.trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty())
        return;
    // A line break would split the value into lines of its own.
    QString oneLine = value;
    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    oneLine.replace(QLatin1Char('\r'), QLatin1Char(' '));
    oneLine.replace(QLatin1Char('\n'), QLatin1Char(' '));

    if (const std::optional<size_t> index = findKey(sectionName, keyName)) {
        Line &line = m_lines[*index];
        line.text = line.name + u'=' + oneLine;
        return;
    }

    // New key: after the last key of the section's first block, or right after its header.
    std::optional<size_t> insertAfter;
    bool inSection = false;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        if (line.kind == Kind::Section) {
            if (insertAfter)
                break;
            inSection = SameName(line.name, sectionName);
            if (inSection)
                insertAfter = i;
        } else if (inSection && line.kind == Kind::Key) {
            insertAfter = i;
        }
    }
    const Line keyLine{keyName + u'=' + oneLine, Kind::Key, keyName};
    if (insertAfter) {
        m_lines.insert(m_lines.begin() + qsizetype(*insertAfter) + 1, keyLine);
        return;
    }
    m_lines.push_back(Line{u'[' + sectionName + u']', Kind::Section, sectionName});
    m_lines.push_back(keyLine);
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeFloat(const QString &section, const QString &key, double value)
{
    writeString(section, key, NumberLocale().toString(value, 'g', 15));
}

bool IniFile::valueExists(const QString &section, const QString &key) const
{
    return findKey(section, key).has_value();
}

QStringList IniFile::sections() const
{
    QStringList names;
    for (const Line &line : m_lines) {
        if (line.kind == Kind::Section && !names.contains(line.name, Qt::CaseInsensitive))
            names.append(line.name);
    }
    return names;
}

QStringList IniFile::keys(const QString &section) const
{
    const QString sectionName = section.trimmed();
    QStringList names;
    bool inSection = false;
    for (const Line &line : m_lines) {
        if (line.kind == Kind::Section)
            inSection = SameName(line.name, sectionName);
        else if (inSection && line.kind == Kind::Key && !names.contains(line.name, Qt::CaseInsensitive))
            names.append(line.name);
    }
    return names;
}

void IniFile::eraseSection(const QString &section)
{
    const QString sectionName = section.trimmed();
    std::vector<Line> kept;
    kept.reserve(m_lines.size());
    bool inSection = false;
    for (Line &line : m_lines) {
        if (line.kind == Kind::Section)
            inSection = SameName(line.name, sectionName);
        if (!inSection)
            kept.push_back(std::move(line));
    }
    m_lines = std::move(kept);
}

void IniFile::save() const
{
    QByteArray bytes;
    for (const Line &line : m_lines) {
        bytes += ToCp1250(line.text);
        bytes += "\r\n";
    }
    // A link is followed: the file it leads to is replaced, the link stays.
    const QFileInfo info(m_fileName);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : m_fileName;
    try {
        CheckOwnFileTarget(m_fileName, target);
        OutputFile file(target, OutputFile::Kind::OwnFile);
        file.device().write(bytes);
        file.commit();
    } catch (const FileWriteError &e) {
        throw Error(QStringLiteral("A beállítások nem írhatók: %1 (%2)").arg(m_fileName, e.reason()));
    }
}

} // namespace kartevo
