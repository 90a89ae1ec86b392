#include "core/error.h"
#include "printing/amountwords.h"

#include <QTest>

#include <cfenv>
#include <cmath>
#include <limits>

using namespace kartevo;

class TestAmountWords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void words_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("expected");
        auto row = [](double amount, const char *text) {
            QTest::addRow("%s", QByteArray::number(amount, 'f', 1).constData())
                << amount << QString::fromUtf8(text);
        };
        // The worked examples of the printed forms, letter for letter.
        row(0, "nulla");
        row(7, "hét");
        row(10, "tíz");
        row(11, "tizenegy");
        row(20, "húsz");
        row(21, "huszonegy");
        row(99, "kilencvenkilenc");
        row(100, "egyszáz");
        row(110, "egyszáztíz");
        row(120, "egyszázhúsz");
        row(1000, "egyezer ");
        row(1001, "egyezer egy");
        row(1500, "egyezer ötszáz");
        row(2345, "kettőezer háromszáznegyvenöt");
        row(10000, "tízezer");
        row(10010, "tízezertíz");
        row(10500, "tízezerötszáz");
        row(11500, "tizenegyezer ötszáz");
        row(12345, "tizenkettőezer háromszáznegyvenöt");
        row(20000, "húszezer");
        row(21000, "huszonegyezer ");
        row(100500, "egyszázezerötszáz");
        row(250000, "kettőszázötvenezer");
        row(1000000, "egymillió ");
        row(1500000, "egymillió ötszázezer");
        row(10500000, "tízmillióötszázezer");
        row(123456789, "egyszázhuszonhárommillió négyszázötvenhatezer hétszáznyolcvankilenc");
        row(1000000000, "egymilliárd");
        row(2147483647, "kettőmilliárdegyszáznegyvenhétmillió négyszáznyolcvanháromezer "
                        "hatszáznegyvenhét");
        row(-5, "mínusz öt");
        row(-10, "mínusz tíz");
        row(-20, "mínusz húsz");
        row(2.5, "három");
        row(0.4, "nulla");
        row(-0.4, "nulla");
        // Further shapes the examples above do not reach.
        row(30, "harminc");
        row(200, "kettőszáz");
        row(1010, "egyezer tíz");
        row(1020, "egyezer húsz");
        row(2000, "kettőezer ");
        row(10020, "tízezerhúsz");
        row(100000, "egyszázezer");
        row(110000, "egyszáztízezer");
        row(120000, "egyszázhúszezer");
        row(1000010, "egymillió tíz");
        row(20000000, "húszmillió");
        row(21000000, "huszonegymillió ");
        row(100000000, "egyszázmillió");
        row(110000000, "egyszáztízmillió");
        row(-2147483647, "mínusz kettőmilliárdegyszáznegyvenhétmillió négyszáznyolcvanháromezer "
                         "hatszáznegyvenhét");
    }
    void words()
    {
        QFETCH(double, amount);
        QFETCH(QString, expected);
        QCOMPARE(SzamBetuvel(amount), expected);
    }

    void rounding_data()
    {
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("expected");
        // Halves go to the even neighbour, except that a positive .5 always goes up.
        QTest::newRow("0.5 up") << 0.5 << QStringLiteral("egy");
        QTest::newRow("1.5 to even") << 1.5 << QStringLiteral("kettő");
        QTest::newRow("3.5 to even") << 3.5 << QStringLiteral("négy");
        QTest::newRow("10.5 up") << 10.5 << QStringLiteral("tizenegy");
        QTest::newRow("-0.5 is zero") << -0.5 << QStringLiteral("nulla");
        QTest::newRow("-2.5 to even") << -2.5 << QStringLiteral("mínusz kettő");
        QTest::newRow("-3.5 to even") << -3.5 << QStringLiteral("mínusz négy");
        QTest::newRow("2.4999") << 2.4999 << QStringLiteral("kettő");
        QTest::newRow("2.5001") << 2.5001 << QStringLiteral("három");
        QTest::newRow("9.6 to ten") << 9.6 << QStringLiteral("tíz");
        QTest::newRow("-19.5 to twenty") << -19.5 << QStringLiteral("mínusz húsz");
        QTest::newRow("largest with fraction") << 2147483647.4
                                               << QStringLiteral("kettőmilliárdegyszáznegyvenhét"
                                                                 "millió négyszáznyolcvanháromezer "
                                                                 "hatszáznegyvenhét");
    }
    void rounding()
    {
        QFETCH(double, amount);
        QFETCH(QString, expected);
        QCOMPARE(SzamBetuvel(amount), expected);
    }

    void roundingIgnoresCurrentMode()
    {
        const int saved = std::fegetround();
        std::fesetround(FE_UPWARD);
        const QString low = SzamBetuvel(2.4);
        const QString half = SzamBetuvel(3.5);
        std::fesetround(FE_DOWNWARD);
        const QString high = SzamBetuvel(2.6);
        const int after = std::fegetround();
        std::fesetround(saved);
        QCOMPARE(low, QStringLiteral("kettő"));
        QCOMPARE(half, QStringLiteral("négy"));
        QCOMPARE(high, QStringLiteral("három"));
        QCOMPARE(after, FE_DOWNWARD);
    }

    void outOfRange_data()
    {
        QTest::addColumn<double>("amount");
        QTest::newRow("2147483648") << 2147483648.0;
        QTest::newRow("-2147483648") << -2147483648.0;
        QTest::newRow("2147483647.5 rounds over") << 2147483647.5;
        QTest::newRow("1e12") << 1e12;
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
    }
    void outOfRange()
    {
        QFETCH(double, amount);
        QVERIFY_THROWS_EXCEPTION(Error, SzamBetuvel(amount));
    }
};

QTEST_GUILESS_MAIN(TestAmountWords)
#include "tst_amountwords.moc"
