#include "core/codec.h"
#include "core/error.h"
#include "exchange/importsource.h"

#include <QStringEncoder>
#include <QTest>

using namespace kartevo;
using namespace Qt::StringLiterals;

using Rows = QList<QStringList>;

class TestDelimitedSource : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsSeparatorsAndQuoting_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<Rows>("rows");
        const Rows plain = {{u"Név"_s, u"Város"_s}, {u"Kiss Anna"_s, u"Szeged"_s}};
        QTest::newRow("semicolon") << QByteArray("Név;Város\r\nKiss Anna;Szeged\r\n") << QChar(u';') << plain;
        QTest::newRow("comma") << QByteArray("Név,Város\nKiss Anna,Szeged") << QChar(u',') << plain;
        QTest::newRow("tab") << QByteArray("Név\tVáros\nKiss Anna\tSzeged\n") << QChar(u'\t') << plain;
        QTest::newRow("bar") << QByteArray("Név|Város\rKiss Anna|Szeged\r") << QChar(u'|') << plain;
        // The comma inside quotes does not count: the semicolon splits every line the same way.
        QTest::newRow("comma inside quotes")
            << QByteArray("Név;Cím\n\"Kovács, Péter\";\"Fő utca 1., II. em.\"\n\"Nagy, Éva\";Kert u. 2.\n")
            << QChar(u';') << Rows{{u"Név"_s, u"Cím"_s}, {u"Kovács, Péter"_s, u"Fő utca 1., II. em."_s}, {u"Nagy, Éva"_s, u"Kert u. 2."_s}};
        QTest::newRow("quotes and line breaks inside quotes")
            << QByteArray("a,b\n\"Az \"\"Alma\"\" Bt.\",\"Fő u. 1.\r\n2. emelet\"\nx,\"\"\n")
            << QChar(u',') << Rows{{u"a"_s, u"b"_s}, {u"Az \"Alma\" Bt."_s, u"Fő u. 1.\r\n2. emelet"_s}, {u"x"_s, u""_s}};
        QTest::newRow("quote inside an unquoted field stays")
            << QByteArray("a;b\n12\" monitor;x\n") << QChar(u';') << Rows{{u"a"_s, u"b"_s}, {u"12\" monitor"_s, u"x"_s}};
        QTest::newRow("blank lines and blanks around fields")
            << QByteArray("\n a ; b \n\n c ;\"  d \"  \n") << QChar(u';') << Rows{{u"a"_s, u"b"_s}, {u"c"_s, u"  d "_s}};
    }
    void readsSeparatorsAndQuoting()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QChar, separator);
        QFETCH(Rows, rows);
        const SourceTable table = ReadDelimitedSource(bytes, {});
        QCOMPARE(table.separator, separator);
        QCOMPARE(table.rows, rows);
        QCOMPARE(table.kind, SourceKind::Delimited);
    }

    void detectsTheEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("warned");
        const QString text = QStringLiteral("Név;Település\nŐsz Ödön;Győr\n");
        QStringEncoder le(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        QStringEncoder be(QStringConverter::Utf16BE, QStringConverter::Flag::WriteBom);
        QTest::newRow("utf-8") << text.toUtf8() << u"UTF-8"_s << u""_s << false;
        QTest::newRow("utf-8 with bom") << QByteArray("\xEF\xBB\xBF" + text.toUtf8()) << u"UTF-8"_s << u""_s << false;
        QTest::newRow("utf-16le bom") << QByteArray(le.encode(text)) << u"UTF-16LE"_s << u""_s << false;
        QTest::newRow("utf-16be bom") << QByteArray(be.encode(text)) << u"UTF-16BE"_s << u""_s << false;
        QTest::newRow("cp1250") << ToCp1250(text) << u"Windows-1250"_s << u""_s << false;
        QTest::newRow("cp1250 chosen") << ToCp1250(text) << u"Windows-1250"_s << u"cp1250"_s << false;
        QTest::newRow("utf-8 chosen") << text.toUtf8() << u"UTF-8"_s << u"utf-8"_s << false;
        // A UTF-8 file with one line saved in code page 1250 is read as 1250, and the user is told.
        QTest::newRow("mixed") << QByteArray(text.toUtf8() + ToCp1250(u"Árvíztűrő;Pécs\n")) << u"Windows-1250"_s << u""_s
                               << true;
    }
    void detectsTheEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        QFETCH(QString, chosen);
        QFETCH(bool, warned);
        SourceOptions options;
        options.encoding = chosen;
        const SourceTable table = ReadDelimitedSource(bytes, options);
        QCOMPARE(table.encoding, encoding);
        QCOMPARE(!table.warnings.isEmpty(), warned);
        if (!warned)
            QCOMPARE(table.rows.value(1), QStringList({QStringLiteral("Ősz Ödön"), QStringLiteral("Győr")}));
        else
            QVERIFY2(table.warnings.first().contains(QStringLiteral("3. sora")), qPrintable(table.warnings.first()));
    }

    void refusesWhatIsNoText()
    {
        QVERIFY_THROWS_EXCEPTION(Error, ReadDelimitedSource(QByteArray("SQLite format 3\0\0\1", 18), {}));
        SourceOptions options;
        options.encoding = QStringLiteral("latin2");
        QVERIFY_THROWS_EXCEPTION(Error, ReadDelimitedSource(QByteArray("a;b\n"), options));
        // A UTF-8 choice over 1250 bytes reads, but says that the accents are broken.
        options.encoding = QStringLiteral("utf-8");
        QVERIFY(!ReadDelimitedSource(ToCp1250(u"Győr;x\n"), options).warnings.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDelimitedSource)
#include "tst_delimitedsource.moc"
