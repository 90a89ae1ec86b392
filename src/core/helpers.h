#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <type_traits>
#include <utility>

namespace kartevo {

// ---------------------------------------------------------------------------------------------
// Values and texts
//
// A "value" is a QVariant coming from the database or a form field; it is NULL when it is
// invalid or holds no initialised value (IsNullValue).
// ---------------------------------------------------------------------------------------------

bool IsNullValue(const QVariant &value);

// def when NULL, else value.toString().
QString NullToStr(const QVariant &value, const QString &def = {});

// def when NULL, else the value as an integer. Whole-number types are taken as they are, bool
// gives 0 or 1, floating numbers are rounded to the nearest whole (halves away from zero), texts
// must hold a decimal integer (blanks around it are allowed). Anything else throws Error.
qint64 NullToInt(const QVariant &value, qint64 def = 0);

// def when NULL, else the value as a floating number. Texts are read with "." as decimal point
// first, then with the decimal separator of the default locale (never with group separators).
// A value that is not a number throws Error.
double NullToFloat(const QVariant &value, double def = 0);

// The n-th field (counted from 1) of the line. Each character of the line that is one of the
// delimiter characters ends a field; there is no quoting. Two delimiters in a row make an empty
// field; asking for a field beyond the last one (or n < 1) gives an empty text.
QString DelimitedField(const QString &delimiters, const QString &line, int n);

// The text of the value (empty for NULL) with every a replaced by b.
QString ReplaceChar(const QVariant &value, QChar a, QChar b);

// The text of the value (empty for NULL) with spaces in front up to at least width characters.
// A longer text is returned unchanged.
QString PadLeft(const QVariant &value, int width);

// Removes the space characters (U+0020 only; tabs and other blanks stay).
QString RemoveSpaces(const QString &text);
QString RemoveChar(QChar c, const QString &text);
int CountChar(QChar c, const QString &text);

// Keeps only "," "-" "." and the digits 0-9, in their order.
QString KeepNumberChars(const QString &text);
// Keeps only "," "." and the digits 0-9, in their order.
QString KeepDigitsAndSeparators(const QString &text);

// Reads a number typed by a user with anything around it ("12,5 mm"). Either "," or "." may be
// the decimal separator; group separators are not accepted, so "1.234,5" gives 0. Empty or
// unreadable text gives 0. Uses the default locale (QLocale()).
double ParseFloatLoose(const QString &text);

// Reads a whole number typed by a user with anything around it ("3 db" gives 3). Signs are
// dropped ("-5" gives 5); a text with a decimal or group separator in it ("2,5") gives 0, as
// does an empty or unreadable one.
qint64 ParseIntLoose(const QString &text);

// The lines of a text: a line ends at CR LF, LF or CR; a line break at the very end does not
// make an extra empty line, and an empty text has no line at all.
QStringList SplitTextLines(const QString &text);
// The same lines as views into the text, for a large text read once.
QList<QStringView> TextLineViews(QStringView text);
QList<QByteArrayView> TextLineViews(QByteArrayView text);

// Each line of the text followed by the separator. Lines end at CR LF, LF or CR; a line break
// at the very end does not make an extra empty line. An empty text gives an empty text.
QString JoinLines(const QString &text, const QString &separator);

// A file name made from any text: space ! " # % & ' * + / : ? @ \ become "-", characters that
// would be an 8-bit code above 0x80 in code page 1250 (or cannot be written in it at all)
// become "_", and the result is lower-cased. "Ügyfelek 2010/3" gives "_gyfelek-2010-3".
QString SafeFileName(const QString &text);

// a when flag is set, else b. Both are evaluated (it is a function, not an operator).
template <typename A, typename B>
std::common_type_t<std::decay_t<A>, std::decay_t<B>> IfThenValue(bool flag, A &&a, B &&b)
{
    using Result = std::common_type_t<std::decay_t<A>, std::decay_t<B>>;
    return flag ? Result(std::forward<A>(a)) : Result(std::forward<B>(b));
}

// a / b, or 0 when b is 0.
double SafeDivide(double a, double b);

// The rectangle one pixel smaller on every side, in QRect's own terms: left() and top() grow
// by 1, right() and bottom() (the last pixel column/row inside, i.e. left() + width() - 1)
// shrink by 1, so width and height both become 2 smaller.
QRect ShrinkRect(const QRect &rect);

// ---------------------------------------------------------------------------------------------
// Files and the shell
// ---------------------------------------------------------------------------------------------

// Appends to target the names (without folder) of the ordinary files that match mask, a folder
// and a wildcard such as dataFolder + "/Lang/*.ini". The wildcard is matched case-insensitively
// ("*.ini" finds "HU.INI" too); "*.*" means every file. Hidden files that match are listed;
// folders, "." and ".." never. The names come in the file system's order (unsorted). Nothing is
// appended when nothing matches or the folder does not exist.
void ListFiles(const QString &mask, QStringList &target);

// The address ShellOpen opens for target: "http:", "https:" and "mailto:" addresses (scheme in
// any case) as given, anything else as a local file; a relative path is taken inside
// programFolder when one is given. An empty target gives an empty QUrl.
QUrl ShellOpenUrl(const QString &target, const QString &programFolder = {});

// Opens a file, program, web address or mailto: address with the desktop's default handler.
// Failures are not reported. Does nothing without a GUI application object.
void ShellOpen(const QString &target, const QString &programFolder);

// ---------------------------------------------------------------------------------------------
// SQL text kept as a list of lines
// ---------------------------------------------------------------------------------------------

// Replaces the first line that starts with "WHERE" (any case, at its very first character; a
// line with blanks in front is not recognised) by "WHERE " + condition. Without such a line the
// list stays as it is. Returns the whole text, each line ended by "\n".
QString SetWhereLine(QStringList &lines, const QString &condition);

// The same for the first line that starts with "ORDER": it becomes
// "ORDER BY " + expression + ";".
QString SetOrderByLine(QStringList &lines, const QString &expression);

} // namespace kartevo
