#include "core/codec.h"

#include <QTest>

using namespace kartevo;

class TestCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip()
    {
        const QString text = QStringLiteral("Árvíztűrő tükörfúrógép ŐŰőű €");
        const QByteArray bytes = ToCp1250(text);
        QCOMPARE(bytes.size(), text.size());
        QCOMPARE(static_cast<unsigned char>(bytes.at(0)), 0xC1);
        QCOMPARE(FromCp1250(bytes), text);
    }
    void unmappableBecomesQuestionMark()
    {
        QCOMPARE(ToCp1250(QStringLiteral("a漢b")), QByteArray("a?b"));
        QCOMPARE(Cp1250Code(QChar(0x6F22)), -1);
        QCOMPARE(Cp1250Code(QChar(0x0150)), 0xD5); // Ő
        QCOMPARE(Cp1250Code(QChar(0x20AC)), 0x80); // €
    }
};

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
