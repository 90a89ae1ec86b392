#include "core/error.h"
#include "core/settings.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <limits>

using namespace kartevo;
using namespace kartevo::test;
using namespace Qt::StringLiterals;

namespace {

// "Section/Key" for every key line of the file, in file order, and the values by that name.
struct KeyLines {
    QStringList names;
    QHash<QString, QString> values;
};

KeyLines ParseKeyLines(const QByteArray &bytes)
{
    KeyLines result;
    QString section;
    for (const QByteArray &line : bytes.split('\n')) {
        const QString text = QString::fromLatin1(line).trimmed();
        if (text.startsWith(u'[')) {
            section = text.mid(1, text.indexOf(u']') - 1);
        } else if (text.contains(u'=') && !text.startsWith(u';')) {
            const QString name = section + u'/' + text.section(u'=', 0, 0);
            result.names.append(name);
            result.values.insert(name, text.section(u'=', 1));
        }
    }
    return result;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_dataFolder;
    int m_counter = 0;

    QString freshIni() { return m_dir.filePath(QStringLiteral("kartevo%1.ini").arg(++m_counter)); }
    QString iniWith(const QByteArray &bytes)
    {
        const QString fileName = freshIni();
        WriteBytes(fileName, bytes);
        return fileName;
    }
    TBeall defaultsFor(const QString &dataFolder) const
    {
        TBeall expected;
        expected.Path = dataFolder + u"/Kartevo.sqb"_s;
        expected.HtmlPath = dataFolder + u"/Html"_s;
        return expected;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_dataFolder = m_dir.filePath(QStringLiteral("data"));
        QVERIFY(QDir().mkpath(m_dataFolder));
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void missingFileGivesDefaults()
    {
        const QString fileName = freshIni();
        const TBeall settings = LoadSettings(fileName, m_dataFolder);
        QCOMPARE(settings, defaultsFor(m_dataFolder));
        QCOMPARE(settings.FontSize, 9);
        QCOMPARE(settings.LabelLeft, 7.2);
        QCOMPARE(settings.LabelFont, u"Arial"_s);
        QCOMPARE(settings.l5Top, 125);
        QVERIFY(settings.Only1Sender);
        QVERIFY2(!QFile::exists(fileName), "loading must not create the file");
    }

    void folderFallbacks_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expectedPath");
        QTest::addColumn<QString>("expectedHtml");

        // "@" stands for the temporary folder, "~" for the data folder.
        QTest::newRow("both empty") << QByteArray("[Database]\r\nPath=\r\n[Defaults]\r\nHtmlPath=\r\n")
                                    << u"~/Kartevo.sqb"_s << u"~/Html"_s;
        QTest::newRow("existing html folder kept")
            << QByteArray("[Defaults]\r\nHtmlPath=@/export\r\n") << u"~/Kartevo.sqb"_s
            << u"@/export"_s;
        QTest::newRow("missing html folder replaced")
            << QByteArray("[Defaults]\r\nHtmlPath=@/gone\r\n") << u"~/Kartevo.sqb"_s << u"~/Html"_s;
        QTest::newRow("html path naming a file replaced")
            << QByteArray("[Defaults]\r\nHtmlPath=@/plain.txt\r\n") << u"~/Kartevo.sqb"_s
            << u"~/Html"_s;
        QTest::newRow("database path kept even if missing")
            << QByteArray("[Database]\r\nPath=@/nowhere/other.sqb\r\n") << u"@/nowhere/other.sqb"_s
            << u"~/Html"_s;
    }
    void folderFallbacks()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expectedPath);
        QFETCH(QString, expectedHtml);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("export")));
        WriteBytes(m_dir.filePath(QStringLiteral("plain.txt")), "x");
        const QByteArray root = QFile::encodeName(m_dir.path());
        const QString fileName = iniWith(content.replace("@", root));
        const auto resolve = [&](QString text) {
            return text.replace(u'@', m_dir.path()).replace(u'~', m_dataFolder);
        };

        const TBeall settings = LoadSettings(fileName, m_dataFolder);
        QCOMPARE(settings.Path, resolve(expectedPath));
        QCOMPARE(settings.HtmlPath, resolve(expectedHtml));
    }

    void valuesFromFile()
    {
        QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
        const QString fileName = iniWith("[Screen]\r\nFullScreen=1\r\nFontSize=14\r\n"
                                         "[label]\r\nLEFT = 8,5\r\nTop=15.9\r\nColumn=abc\r\n"
                                         "Font=\"Times New Roman\"\r\nBold=2\r\nItalic=yes\r\n"
                                         "Underline=0\r\nl5Top=130\r\n"
                                         "[Defaults]\r\nOnly1Sender=0\r\nSender=4\r\n"
                                         "[Pictures]\r\ni2=logo.bmp\r\n[Lang]\r\nLang=English\r\n");
        const TBeall settings = LoadSettings(fileName, m_dataFolder);

        TBeall expected = defaultsFor(m_dataFolder);
        expected.FullScreen = true;
        expected.FontSize = 14;
        expected.LabelLeft = 8.5;
        // Top keeps its default: a point is not the Hungarian decimal separator.
        expected.LabelFont = u"Times New Roman"_s;
        expected.LabelBold = true;
        expected.l5Top = 130;
        expected.Only1Sender = false;
        expected.Sender = 4;
        expected.i2 = u"logo.bmp"_s;
        expected.Lang = u"English"_s;
        QCOMPARE(settings, expected);
    }

    void fontSizeIsHeldWithinReadableSizes_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("12 as it is") << QByteArray("12") << 12;
        QTest::newRow("smallest") << QByteArray("6") << 6;
        QTest::newRow("largest") << QByteArray("36") << 36;
        QTest::newRow("0") << QByteArray("0") << 6;
        QTest::newRow("negative") << QByteArray("-5") << 6;
        QTest::newRow("5 is too small") << QByteArray("5") << 6;
        QTest::newRow("37 is too large") << QByteArray("37") << 36;
        QTest::newRow("5000") << QByteArray("5000") << 36;
        QTest::newRow("INT_MIN") << QByteArray("-2147483648") << 6;
        QTest::newRow("text gives the default") << QByteArray("nagy") << 9;
    }
    void fontSizeIsHeldWithinReadableSizes()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        const QString fileName = iniWith("[Screen]\r\nFontSize=" + value + "\r\n");
        QCOMPARE(LoadSettings(fileName, m_dataFolder).FontSize, expected);
    }

    void unreadableBoolWrittenBackNormalised()
    {
        const QString fileName = iniWith("[Label]\r\nBold=2\r\nItalic=yes\r\n");
        SaveSettings(LoadSettings(fileName, m_dataFolder), fileName);
        const KeyLines lines = ParseKeyLines(ReadBytes(fileName));
        QCOMPARE(lines.values.value(u"Label/Bold"_s), u"1"_s);
        QCOMPARE(lines.values.value(u"Label/Italic"_s), u"0"_s);
    }

    void saveWritesEveryKeyInOrder()
    {
        const QString fileName = freshIni();
        SaveSettings(TBeall(), fileName);
        const QByteArray bytes = ReadBytes(fileName);
        const KeyLines lines = ParseKeyLines(bytes);

        const QStringList expected = {
            u"Screen/FullScreen"_s, u"Screen/FontSize"_s,   u"Database/Path"_s,
            u"Defaults/HtmlPath"_s, u"Defaults/Sender"_s,   u"Defaults/Only1Sender"_s,
            u"Defaults/UsePrinter"_s, u"Defaults/SameChar"_s, u"Label/Left"_s,
            u"Label/Top"_s,         u"Label/Height"_s,      u"Label/Column"_s,
            u"Label/Count"_s,       u"Label/Format"_s,      u"Label/Font"_s,        u"Label/Size"_s,
            u"Label/Bold"_s,        u"Label/Italic"_s,      u"Label/Underline"_s,
            u"Label/l1Left"_s,      u"Label/l1Top"_s,       u"Label/l2Left"_s,
            u"Label/l2Top"_s,       u"Label/l3Left"_s,      u"Label/l3Top"_s,
            u"Label/l4Left"_s,      u"Label/l4Top"_s,       u"Label/l5Left"_s,
            u"Label/l5Top"_s,       u"Pictures/i1"_s,       u"Pictures/i2"_s,
            u"Pictures/i3"_s,       u"Lang/Lang"_s,
        };
        QCOMPARE(lines.names, expected);
        QCOMPARE(bytes.count('['), 6); // each section once
        QVERIFY(bytes.startsWith("[Screen]\r\nFullScreen=0\r\nFontSize=9\r\n[Database]\r\nPath=\r\n"));

        const QHash<QString, QString> values = lines.values;
        QCOMPARE(values.value(u"Defaults/Only1Sender"_s), u"1"_s);
        QCOMPARE(values.value(u"Label/Left"_s), u"7.2"_s);
        QCOMPARE(values.value(u"Label/Top"_s), u"15.2"_s);
        QCOMPARE(values.value(u"Label/Height"_s), u"38.1"_s);
        QCOMPARE(values.value(u"Label/Font"_s), u"Arial"_s);
        QCOMPARE(values.value(u"Label/l4Top"_s), u"97"_s);
    }

    void saveKeepsOtherSectionsAndRoundTrips_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("Hungarian") << QLocale(QLocale::Hungarian, QLocale::Hungary);
    }
    void saveKeepsOtherSectionsAndRoundTrips()
    {
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        const QByteArray window = "[MainForm]\r\n; kept as is\r\nLeft=120\r\nTop=80\r\n";
        const QString fileName = iniWith(window + "[Screen]\r\nFontSize=11\r\n");

        TBeall settings = defaultsFor(m_dataFolder);
        settings.FullScreen = true;
        settings.FontSize = 12;
        settings.Path = m_dir.filePath(QStringLiteral("Ügyfelek.sqb"));
        settings.Sender = 3;
        settings.UsePrinter = false;
        settings.LabelLeft = 6.35;
        settings.LabelHeight = 42.3;
        settings.LabelFont = u"Times New Roman"_s;
        settings.LabelItalic = true;
        settings.l3Top = 70;
        settings.i3 = u"bélyegző.bmp"_s;
        settings.Lang = u"Magyar"_s;
        SaveSettings(settings, fileName);

        const QByteArray bytes = ReadBytes(fileName);
        QVERIFY(bytes.startsWith(window));
        QCOMPARE(bytes.count("FontSize="), 1);
        QCOMPARE(LoadSettings(fileName, m_dataFolder), settings);
    }

    void saveFailureNamesTheFile()
    {
        const QString fileName = m_dir.filePath(QStringLiteral("missing/kartevo.ini"));
        try {
            SaveSettings(TBeall(), fileName);
            QFAIL("saving into a missing folder must throw");
        } catch (const Error &error) {
            QVERIFY2(error.message().contains(fileName), qPrintable(error.message()));
        }
    }

    void windowPos()
    {
        const QString fileName = iniWith("[Other]\r\nLeft=1\r\n");
        int left = -1;
        int top = -1;
        LoadWindowPos(fileName, u"MainForm"_s, left, top);
        QCOMPARE(left, 10);
        QCOMPARE(top, 10);

        // Positions are stored and read back as they are, even off the screen.
        SaveWindowPos(fileName, u"MainForm"_s, 5000, -20);
        LoadWindowPos(fileName, u"mainform"_s, left, top);
        QCOMPARE(left, 5000);
        QCOMPARE(top, -20);
        QVERIFY(ReadBytes(fileName).startsWith("[Other]\r\nLeft=1\r\n[MainForm]\r\nLeft=5000\r\nTop=-20\r\n"));
    }

    void windowRect()
    {
        const QString fileName = freshIni();
        const QRect workArea(0, 0, 1024, 768);
        int left = 0, top = 0, width = 400, height = 300;
        LoadWindowRect(fileName, u"Dialog"_s, left, top, width, height, workArea);
        QCOMPARE(QRect(left, top, width, height), QRect(10, 10, 400, 300));

        SaveWindowRect(fileName, u"Dialog"_s, 500, 100, 900, 500);
        QVERIFY(ReadBytes(fileName).contains("Left=500\r\nTop=100\r\nWidth=900\r\nHeight=500\r\n"));
        width = 1;
        height = 1;
        LoadWindowRect(fileName, u"Dialog"_s, left, top, width, height, workArea);
        QCOMPARE(QRect(left, top, width, height), QRect(124, 100, 900, 500));
    }

    void clampWindowRect_data()
    {
        // Windows as {left, top, width, height}: a QRect cannot hold the extreme values.
        using Window = QList<int>;
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<Window>("window");
        QTest::addColumn<Window>("expected");
        constexpr int Min = std::numeric_limits<int>::min();
        constexpr int Max = std::numeric_limits<int>::max();
        const QRect screen(0, 0, 1024, 768);
        QTest::newRow("inside") << screen << Window{10, 20, 300, 200} << Window{10, 20, 300, 200};
        QTest::newRow("touching the edges") << screen << Window{24, 68, 1000, 700} << Window{24, 68, 1000, 700};
        QTest::newRow("too far right") << screen << Window{500, 10, 900, 200} << Window{124, 10, 900, 200};
        QTest::newRow("wider than the screen") << screen << Window{500, 10, 1200, 200} << Window{0, 10, 1024, 200};
        QTest::newRow("exactly as wide") << screen << Window{10, 10, 1024, 200} << Window{0, 10, 1024, 200};
        QTest::newRow("left beyond the screen") << screen << Window{2000, 10, 300, 200} << Window{0, 10, 300, 200};
        QTest::newRow("left on the right edge") << screen << Window{1024, 10, 300, 200} << Window{724, 10, 300, 200};
        QTest::newRow("too low") << screen << Window{10, 600, 300, 400} << Window{10, 368, 300, 400};
        QTest::newRow("taller than the screen") << screen << Window{10, 100, 300, 900} << Window{10, 0, 300, 768};
        QTest::newRow("top beyond the screen") << screen << Window{10, 5000, 300, 200} << Window{10, 0, 300, 200};
        QTest::newRow("both ways") << screen << Window{3000, 3000, 2000, 2000} << Window{0, 0, 1024, 768};
        QTest::newRow("negative position") << screen << Window{-50, -30, 300, 200} << Window{0, 0, 300, 200};
        QTest::newRow("negative position, too wide") << screen << Window{-50, -30, 1100, 800} << Window{0, 0, 1024, 768};
        QTest::newRow("size below 1") << screen << Window{10, 20, 0, -5} << Window{10, 20, 1, 1};

        // The values a damaged or hand-edited file may hold: no sum may overflow.
        QTest::newRow("INT_MAX size") << screen << Window{10, 10, Max, Max} << Window{0, 0, 1024, 768};
        QTest::newRow("INT_MAX position") << screen << Window{Max, Max, 300, 200} << Window{0, 0, 300, 200};
        QTest::newRow("INT_MAX position and size") << screen << Window{Max, Max, Max, Max} << Window{0, 0, 1024, 768};
        QTest::newRow("INT_MIN position") << screen << Window{Min, Min, 300, 200} << Window{0, 0, 300, 200};
        QTest::newRow("INT_MIN position, INT_MAX size") << screen << Window{Min, Min, Max, Max} << Window{0, 0, 1024, 768};
        QTest::newRow("INT_MIN size") << screen << Window{10, 10, Min, Min} << Window{10, 10, 1, 1};
        QTest::newRow("INT_MIN everywhere") << screen << Window{Min, Min, Min, Min} << Window{0, 0, 1, 1};
        QTest::newRow("INT_MAX left, INT_MIN top") << screen << Window{Max, Min, 300, Max} << Window{0, 0, 300, 768};

        // Work areas that do not start at 0, 0: a panel on the left or at the top, a second
        // screen right of the first, a screen left of and above the primary one.
        const QRect panels(100, 40, 1000, 700);
        QTest::newRow("offset work area") << panels << Window{900, 600, 400, 300} << Window{700, 440, 400, 300};
        QTest::newRow("offset work area, too wide") << panels << Window{900, 10, 1200, 300} << Window{100, 40, 1000, 300};
        QTest::newRow("offset work area, left of it") << panels << Window{0, 0, 300, 200} << Window{100, 40, 300, 200};
        const QRect second(1920, 0, 1280, 1000);
        QTest::newRow("second screen, extremes") << second << Window{Min, Min, Max, Max} << Window{1920, 0, 1280, 1000};
        QTest::newRow("second screen, INT_MAX left") << second << Window{Max, 500, 300, 800} << Window{1920, 200, 300, 800};
        QTest::newRow("second screen, on the first") << second << Window{10, 10, 300, 200} << Window{1920, 10, 300, 200};
        const QRect leftAbove(-1280, -200, 1280, 1024);
        QTest::newRow("negative origin, extremes") << leftAbove << Window{Min, Max, Max, 100} << Window{-1280, -200, 1280, 100};
        QTest::newRow("negative origin, inside") << leftAbove << Window{-1000, -100, 300, 200} << Window{-1000, -100, 300, 200};
        QTest::newRow("negative origin, on the primary") << leftAbove << Window{500, 500, 300, 200} << Window{-1280, 500, 300, 200};
    }
    void clampWindowRect()
    {
        QFETCH(QRect, workArea);
        QFETCH(QList<int>, window);
        QFETCH(QList<int>, expected);
        int left = window[0], top = window[1], width = window[2], height = window[3];
        ClampWindowRect(left, top, width, height, workArea);
        QCOMPARE((QList<int>{left, top, width, height}), expected);
        // Whatever came in, the window lies on the work area.
        QVERIFY(left >= workArea.x() && top >= workArea.y());
        QVERIFY(qint64(left) + width <= qint64(workArea.x()) + workArea.width());
        QVERIFY(qint64(top) + height <= qint64(workArea.y()) + workArea.height());
    }

    void windowRectWithASizeBelowOneKeepsTheCurrentSize()
    {
        const QString fileName = iniWith("[Dialog]\r\nLeft=20\r\nTop=30\r\nWidth=0\r\nHeight=-400\r\n");
        int left = 0, top = 0, width = 400, height = 300;
        LoadWindowRect(fileName, u"Dialog"_s, left, top, width, height, QRect(0, 0, 1024, 768));
        QCOMPARE(QRect(left, top, width, height), QRect(20, 30, 400, 300));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
