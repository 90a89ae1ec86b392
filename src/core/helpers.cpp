#include "core/helpers.h"

#include "core/codec.h"
#include "core/error.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMetaType>

#include <cmath>
#include <cstring>
#include <limits>

namespace kartevo {

namespace {

bool IsTextValue(const QVariant &value)
{
    const int type = value.metaType().id();
    return type == QMetaType::QString || type == QMetaType::QByteArray || type == QMetaType::QChar;
}

bool IsWholeNumberValue(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool IsFloatValue(const QVariant &value)
{
    const int type = value.metaType().id();
    return type == QMetaType::Double || type == QMetaType::Float;
}

[[noreturn]] void ThrowNotInteger(const QVariant &value)
{
    throw Error(QStringLiteral("'%1' nem érvényes egész szám").arg(value.toString()));
}

[[noreturn]] void ThrowNotNumber(const QVariant &value)
{
    throw Error(QStringLiteral("'%1' nem érvényes szám").arg(value.toString()));
}

// A floating number read from a text without accepting group separators.
bool ReadDouble(const QLocale &base, const QString &text, double &result)
{
    QLocale locale = base;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double d = locale.toDouble(text, &ok);
    if (!ok || !std::isfinite(d))
        return false;
    result = d;
    return true;
}

template <typename Keep>
QString KeepChars(const QString &text, Keep keep)
{
    QString result;
    result.reserve(text.size());
    for (QChar ch : text) {
        if (keep(ch))
            result.append(ch);
    }
    return result;
}

bool IsAsciiDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

QString ReplaceFirstLine(QStringList &lines, QLatin1String keyword, const QString &newLine)
{
    for (QString &line : lines) {
        if (line.toUpper().startsWith(keyword)) {
            line = newLine;
            break;
        }
    }
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += u'\n';
    }
    return text;
}

} // namespace

bool IsNullValue(const QVariant &value)
{
    return !value.isValid() || value.isNull();
}

QString NullToStr(const QVariant &value, const QString &def)
{
    return IsNullValue(value) ? def : value.toString();
}

qint64 NullToInt(const QVariant &value, qint64 def)
{
    if (IsNullValue(value))
        return def;
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    if (value.metaType().id() == QMetaType::ULongLong || value.metaType().id() == QMetaType::ULong) {
        const qulonglong u = value.toULongLong();
        if (u > qulonglong(std::numeric_limits<qint64>::max()))
            ThrowNotInteger(value);
        return qint64(u);
    }
    if (IsWholeNumberValue(value))
        return value.toLongLong();
    if (IsFloatValue(value)) {
        const double d = value.toDouble();
        // 2^63 is exactly representable; anything at or beyond it does not fit.
        if (!std::isfinite(d) || std::fabs(d) >= 9223372036854775808.0)
            ThrowNotInteger(value);
        return std::llround(d);
    }
    if (IsTextValue(value)) {
        bool ok = false;
        const qint64 result = value.toString().trimmed().toLongLong(&ok, 10);
        if (!ok)
            ThrowNotInteger(value);
        return result;
    }
    ThrowNotInteger(value);
}

double NullToFloat(const QVariant &value, double def)
{
    if (IsNullValue(value))
        return def;
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    if (IsWholeNumberValue(value) || IsFloatValue(value))
        return value.toDouble();
    if (IsTextValue(value)) {
        const QString text = value.toString().trimmed();
        double result = 0;
        if (ReadDouble(QLocale::c(), text, result) || ReadDouble(QLocale(), text, result))
            return result;
    }
    ThrowNotNumber(value);
}

QString DelimitedField(const QString &delimiters, const QString &line, int n)
{
    if (n < 1)
        return {};
    int field = 1;
    qsizetype start = 0;
    const bool single = delimiters.size() == 1;
    const QChar delimiter = single ? delimiters.front() : QChar();
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (single ? line.at(i) != delimiter : !delimiters.contains(line.at(i)))
            continue;
        if (field == n)
            return line.mid(start, i - start);
        ++field;
        start = i + 1;
    }
    return field == n ? line.mid(start) : QString();
}

QString ReplaceChar(const QVariant &value, QChar a, QChar b)
{
    return NullToStr(value).replace(a, b);
}

QString PadLeft(const QVariant &value, int width)
{
    return NullToStr(value).rightJustified(width, u' ');
}

QString RemoveSpaces(const QString &text)
{
    return RemoveChar(u' ', text);
}

QString RemoveChar(QChar c, const QString &text)
{
    QString result = text;
    return result.remove(c);
}

int CountChar(QChar c, const QString &text)
{
    return int(text.count(c));
}

QString KeepNumberChars(const QString &text)
{
    return KeepChars(text, [](QChar ch) {
        return IsAsciiDigit(ch) || ch == u',' || ch == u'-' || ch == u'.';
    });
}

QString KeepDigitsAndSeparators(const QString &text)
{
    return KeepChars(text, [](QChar ch) { return IsAsciiDigit(ch) || ch == u',' || ch == u'.'; });
}

double ParseFloatLoose(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0;
    QString number = KeepNumberChars(trimmed);
    const QLocale locale;
    const QString decimalPoint = locale.decimalPoint();
    if (decimalPoint == u".")
        number.replace(u',', u'.');
    else
        number.replace(QStringLiteral("."), decimalPoint);
    double result = 0;
    return ReadDouble(locale, number, result) ? result : 0;
}

qint64 ParseIntLoose(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0;
    bool ok = false;
    const qint64 result = KeepDigitsAndSeparators(trimmed).toLongLong(&ok, 10);
    return ok ? result : 0;
}

QList<QStringView> TextLineViews(QStringView text)
{
    // One pass over the text: a line ends at CR LF, CR or LF.
    QList<QStringView> lines;
    const qsizetype size = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t ch = text[i].unicode();
        if (ch != u'\n' && ch != u'\r')
            continue;
        lines.append(text.sliced(start, i - start));
        if (ch == u'\r' && i + 1 < size && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.sliced(start));
    return lines;
}

QList<QByteArrayView> TextLineViews(QByteArrayView text)
{
    // From one LF to the next with memchr; a CR before it ends the line with it, a CR elsewhere
    // ends a line by itself.
    QList<QByteArrayView> lines;
    const char *start = text.data();
    const char *const end = start + text.size();
    while (start < end) {
        const auto *lf = static_cast<const char *>(std::memchr(start, '\n', size_t(end - start)));
        const char *const stop = lf ? lf : end;
        const auto *cr = static_cast<const char *>(std::memchr(start, '\r', size_t(stop - start)));
        if (cr && cr + 1 < stop) {
            lines.append(QByteArrayView(start, cr));
            start = cr + 1;
            continue;
        }
        lines.append(QByteArrayView(start, cr ? cr : stop));
        start = stop + (lf ? 1 : 0);
    }
    return lines;
}

QStringList SplitTextLines(const QString &text)
{
    QStringList lines;
    for (const QStringView line : TextLineViews(text))
        lines.append(line.toString());
    return lines;
}

QString JoinLines(const QString &text, const QString &separator)
{
    QString result;
    for (const QString &line : SplitTextLines(text)) {
        result += line;
        result += separator;
    }
    return result;
}

QString SafeFileName(const QString &text)
{
    static const QString kToDash = QStringLiteral(" !\"#%&'*+/:?@\\");
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (kToDash.contains(ch)) {
            result.append(u'-');
            continue;
        }
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            // One character outside the basic plane: one unwritable 8-bit character.
            result.append(u'_');
            ++i;
            continue;
        }
        const int code = Cp1250Code(ch);
        if (code < 0 || (code >= 0x81 && code <= 0xFF))
            result.append(u'_');
        else
            result.append(ch);
    }
    return result.toLower();
}

double SafeDivide(double a, double b)
{
    return b == 0 ? 0 : a / b;
}

QRect ShrinkRect(const QRect &rect)
{
    return rect.adjusted(1, 1, -1, -1);
}

void ListFiles(const QString &mask, QStringList &target)
{
    const QFileInfo info(mask);
    QString pattern = info.fileName();
    if (pattern.isEmpty())
        return;
    if (pattern == u"*.*")
        pattern = QStringLiteral("*");
    // Only "*" and "?" are wildcards; a "[" in the mask is an ordinary character.
    pattern.replace(QStringLiteral("["), QStringLiteral("[[]"));
    QDir dir(info.path());
    if (!dir.exists())
        return;
    // Set as a one-element list: a mask may contain blanks or ";", which QDir would otherwise
    // take as several patterns.
    dir.setNameFilters({pattern});
    dir.setFilter(QDir::Files | QDir::Hidden);
    dir.setSorting(QDir::Unsorted);
    target.append(dir.entryList());
}

QUrl ShellOpenUrl(const QString &target, const QString &programFolder)
{
    const QString trimmed = target.trimmed();
    if (trimmed.isEmpty())
        return {};
    for (const char *scheme : {"http:", "https:", "mailto:"}) {
        if (trimmed.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return QUrl(trimmed, QUrl::TolerantMode);
    }
    if (QDir::isRelativePath(trimmed) && !programFolder.isEmpty())
        return QUrl::fromLocalFile(QDir::cleanPath(QDir(programFolder).absoluteFilePath(trimmed)));
    return QUrl::fromLocalFile(trimmed);
}

void ShellOpen(const QString &target, const QString &programFolder)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    const QUrl url = ShellOpenUrl(target, programFolder);
    if (!url.isEmpty())
        QDesktopServices::openUrl(url);
}

QString SetWhereLine(QStringList &lines, const QString &condition)
{
    return ReplaceFirstLine(lines, QLatin1String("WHERE"), QStringLiteral("WHERE ") + condition);
}

QString SetOrderByLine(QStringList &lines, const QString &expression)
{
    return ReplaceFirstLine(lines, QLatin1String("ORDER"),
                            QStringLiteral("ORDER BY ") + expression + u';');
}

} // namespace kartevo
