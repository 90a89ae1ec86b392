#include "core/error.h"
#include "core/inifile.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;
using namespace Qt::StringLiterals;

class TestIniFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // An IniFile over a fresh file holding the given bytes.
    IniFile fileWith(const QByteArray &bytes)
    {
        static int counter = 0;
        const QString fileName = path(QStringLiteral("read%1.ini").arg(++counter));
        WriteBytes(fileName, bytes);
        return IniFile(fileName);
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void missingFileHasNoKeys()
    {
        const QString fileName = path(QStringLiteral("missing.ini"));
        IniFile ini(fileName);
        QCOMPARE(ini.readString(u"A"_s, u"k"_s, u"def"_s), u"def"_s);
        QCOMPARE(ini.readInteger(u"A"_s, u"k"_s, 5), 5);
        QVERIFY(!ini.valueExists(u"A"_s, u"k"_s));
        QVERIFY(ini.sections().isEmpty());

        ini.writeString(u"A"_s, u"k"_s, u"v"_s);
        QVERIFY2(!QFile::exists(fileName), "nothing may reach the disk before save()");
        ini.save();
        QCOMPARE(ReadBytes(fileName), QByteArray("[A]\r\nk=v\r\n"));
    }

    void existingUnreadableFileThrows()
    {
        // A folder in place of the file: reading must fail loudly rather than let a later save
        // replace something we could not read.
        const QString fileName = path(QStringLiteral("folder.ini"));
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("folder.ini")));
        QVERIFY_THROWS_EXCEPTION(Error, IniFile{fileName});
    }

    void readString_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray basic = "[Main]\r\nName=Kov\xE1" "cs\r\n"; // Kovács in code page 1250
        QTest::newRow("plain") << basic << u"Main"_s << u"Name"_s << u"Kovács"_s;
        QTest::newRow("section case") << basic << u"MAIN"_s << u"Name"_s << u"Kovács"_s;
        QTest::newRow("key case") << basic << u"main"_s << u"nAME"_s << u"Kovács"_s;
        QTest::newRow("blank-padded names asked")
            << basic << u" Main "_s << u" Name\t"_s << u"Kovács"_s;
        QTest::newRow("blanks in the file")
            << QByteArray("  [ Main ]  \r\n  Name  =  a b  \t\r\n") << u"Main"_s << u"Name"_s
            << u"a b"_s;
        QTest::newRow("empty value is a value")
            << QByteArray("[Main]\r\nName=\r\n") << u"Main"_s << u"Name"_s << QString();
        QTest::newRow("value holding =")
            << QByteArray("[Main]\r\nName=a=b\r\n") << u"Main"_s << u"Name"_s << u"a=b"_s;
        QTest::newRow("double quotes") << QByteArray("[M]\r\nk= \" x \" \r\n") << u"M"_s
                                       << u"k"_s << u" x "_s;
        QTest::newRow("single quotes")
            << QByteArray("[M]\r\nk='x'\r\n") << u"M"_s << u"k"_s << u"x"_s;
        QTest::newRow("only one pair removed")
            << QByteArray("[M]\r\nk=\"\"x\"\"\r\n") << u"M"_s << u"k"_s << u"\"x\""_s;
        QTest::newRow("unmatched quotes kept")
            << QByteArray("[M]\r\nk=\"x'\r\n") << u"M"_s << u"k"_s << u"\"x'"_s;
        QTest::newRow("lone quote kept")
            << QByteArray("[M]\r\nk=\"\r\n") << u"M"_s << u"k"_s << u"\""_s;
        QTest::newRow("inner quotes kept")
            << QByteArray("[M]\r\nk=a \"b\"\r\n") << u"M"_s << u"k"_s << u"a \"b\""_s;
        QTest::newRow("first duplicate wins")
            << QByteArray("[M]\r\nk=1\r\nK=2\r\n[m]\r\nk=3\r\n") << u"M"_s << u"k"_s << u"1"_s;
        QTest::newRow("key of a repeated section")
            << QByteArray("[M]\r\na=1\r\n[N]\r\n[m]\r\nb=2\r\n") << u"M"_s << u"b"_s << u"2"_s;
        QTest::newRow("LF line ends")
            << QByteArray("[M]\nk=lf\n[N]\nk=x\n") << u"M"_s << u"k"_s << u"lf"_s;
        QTest::newRow("CR line ends")
            << QByteArray("[M]\rk=cr\r[N]\rk=x\r") << u"M"_s << u"k"_s << u"cr"_s;
        QTest::newRow("no final line end")
            << QByteArray("[M]\r\nk=last") << u"M"_s << u"k"_s << u"last"_s;
        QTest::newRow("code page 1250 bytes")
            << QByteArray("[M]\r\nk=\xD5rs\xE9g\r\n") << u"M"_s << u"k"_s << u"Őrség"_s;
        QTest::newRow("header with trailing text")
            << QByteArray("[M] ; main\r\nk=v\r\n") << u"M"_s << u"k"_s << u"v"_s;

        const QString def = u"<def>"_s;
        QTest::newRow("missing key") << basic << u"Main"_s << u"Other"_s << def;
        QTest::newRow("missing section") << basic << u"Other"_s << u"Name"_s << def;
        QTest::newRow("key in another section")
            << QByteArray("[A]\r\nk=1\r\n[B]\r\n") << u"B"_s << u"k"_s << def;
        QTest::newRow("key before any section")
            << QByteArray("k=1\r\n[M]\r\n") << u"M"_s << u"k"_s << def;
        QTest::newRow("commented key") << QByteArray("[M]\r\n;k=1\r\n  ; k=2\r\n") << u"M"_s
                                       << u"k"_s << def;
        QTest::newRow("line without =")
            << QByteArray("[M]\r\nk\r\n") << u"M"_s << u"k"_s << def;
        QTest::newRow("unclosed header is not a section")
            << QByteArray("[A]\r\n[M\r\nk=1\r\n") << u"M"_s << u"k"_s << def;
        QTest::newRow("BOM is not skipped")
            << QByteArray("\xEF\xBB\xBF[M]\r\nk=1\r\n") << u"M"_s << u"k"_s << def;
    }
    void readString()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const IniFile ini = fileWith(content);
        QCOMPARE(ini.readString(section, key, u"<def>"_s), expected);
        QCOMPARE(ini.valueExists(section, key), expected != u"<def>"_s);
    }

    void longValueIsCut()
    {
        const QByteArray longValue(3000, 'x');
        const IniFile ini = fileWith("[M]\r\nexact=" + QByteArray(2047, 'y') + "\r\nlong=\""
                                     + longValue + "\"\r\n");
        QCOMPARE(ini.readString(u"M"_s, u"exact"_s, {}), QString(2047, u'y'));
        // The quotes come off before the cut, so the value is 2047 'x' and no quote.
        QCOMPARE(ini.readString(u"M"_s, u"long"_s, {}), QString(2047, u'x'));
    }

    void readInteger_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        // Every case reads with default -99.
        QTest::newRow("decimal") << QByteArray("42") << 42;
        QTest::newRow("leading zeros are decimal") << QByteArray("010") << 10;
        QTest::newRow("blanks and minus") << QByteArray("  -7  ") << -7;
        QTest::newRow("plus") << QByteArray("+5") << 5;
        QTest::newRow("quoted") << QByteArray("\"14\"") << 14;
        QTest::newRow("hex") << QByteArray("0x1F") << 31;
        QTest::newRow("hex upper") << QByteArray("0XfF") << 255;
        QTest::newRow("int min") << QByteArray("-2147483648") << -2147483647 - 1;
        QTest::newRow("int max") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("yes") << QByteArray("yes") << -99;
        QTest::newRow("empty") << QByteArray("") << -99;
        QTest::newRow("sign only") << QByteArray("-") << -99;
        QTest::newRow("trailing letters") << QByteArray("12abc") << -99;
        QTest::newRow("fraction") << QByteArray("1.5") << -99;
        QTest::newRow("inner blank") << QByteArray("- 5") << -99;
        QTest::newRow("hex digits without 0x") << QByteArray("1F") << -99;
        QTest::newRow("0x alone") << QByteArray("0x") << -99;
        QTest::newRow("overflow") << QByteArray("2147483648") << -99;
        QTest::newRow("far overflow") << QByteArray("99999999999999999999") << -99;
    }
    void readInteger()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        const IniFile ini = fileWith("[M]\r\nk=" + value + "\r\n");
        QCOMPARE(ini.readInteger(u"M"_s, u"k"_s, -99), expected);
    }

    void readBool_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("def");
        QTest::addColumn<bool>("expected");
        QTest::newRow("1") << QByteArray("k=1") << false << true;
        QTest::newRow("2 is true") << QByteArray("k=2") << false << true;
        QTest::newRow("-1 is true") << QByteArray("k=-1") << false << true;
        QTest::newRow("0 over default true") << QByteArray("k=0") << true << false;
        QTest::newRow("yes keeps default false") << QByteArray("k=yes") << false << false;
        QTest::newRow("true keeps default false") << QByteArray("k=true") << false << false;
        QTest::newRow("empty keeps default true") << QByteArray("k=") << true << true;
        QTest::newRow("missing keeps default true") << QByteArray("other=0") << true << true;
    }
    void readBool()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, def);
        QFETCH(bool, expected);
        const IniFile ini = fileWith("[M]\r\n" + content + "\r\n");
        QCOMPARE(ini.readBool(u"M"_s, u"k"_s, def), expected);
    }

    void readFloat_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<double>("expected");
        const QLocale c = QLocale::c();
        const QLocale hu(QLocale::Hungarian, QLocale::Hungary);
        // Every case reads with default -1.
        QTest::newRow("C point") << c << QByteArray(" 7.2 ") << 7.2;
        QTest::newRow("C integer") << c << QByteArray("38") << 38.0;
        QTest::newRow("C exponent") << c << QByteArray("1.5e3") << 1500.0;
        QTest::newRow("C negative") << c << QByteArray("-0.25") << -0.25;
        QTest::newRow("C comma is no separator") << c << QByteArray("7,2") << -1.0;
        QTest::newRow("C grouping rejected") << c << QByteArray("1,234.5") << -1.0;
        QTest::newRow("hu comma") << hu << QByteArray("7,2") << 7.2;
        QTest::newRow("hu point") << hu << QByteArray("7.2") << -1.0;
        QTest::newRow("text") << c << QByteArray("abc") << -1.0;
        QTest::newRow("empty") << c << QByteArray("") << -1.0;
        QTest::newRow("infinity") << c << QByteArray("inf") << -1.0;
        QTest::newRow("nan") << c << QByteArray("nan") << -1.0;
    }
    void readFloat()
    {
        QFETCH(QLocale, locale);
        QFETCH(QByteArray, value);
        QFETCH(double, expected);
        QLocale::setDefault(locale);
        const IniFile ini = fileWith("[M]\r\nk=" + value + "\r\n");
        QCOMPARE(ini.readFloat(u"M"_s, u"k"_s, -1.0), expected);
    }

    void writeFloat_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("written");
        const QLocale c = QLocale::c();
        const QLocale hu(QLocale::Hungarian, QLocale::Hungary);
        QTest::newRow("C") << c << 7.2 << QByteArray("7.2");
        QTest::newRow("C whole") << c << 38.0 << QByteArray("38");
        QTest::newRow("C 15 digits") << c << 0.1 + 0.2 << QByteArray("0.3");
        QTest::newRow("C no grouping") << c << 1234567.5 << QByteArray("1234567.5");
        QTest::newRow("hu") << hu << 7.2 << QByteArray("7,2");
        QTest::newRow("hu no grouping") << hu << 1234567.5 << QByteArray("1234567,5");
        QTest::newRow("hu negative") << hu << -15.25 << QByteArray("-15,25");
    }
    void writeFloat()
    {
        QFETCH(QLocale, locale);
        QFETCH(double, value);
        QFETCH(QByteArray, written);
        QLocale::setDefault(locale);
        const QString fileName = path(QStringLiteral("float.ini"));
        QFile::remove(fileName);
        IniFile ini(fileName);
        ini.writeFloat(u"Label"_s, u"Left"_s, value);
        ini.save();
        QCOMPARE(ReadBytes(fileName), "[Label]\r\nLeft=" + written + "\r\n");
        QCOMPARE(IniFile(fileName).readFloat(u"Label"_s, u"Left"_s, -1.0), value);
    }

    void writeKeepsLayout_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("expected");

        // The file every case starts from; \n stands for the CR LF the file gets on save.
        const QByteArray original = "; settings\n"
                                    "[Screen]\n"
                                    "FullScreen=0\n"
                                    "  fontSize = 9 \n"
                                    "\n"
                                    "; label layout\n"
                                    "[Label]\n"
                                    "Left=7.2\n"
                                    "something odd\n"
                                    "[Empty]\n"
                                    "\n"
                                    "[Window]\n"
                                    "Left=10\n";
        const auto expect = [](QByteArray text) { return text.replace("\n", "\r\n"); };

        QTest::newRow("existing key replaced in place")
            << u"screen"_s << u"FONTSIZE"_s
            << expect(QByteArray(original).replace("  fontSize = 9 ", "fontSize=NEW"));
        QTest::newRow("new key after the section's last key")
            << u"Screen"_s << u"Sender"_s
            << expect(QByteArray(original).replace("fontSize = 9 \n", "fontSize = 9 \nSender=NEW\n"));
        QTest::newRow("new key before an odd line")
            << u"Label"_s << u"Top"_s
            << expect(QByteArray(original).replace("Left=7.2\n", "Left=7.2\nTop=NEW\n"));
        QTest::newRow("new key in a section without keys")
            << u"EMPTY"_s << u"k"_s
            << expect(QByteArray(original).replace("[Empty]\n", "[Empty]\nk=NEW\n"));
        QTest::newRow("same key name, other section")
            << u"Window"_s << u"Left"_s
            << expect(QByteArray(original).replace("[Window]\nLeft=10", "[Window]\nLeft=NEW"));
        QTest::newRow("new section at the end")
            << u"Pictures"_s << u"i1"_s << expect(original + "[Pictures]\ni1=NEW\n");
    }
    void writeKeepsLayout()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, expected);
        const QString fileName = path(QStringLiteral("layout.ini"));
        // Written with LF ends, so the saved file also shows that every line gets CR LF.
        WriteBytes(fileName,
                   "; settings\n[Screen]\nFullScreen=0\n  fontSize = 9 \n\n; label layout\n"
                   "[Label]\nLeft=7.2\nsomething odd\n[Empty]\n\n[Window]\nLeft=10\n");
        IniFile ini(fileName);
        ini.writeString(section, key, u"NEW"_s);
        QCOMPARE(ini.readString(section, key, {}), u"NEW"_s);
        ini.save();
        QCOMPARE(ReadBytes(fileName), expected);
    }

    void writtenValuesRoundTrip()
    {
        const QString fileName = path(QStringLiteral("values.ini"));
        {
            IniFile ini(fileName);
            ini.writeString(u"Szöveg"_s, u"Név"_s, u"Őry Űrsula €"_s);
            ini.writeString(u"Szöveg"_s, u"Kínai"_s, u"a漢b"_s);
            ini.writeString(u"Szöveg"_s, u"Sorok"_s, u"egy\r\nkettő\nhárom"_s);
            ini.writeInteger(u"Számok"_s, u"Neg"_s, -42);
            ini.writeBool(u"Számok"_s, u"Igen"_s, true);
            ini.writeBool(u"Számok"_s, u"Nem"_s, false);
            ini.save();
        }
        const QByteArray bytes = ReadBytes(fileName);
        QVERIFY2(bytes.contains("N\xE9v=\xD5ry \xDBrsula \x80\r\n"), bytes.constData());
        QVERIFY(bytes.contains("K\xEDnai=a?b\r\n"));
        QVERIFY(bytes.contains("Neg=-42\r\n"));
        QVERIFY(bytes.contains("Igen=1\r\nNem=0\r\n"));
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));

        const IniFile ini(fileName);
        QCOMPARE(ini.readString(u"szöveg"_s, u"NÉV"_s, {}), u"Őry Űrsula €"_s);
        QCOMPARE(ini.readString(u"Szöveg"_s, u"Sorok"_s, {}), u"egy kettő három"_s);
        QCOMPARE(ini.readInteger(u"Számok"_s, u"Neg"_s, 0), -42);
        QCOMPARE(ini.readBool(u"Számok"_s, u"Igen"_s, false), true);
        QCOMPARE(ini.readBool(u"Számok"_s, u"Nem"_s, true), false);
    }

    void sectionsKeysAndErase()
    {
        IniFile ini = fileWith("; top\r\n[A]\r\nx=1\r\ny=2\r\nX=3\r\n; about A\r\n\r\n"
                               "[B]\r\nz=1\r\n[a]\r\nw=4\r\n[C]\r\n");
        QCOMPARE(ini.sections(), QStringList({u"A"_s, u"B"_s, u"C"_s}));
        QCOMPARE(ini.keys(u"a"_s), QStringList({u"x"_s, u"y"_s, u"w"_s}));
        QCOMPARE(ini.keys(u"C"_s), QStringList());
        QCOMPARE(ini.keys(u"none"_s), QStringList());

        ini.eraseSection(u" a "_s);
        QCOMPARE(ini.sections(), QStringList({u"B"_s, u"C"_s}));
        QVERIFY(!ini.valueExists(u"A"_s, u"x"_s));
        QVERIFY(ini.valueExists(u"B"_s, u"z"_s));
        ini.eraseSection(u"none"_s);
        ini.save();
        QCOMPARE(ReadBytes(ini.fileName()), QByteArray("; top\r\n[B]\r\nz=1\r\n[C]\r\n"));
    }

    void saveFailureNamesTheFile()
    {
        const QString fileName = path(QStringLiteral("no/such/folder/kartevo.ini"));
        IniFile ini(fileName);
        ini.writeInteger(u"Screen"_s, u"FontSize"_s, 9);
        try {
            ini.save();
            QFAIL("save() into a missing folder must throw");
        } catch (const Error &error) {
            QVERIFY2(error.message().contains(fileName), qPrintable(error.message()));
            QVERIFY(error.message().startsWith(u"A beállítások nem írhatók"_s));
        }
        QVERIFY(!QFile::exists(fileName));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
