#include "core/codec.h"

#include <QStringDecoder>
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

    // The import's check of UTF-8 decides as the program's UTF-8 decoder does: the shortest
    // form only, no surrogates, nothing beyond U+10FFFF, no sequence cut short.
    void classifiesUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        const auto row = [](const char *name, const QByteArray &bytes, Utf8Kind kind) {
            QTest::newRow(name) << bytes << int(kind);
        };
        row("empty", QByteArray(), Utf8Kind::Ascii);
        row("ASCII, longer than a word", "Kovacs es Tarsa Kft.;1051;Budapest\r\n", Utf8Kind::Ascii);
        row("two, three and four bytes", QStringLiteral("Őrség € 𐐨 ű").toUtf8(), Utf8Kind::Utf8);
        row("a character after seven ASCII bytes", QStringLiteral("abcdefgő").toUtf8(), Utf8Kind::Utf8);
        row("code page 1250", "\xD5rs\xE9g", Utf8Kind::Invalid);
        row("overlong slash", "a\xC0\xAF" "b", Utf8Kind::Invalid);
        row("overlong three bytes", "\xE0\x80\xAF", Utf8Kind::Invalid);
        row("surrogate", "\xED\xA0\x80", Utf8Kind::Invalid);
        row("beyond U+10FFFF", "\xF4\x90\x80\x80", Utf8Kind::Invalid);
        row("lone continuation", "abc\x80", Utf8Kind::Invalid);
        row("cut at the end", "abc\xC5", Utf8Kind::Invalid);
        row("cut before ASCII", "\xE2\x82z", Utf8Kind::Invalid);
        row("highest character", "\xF4\x8F\xBF\xBF", Utf8Kind::Utf8);
    }
    void classifiesUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QCOMPARE(int(ClassifyUtf8(bytes)), kind);
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString ignored = decoder.decode(bytes);
        QCOMPARE(decoder.hasError(), kind == int(Utf8Kind::Invalid));
    }
};

QTEST_GUILESS_MAIN(TestCodec)
#include "tst_codec.moc"
