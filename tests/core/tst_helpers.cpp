#include "core/error.h"
#include "core/helpers.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace kartevo;
using namespace Qt::StringLiterals;

namespace {

// A NULL of a given type, as the database layer hands out for an empty column.
QVariant TypedNull(QMetaType type)
{
    return QVariant(type);
}

// Makes the given locale the default for one test and puts the previous one back afterwards.
class DefaultLocale {
public:
    explicit DefaultLocale(const QString &name) : m_saved(QLocale())
    {
        QLocale::setDefault(QLocale(name));
    }
    ~DefaultLocale() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

} // namespace

class TestHelpers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(TypedNull(QMetaType::fromType<int>()).isNull());
        QCOMPARE(QLocale(u"hu_HU"_s).decimalPoint(), u","_s);
    }

    // --- values -------------------------------------------------------------------------------

    void nullToStr_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("invalid") << QVariant() << u"-"_s;
        QTest::newRow("null int") << TypedNull(QMetaType::fromType<int>()) << u"-"_s;
        QTest::newRow("null text") << TypedNull(QMetaType::fromType<QString>()) << u"-"_s;
        QTest::newRow("empty text is not NULL") << QVariant(u""_s) << QString();
        QTest::newRow("text") << QVariant(u"Győr"_s) << u"Győr"_s;
        QTest::newRow("int") << QVariant(42) << u"42"_s;
        QTest::newRow("zero") << QVariant(0) << u"0"_s;
        QTest::newRow("double") << QVariant(12.5) << u"12.5"_s;
    }
    void nullToStr()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, expected);
        QCOMPARE(NullToStr(value, u"-"_s), expected);
    }

    void nullToInt_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("invalid") << QVariant() << qint64(-1);
        QTest::newRow("null int") << TypedNull(QMetaType::fromType<int>()) << qint64(-1);
        QTest::newRow("null double") << TypedNull(QMetaType::fromType<double>()) << qint64(-1);
        QTest::newRow("int") << QVariant(42) << qint64(42);
        QTest::newRow("zero") << QVariant(0) << qint64(0);
        QTest::newRow("64-bit") << QVariant(qint64(5000000000)) << qint64(5000000000);
        QTest::newRow("unsigned") << QVariant(4000000000u) << qint64(4000000000);
        QTest::newRow("bool") << QVariant(true) << qint64(1);
        QTest::newRow("double rounds") << QVariant(2.6) << qint64(3);
        QTest::newRow("negative half away from zero") << QVariant(-2.5) << qint64(-3);
        QTest::newRow("text") << QVariant(u"-17"_s) << qint64(-17);
        QTest::newRow("text with blanks") << QVariant(u" 42 "_s) << qint64(42);
        QTest::newRow("bytes") << QVariant(QByteArray("12")) << qint64(12);
    }
    void nullToInt()
    {
        QFETCH(QVariant, value);
        QFETCH(qint64, expected);
        QCOMPARE(NullToInt(value, -1), expected);
    }

    void nullToIntThrows_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << QVariant(u"abc"_s) << u"'abc' nem érvényes egész szám"_s;
        QTest::newRow("empty text") << QVariant(u""_s) << u"'' nem érvényes egész szám"_s;
        QTest::newRow("fraction text") << QVariant(u"12.5"_s) << u"'12.5' nem érvényes egész szám"_s;
        QTest::newRow("grouped text") << QVariant(u"1 000"_s) << u"'1 000' nem érvényes egész szám"_s;
        QTest::newRow("date") << QVariant(QDate(2010, 3, 1)) << u"'2010-03-01' nem érvényes egész szám"_s;
        QTest::newRow("too big double") << QVariant(1e30) << u"'1e+30' nem érvényes egész szám"_s;
        QTest::newRow("too big unsigned")
            << QVariant(std::numeric_limits<quint64>::max())
            << u"'18446744073709551615' nem érvényes egész szám"_s;
    }
    void nullToIntThrows()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, message);
        try {
            NullToInt(value);
            QFAIL("no exception");
        } catch (const Error &error) {
            QCOMPARE(error.message(), message);
        }
    }

    void nullToFloat_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("invalid") << u"C"_s << QVariant() << -1.0;
        QTest::newRow("null double") << u"C"_s << TypedNull(QMetaType::fromType<double>()) << -1.0;
        QTest::newRow("double") << u"C"_s << QVariant(12.5) << 12.5;
        QTest::newRow("int") << u"C"_s << QVariant(7) << 7.0;
        QTest::newRow("text point") << u"C"_s << QVariant(u" 12.5 "_s) << 12.5;
        QTest::newRow("text point, comma locale") << u"hu_HU"_s << QVariant(u"12.5"_s) << 12.5;
        QTest::newRow("text comma, comma locale") << u"hu_HU"_s << QVariant(u"-12,5"_s) << -12.5;
    }
    void nullToFloat()
    {
        QFETCH(QString, locale);
        QFETCH(QVariant, value);
        QFETCH(double, expected);
        const DefaultLocale scope(locale);
        QCOMPARE(NullToFloat(value, -1), expected);
    }

    void nullToFloatThrows_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("letters") << u"C"_s << QVariant(u"abc"_s);
        QTest::newRow("empty text") << u"C"_s << QVariant(u""_s);
        QTest::newRow("comma, point locale") << u"C"_s << QVariant(u"12,5"_s);
        QTest::newRow("grouped") << u"en_US"_s << QVariant(u"1,234.5"_s);
        QTest::newRow("grouped, comma locale") << u"hu_HU"_s << QVariant(u"1.234,5"_s);
        QTest::newRow("date") << u"C"_s << QVariant(QDate(2010, 3, 1));
    }
    void nullToFloatThrows()
    {
        QFETCH(QString, locale);
        QFETCH(QVariant, value);
        const DefaultLocale scope(locale);
        QVERIFY_THROWS_EXCEPTION(Error, NullToFloat(value));
    }

    // --- texts --------------------------------------------------------------------------------

    void delimitedField_data()
    {
        QTest::addColumn<QString>("delimiters");
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first") << u";"_s << u"a;;c"_s << 1 << u"a"_s;
        QTest::newRow("empty between") << u";"_s << u"a;;c"_s << 2 << QString();
        QTest::newRow("last") << u";"_s << u"a;;c"_s << 3 << u"c"_s;
        QTest::newRow("beyond last") << u";"_s << u"a;;c"_s << 4 << QString();
        QTest::newRow("zero") << u";"_s << u"a;;c"_s << 0 << QString();
        QTest::newRow("negative") << u";"_s << u"a;;c"_s << -1 << QString();
        QTest::newRow("trailing delimiter") << u";"_s << u"a;"_s << 2 << QString();
        QTest::newRow("after trailing") << u";"_s << u"a;"_s << 3 << QString();
        QTest::newRow("leading delimiter") << u";"_s << u";b"_s << 2 << u"b"_s;
        QTest::newRow("several delimiters") << u";,\t"_s << u"a,b\tc;d"_s << 3 << u"c"_s;
        QTest::newRow("quotes are ordinary") << u";"_s << u"\"x;y\";z"_s << 2 << u"y\""_s;
        QTest::newRow("blanks kept") << u";"_s << u" a ; b "_s << 2 << u" b "_s;
        QTest::newRow("no delimiters") << QString() << u"a;b"_s << 1 << u"a;b"_s;
        QTest::newRow("empty line") << u";"_s << QString() << 1 << QString();
    }
    void delimitedField()
    {
        QFETCH(QString, delimiters);
        QFETCH(QString, line);
        QFETCH(int, n);
        QFETCH(QString, expected);
        QCOMPARE(DelimitedField(delimiters, line, n), expected);
    }

    // Lines end at CR LF, LF or a CR by itself, in text and in UTF-8 bytes alike.
    void textLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("every ending") << QStringLiteral("a\r\nb\nc\rd") << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
        QTest::newRow("empty lines") << QStringLiteral("\n\r\r\n\n") << QStringList{QString(), QString(), QString(), QString()};
        QTest::newRow("CR before CR LF") << QStringLiteral("Ő\r\r\nű") << QStringList{u"Ő"_s, QString(), u"ű"_s};
        QTest::newRow("a CR at the end") << QStringLiteral("a\r") << QStringList{u"a"_s};
        QTest::newRow("no ending") << QStringLiteral("abc") << QStringList{u"abc"_s};
        QTest::newRow("nothing") << QString() << QStringList();
    }
    void textLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(SplitTextLines(text), lines);
        const QByteArray bytes = text.toUtf8();
        QStringList fromBytes;
        for (const QByteArrayView line : TextLineViews(QByteArrayView(bytes)))
            fromBytes.append(QString::fromUtf8(line));
        QCOMPARE(fromBytes, lines);
    }

    void padLeft_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("NULL") << QVariant() << 6 << u"      "_s;
        QTest::newRow("shorter") << QVariant(u"abc"_s) << 5 << u"  abc"_s;
        QTest::newRow("exact") << QVariant(u"abc"_s) << 3 << u"abc"_s;
        QTest::newRow("longer unchanged") << QVariant(u"abcdef"_s) << 3 << u"abcdef"_s;
        QTest::newRow("number") << QVariant(12) << 4 << u"  12"_s;
        QTest::newRow("zero width") << QVariant(u"x"_s) << 0 << u"x"_s;
    }
    void padLeft()
    {
        QFETCH(QVariant, value);
        QFETCH(int, width);
        QFETCH(QString, expected);
        QCOMPARE(PadLeft(value, width), expected);
    }

    void characterEdits()
    {
        QCOMPARE(ReplaceChar(QVariant(u"12.5.3"_s), u'.', u','), u"12,5,3"_s);
        QCOMPARE(ReplaceChar(QVariant(), u'.', u','), QString());
        QCOMPARE(ReplaceChar(QVariant(2.5), u'.', u','), u"2,5"_s);
        QCOMPARE(RemoveSpaces(u" a b\tc  "_s), u"ab\tc"_s);
        QCOMPARE(RemoveChar(u'ő', u"őrző"_s), u"rz"_s);
        QCOMPARE(RemoveChar(u'x', QString()), QString());
        QCOMPARE(CountChar(u';', u";a;;b"_s), 3);
        QCOMPARE(CountChar(u'A', u"aaa"_s), 0);
    }

    void keepChars_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("numberChars");
        QTest::addColumn<QString>("digitsAndSeparators");
        QTest::newRow("mixed") << u"a-1,2.3 b€9+"_s << u"-1,2.39"_s << u"1,2.39"_s;
        QTest::newRow("nothing kept") << u"abc +e"_s << QString() << QString();
        QTest::newRow("non-ASCII digits dropped") << u"١٢3²"_s << u"3"_s << u"3"_s;
        QTest::newRow("empty") << QString() << QString() << QString();
    }
    void keepChars()
    {
        QFETCH(QString, text);
        QFETCH(QString, numberChars);
        QFETCH(QString, digitsAndSeparators);
        QCOMPARE(KeepNumberChars(text), numberChars);
        QCOMPARE(KeepDigitsAndSeparators(text), digitsAndSeparators);
    }

    void parseFloatLoose_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        for (const QString &locale : {u"C"_s, u"en_US"_s, u"hu_HU"_s, u"de_DE"_s}) {
            auto row = [&locale](const char *name, const QString &text, double expected) {
                QTest::addRow("%s %s", qPrintable(locale), name) << locale << text << expected;
            };
            row("comma with unit", u"12,5 mm"_s, 12.5);
            row("point", u"12.5"_s, 12.5);
            row("grouped is rejected", u"1.234,5"_s, 0);
            row("two commas", u"1,234,5"_s, 0);
            row("comma alone is decimal", u"1,234"_s, 1.234);
            row("negative", u" -3,25 "_s, -3.25);
            row("blanks dropped", u"1 234"_s, 1234);
            row("empty", QString(), 0);
            row("blank", u"   "_s, 0);
            row("letters", u"abc"_s, 0);
            row("minus behind", u"5-"_s, 0);
        }
    }
    void parseFloatLoose()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(double, expected);
        const DefaultLocale scope(locale);
        QCOMPARE(ParseFloatLoose(text), expected);
    }

    void parseIntLoose_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("with unit") << u"3 db"_s << qint64(3);
        QTest::newRow("sign dropped") << u"-5"_s << qint64(5);
        QTest::newRow("decimal comma") << u"2,5"_s << qint64(0);
        QTest::newRow("group point") << u"1.000"_s << qint64(0);
        QTest::newRow("blanks") << u" 12 "_s << qint64(12);
        QTest::newRow("digits scattered") << u"a1b2"_s << qint64(12);
        QTest::newRow("leading zeros decimal") << u"010"_s << qint64(10);
        QTest::newRow("64-bit") << u"5000000000"_s << qint64(5000000000);
        QTest::newRow("overflow") << u"99999999999999999999"_s << qint64(0);
        QTest::newRow("empty") << QString() << qint64(0);
        QTest::newRow("letters") << u"abc"_s << qint64(0);
    }
    void parseIntLoose()
    {
        QFETCH(QString, text);
        QFETCH(qint64, expected);
        QCOMPARE(ParseIntLoose(text), expected);
    }

    void joinLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("one line") << u"a"_s << u"a, "_s;
        QTest::newRow("CR LF") << u"a\r\nb"_s << u"a, b, "_s;
        QTest::newRow("final break") << u"a\nb\n"_s << u"a, b, "_s;
        QTest::newRow("mixed breaks") << u"a\rb\r\n\nc"_s << u"a, b, , c, "_s;
        QTest::newRow("empty line at end") << u"a\r\n\r\n"_s << u"a, , "_s;
        QTest::newRow("only a break") << u"\n"_s << u", "_s;
    }
    void joinLines()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(JoinLines(text, u", "_s), expected);
    }

    void safeFileName_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("example") << u"Ügyfelek 2010/3"_s << u"_gyfelek-2010-3"_s;
        QTest::newRow("punctuation") << u" !\"#%&'*+/:?@\\"_s << u"--------------"_s;
        QTest::newRow("others stay") << u"a(b)[c]$~-_.,;=^`{}<>|"_s << u"a(b)[c]$~-_.,;=^`{}<>|"_s;
        QTest::newRow("accents") << u"Árvíztűrő"_s << u"_rv_zt_r_"_s;
        QTest::newRow("euro stays") << u"€URO"_s << u"€uro"_s;
        QTest::newRow("low high codes") << u"\u201A\u0160\u00A0"_s << u"___"_s;
        QTest::newRow("not in code page") << u"漢字.txt"_s << u"__.txt"_s;
        QTest::newRow("outside basic plane") << u"a😀b"_s << u"a_b"_s;
        QTest::newRow("empty") << QString() << QString();
    }
    void safeFileName()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(SafeFileName(text), expected);
    }

    // --- numbers and geometry -----------------------------------------------------------------

    void ifThenValue()
    {
        static_assert(std::is_same_v<decltype(IfThenValue(true, 1, 2.5)), double>);
        QCOMPARE(IfThenValue(true, 1, 2.5), 1.0);
        QCOMPARE(IfThenValue(false, 1, 2.5), 2.5);
        const QString yes = u"igen"_s;
        QCOMPARE(IfThenValue(true, yes, QLatin1String("nem")), u"igen"_s);
        QCOMPARE(IfThenValue(false, yes, QLatin1String("nem")), u"nem"_s);
    }

    void safeDivide_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<double>("expected");
        QTest::newRow("ordinary") << 7.0 << 2.0 << 3.5;
        QTest::newRow("negative") << -6.0 << 4.0 << -1.5;
        QTest::newRow("by zero") << 5.0 << 0.0 << 0.0;
        QTest::newRow("by minus zero") << -5.0 << -0.0 << 0.0;
        QTest::newRow("zero by zero") << 0.0 << 0.0 << 0.0;
    }
    void safeDivide()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(double, expected);
        QCOMPARE(SafeDivide(a, b), expected);
    }

    void shrinkRect_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("ordinary") << QRect(10, 20, 100, 50) << QRect(11, 21, 98, 48);
        QTest::newRow("negative origin") << QRect(-5, -5, 10, 10) << QRect(-4, -4, 8, 8);
        QTest::newRow("two pixels") << QRect(0, 0, 2, 2) << QRect(1, 1, 0, 0);
    }
    void shrinkRect()
    {
        QFETCH(QRect, rect);
        QFETCH(QRect, expected);
        const QRect result = ShrinkRect(rect);
        QCOMPARE(result, expected);
        QCOMPARE(result.left(), rect.left() + 1);
        QCOMPARE(result.top(), rect.top() + 1);
        QCOMPARE(result.right(), rect.right() - 1);
        QCOMPARE(result.bottom(), rect.bottom() - 1);
    }

    // --- files and the shell ------------------------------------------------------------------

    void listFiles_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QStringList>("expected");
        const QStringList allIni = {u".rejtett.ini"_s, u"B.INI"_s, u"a.ini"_s, u"my file.ini"_s,
                                    u"x[1].ini"_s};
        QTest::newRow("wildcard, any case") << u"*.ini"_s << allIni;
        QTest::newRow("upper-case mask") << u"*.INI"_s << allIni;
        QTest::newRow("question mark") << u"?.ini"_s << QStringList{u"B.INI"_s, u"a.ini"_s};
        QTest::newRow("exact name") << u"c.txt"_s << QStringList{u"c.txt"_s};
        QTest::newRow("bracket is ordinary") << u"x[1].ini"_s << QStringList{u"x[1].ini"_s};
        QTest::newRow("blank in mask") << u"my file.ini"_s << QStringList{u"my file.ini"_s};
        QTest::newRow("all files") << u"*.*"_s << (allIni + QStringList{u"c.txt"_s, u"noext"_s});
        QTest::newRow("no match") << u"*.xyz"_s << QStringList();
        QTest::newRow("missing folder") << u"nincs/*.ini"_s << QStringList();
        QTest::newRow("folder only") << QString() << QStringList();
    }
    void listFiles()
    {
        QFETCH(QString, mask);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList files = {u"a.ini"_s, u"B.INI"_s, u".rejtett.ini"_s, u"c.txt"_s,
                                   u"x[1].ini"_s, u"my file.ini"_s, u"noext"_s};
        for (const QString &name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir(u"alkonyvtar.ini"_s));

        QStringList target = {u"marad"_s};
        ListFiles(dir.path() + u'/' + mask, target);
        QCOMPARE(target.value(0), u"marad"_s);
        QStringList found = target.mid(1);
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
    }

    void shellOpenUrl_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QUrl>("expected");
        QTest::newRow("web") << u"http://example.hu/a?b=1"_s << QString()
                             << QUrl(u"http://example.hu/a?b=1"_s);
        QTest::newRow("secure web, upper case") << u"HTTPS://example.hu"_s << u"/opt/kartevo"_s
                                                << QUrl(u"https://example.hu"_s);
        QTest::newRow("mail") << u"mailto:iroda@example.hu"_s << QString()
                              << QUrl(u"mailto:iroda@example.hu"_s);
        QTest::newRow("absolute file") << u"/opt/kartevo/súgó.pdf"_s << u"/srv"_s
                                       << QUrl::fromLocalFile(u"/opt/kartevo/súgó.pdf"_s);
        QTest::newRow("relative file") << u"doc/leírás #2.pdf"_s << u"/opt/kartevo"_s
                                       << QUrl::fromLocalFile(u"/opt/kartevo/doc/leírás #2.pdf"_s);
        QTest::newRow("blanks trimmed") << u"  http://example.hu "_s << QString()
                                        << QUrl(u"http://example.hu"_s);
        QTest::newRow("empty") << QString() << u"/opt/kartevo"_s << QUrl();
    }
    void shellOpenUrl()
    {
        QFETCH(QString, target);
        QFETCH(QString, programFolder);
        QFETCH(QUrl, expected);
        QCOMPARE(ShellOpenUrl(target, programFolder), expected);
    }

    // --- SQL lines ----------------------------------------------------------------------------

    void sqlLines_data()
    {
        QTest::addColumn<bool>("orderBy");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QStringList>("expected");
        const QStringList query = {u"SELECT * FROM ugyfel"_s, u"WHERE ugyfel>0"_s, u"ORDER BY 1;"_s};
        QTest::newRow("where") << false << query << u"(jelolve='I')"_s
                               << QStringList{query[0], u"WHERE (jelolve='I')"_s, query[2]};
        QTest::newRow("order") << true << query << u"nev, irsz"_s
                               << QStringList{query[0], query[1], u"ORDER BY nev, irsz;"_s};
        QTest::newRow("where, any case")
            << false << QStringList{u"select 1"_s, u"where x=1 -- régi"_s} << u"y=2"_s
            << QStringList{u"select 1"_s, u"WHERE y=2"_s};
        QTest::newRow("only the first where")
            << false << QStringList{u"WHERE a"_s, u"WHERE b"_s} << u"c"_s
            << QStringList{u"WHERE c"_s, u"WHERE b"_s};
        QTest::newRow("indented where not found")
            << false << QStringList{u"SELECT 1"_s, u"  WHERE x"_s} << u"y"_s
            << QStringList{u"SELECT 1"_s, u"  WHERE x"_s};
        QTest::newRow("no order line")
            << true << QStringList{u"SELECT 1"_s, u"WHERE x"_s} << u"2"_s
            << QStringList{u"SELECT 1"_s, u"WHERE x"_s};
        QTest::newRow("order, lower case") << true << QStringList{u"order by 1;"_s} << u"2 DESC"_s
                                           << QStringList{u"ORDER BY 2 DESC;"_s};
        QTest::newRow("empty list") << false << QStringList() << u"x"_s << QStringList();
    }
    void sqlLines()
    {
        QFETCH(bool, orderBy);
        QFETCH(QStringList, lines);
        QFETCH(QString, argument);
        QFETCH(QStringList, expected);
        const QString text = orderBy ? SetOrderByLine(lines, argument) : SetWhereLine(lines, argument);
        QCOMPARE(lines, expected);
        QString expectedText;
        for (const QString &line : expected)
            expectedText += line + u'\n';
        QCOMPARE(text, expectedText);
    }
};

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_helpers.moc"
