// Inputs the fuzz targets of fuzz/ found faults with, one table per reader, so that each fault
// stays mended in the normal build too.

#include "printing/amountinput.h"

#include <QLocale>
#include <QTest>

using namespace kartevo;

class TestFuzzFindings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // An amount beyond what qint64 holds, under a maximum that lets it through, was converted
    // with undefined behaviour and accepted as a wrong amount.
    void amountInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<QString>("error");
        QTest::addColumn<qint64>("value");
        const QString tooLarge = QStringLiteral("Túl nagy érték. Maximum 9007199254740992 lehet.");
        QTest::newRow("1e20 under 1e300") << QStringLiteral("1e20") << 1e300 << tooLarge << qint64(-1);
        QTest::newRow("2^63 under 1e19") << QStringLiteral("9223372036854775808") << 1e19 << tooLarge << qint64(-1);
        QTest::newRow("2^53 is the largest") << QStringLiteral("9 007 199 254 740 992") << 1e300 << QString()
                                             << qint64(9007199254740992);
        QTest::newRow("a smaller maximum stays") << QStringLiteral("2147483648") << 2147483647.0
                                                 << QStringLiteral("Túl nagy érték. Maximum 2147483647 lehet.")
                                                 << qint64(-1);
    }
    void amountInput()
    {
        QFETCH(QString, text);
        QFETCH(double, maximum);
        QFETCH(QString, error);
        QFETCH(qint64, value);
        qint64 read = -1;
        QCOMPARE(CheckAmountInput(text, maximum, &read, QLocale::c()), error);
        QCOMPARE(read, value);
    }
};

QTEST_GUILESS_MAIN(TestFuzzFindings)
#include "tst_fuzzfindings.moc"
