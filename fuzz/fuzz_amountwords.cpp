// The amount in words (SzamBetuvel) and the amount input check (CheckAmountInput).
//
// The first byte chooses what the rest of the input is:
//  0: a whole amount 0 … 2147483647 (4 bytes) and a fraction, checked against properties that
//     hold for every amount of the domain: the words read back to the amount, they are made of
//     the expected pieces only, a negative amount is "mínusz " and the same words, an amount
//     with a fraction below one half and the same amount typed into the input dialog give the
//     same words;
//  1: any double (8 bytes): the rounding the header documents, and Error outside the domain;
//  2: a text typed into the amount input under one of a few locales and maximums.

#include "fuzzcheck.h"

#include "core/error.h"
#include "printing/amountinput.h"
#include "printing/amountwords.h"

#include <QLocale>

#include <array>
#include <cmath>
#include <cstring>
#include <optional>

using namespace kartevo;
using namespace kartevo::fuzz;

namespace {

constexpr qint64 kLargest = 2147483647;

struct Piece {
    const char *text;
    enum Kind { Unit, Tens, TensPrefix, TensWhole, Hundred, Multiplier, Space } kind;
    qint64 value;
};

// Every word piece an amount is written with (the longer of two pieces that begin alike first).
const std::array<Piece, 25> kPieces = {{
    {"milliárd", Piece::Multiplier, 1000000000}, {"millió", Piece::Multiplier, 1000000},
    {"ezer", Piece::Multiplier, 1000},           {"száz", Piece::Hundred, 100},
    {"kilencven", Piece::Tens, 90},              {"nyolcvan", Piece::Tens, 80},
    {"hetven", Piece::Tens, 70},                 {"hatvan", Piece::Tens, 60},
    {"ötven", Piece::Tens, 50},                  {"negyven", Piece::Tens, 40},
    {"harminc", Piece::Tens, 30},                {"huszon", Piece::TensPrefix, 20},
    {"húsz", Piece::TensWhole, 20},              {"tizen", Piece::TensPrefix, 10},
    {"tíz", Piece::TensWhole, 10},               {"kilenc", Piece::Unit, 9},
    {"nyolc", Piece::Unit, 8},                   {"hét", Piece::Unit, 7},
    {"hat", Piece::Unit, 6},                     {"öt", Piece::Unit, 5},
    {"négy", Piece::Unit, 4},                    {"három", Piece::Unit, 3},
    {"kettő", Piece::Unit, 2},                   {"egy", Piece::Unit, 1},
    {" ", Piece::Space, 0},
}};

// Reads the words of a positive amount back into the number; nothing when they are not made of
// the pieces in the order Hungarian numbers are written: per group of three digits
// [unit "száz"] [tens | prefix unit | unit], groups joined by a falling multiplier, and a space
// only after "ezer" or "millió".
std::optional<qint64> ReadWords(const QString &words)
{
    qint64 total = 0;
    qint64 hundreds = 0;
    qint64 small = 0;        // tens and units of the current group
    bool needUnit = false;   // after "tizen" / "huszon"
    bool closedTens = false; // after "tíz" or "húsz": no further unit
    qint64 lastMultiplier = 0;
    QString lastPiece;
    qsizetype at = 0;
    while (at < words.size()) {
        const Piece *found = nullptr;
        for (const Piece &piece : kPieces) {
            const QString text = QString::fromUtf8(piece.text);
            if (QStringView(words).sliced(at).startsWith(text)) {
                found = &piece;
                break;
            }
        }
        if (!found)
            return std::nullopt;
        const QString text = QString::fromUtf8(found->text);
        at += text.size();
        switch (found->kind) {
        case Piece::Unit:
            if (small % 10 != 0 || closedTens)
                return std::nullopt;
            small += found->value;
            needUnit = false;
            break;
        case Piece::Tens:
        case Piece::TensPrefix:
        case Piece::TensWhole:
            if (small != 0)
                return std::nullopt;
            small = found->value;
            needUnit = found->kind == Piece::TensPrefix;
            closedTens = found->kind == Piece::TensWhole;
            break;
        case Piece::Hundred:
            if (hundreds != 0 || small < 1 || small > 9)
                return std::nullopt;
            hundreds = small * 100;
            small = 0;
            break;
        case Piece::Multiplier: {
            const qint64 group = hundreds + small;
            if (group == 0 || needUnit || (lastMultiplier != 0 && found->value >= lastMultiplier))
                return std::nullopt;
            total += group * found->value;
            lastMultiplier = found->value;
            hundreds = small = 0;
            closedTens = false;
            break;
        }
        case Piece::Space:
            if (lastPiece != QStringLiteral("ezer") && lastPiece != QStringLiteral("millió"))
                return std::nullopt;
            break;
        }
        if (found->kind == Piece::Hundred)
            closedTens = false;
        lastPiece = text;
    }
    if (needUnit)
        return std::nullopt;
    return total + hundreds + small;
}

std::optional<QString> Words(double x)
{
    try {
        return SzamBetuvel(x);
    } catch (const Error &) {
        return std::nullopt;
    }
}

QString Show(double x)
{
    return QString::number(x, 'f', 6);
}

// The amount with a space between groups of three digits, as a user may type it.
QString Grouped(qint64 n)
{
    QString digits = QString::number(n);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, u' ');
    return digits;
}

void CheckWhole(qint64 n, double fraction)
{
    const std::optional<QString> words = Words(double(n));
    FUZZ_CHECK(words && !words->isEmpty(), Show(double(n)));
    if (n == 0) {
        FUZZ_CHECK(*words == QLatin1String("nulla"), *words);
    } else {
        const std::optional<qint64> read = ReadWords(*words);
        FUZZ_CHECK(read && *read == n, Show(double(n)) + u' ' + *words);
        FUZZ_CHECK(Words(-double(n)) == QStringLiteral("mínusz ") + *words, Show(double(n)));
    }
    // A fraction below one half changes nothing; exactly one half goes up.
    FUZZ_CHECK(Words(double(n) + fraction) == words, Show(double(n) + fraction));
    const std::optional<QString> up = Words(double(n) + 0.5);
    if (n < kLargest)
        FUZZ_CHECK(up && up == Words(double(n + 1)), Show(double(n) + 0.5));
    else
        FUZZ_CHECK(!up, Show(double(n) + 0.5));

    // The same amount typed into the input dialog.
    qint64 typed = -1;
    const QString error = CheckAmountInput(Grouped(n), double(kLargest), &typed, QLocale::c());
    FUZZ_CHECK(error.isEmpty() && typed == n, Grouped(n) + u' ' + error);
    FUZZ_CHECK(Words(double(typed)) == words, Grouped(n));
}

void CheckAnyDouble(double x)
{
    const std::optional<QString> words = Words(x);
    if (!std::isfinite(x)) {
        FUZZ_CHECK(!words, Show(x));
        return;
    }
    // The rounding of the header: halves to the even neighbour, a positive .5 up.
    double magnitude = std::fabs(std::nearbyint(x));
    if (x > 0 && x - std::floor(x) == 0.5)
        magnitude = std::floor(x) + 1;
    if (magnitude > double(kLargest)) {
        FUZZ_CHECK(!words, Show(x));
        return;
    }
    const qint64 n = qint64(magnitude);
    FUZZ_CHECK(words, Show(x));
    const QString expected = n == 0 ? QStringLiteral("nulla")
                                    : (x < 0 ? QStringLiteral("mínusz ") : QString()) + *Words(double(n));
    FUZZ_CHECK(*words == expected, Show(x) + u' ' + *words);
}

void CheckInput(Input &input)
{
    static const double maximums[] = {2147483647.0, 0.0, 100000.0, 1e15, 1e300};
    static const char *const locales[] = {"C", "hu_HU", "en_US", "de_DE"};
    const double maximum = maximums[input.byte() % std::size(maximums)];
    const QLocale locale(QString::fromLatin1(locales[input.byte() % std::size(locales)]));
    const QString text = QString::fromUtf8(input.rest());
    qint64 value = -1;
    const QString error = CheckAmountInput(text, maximum, &value, locale);
    if (!error.isEmpty()) {
        FUZZ_CHECK(error.startsWith(QStringLiteral("Nem megfelelő érték"))
                       || error.startsWith(QStringLiteral("Túl nagy érték. Maximum ")),
                   error);
        return;
    }
    bool ok = false;
    const double number = locale.toDouble(QString(text).remove(u' '), &ok);
    FUZZ_CHECK(ok && number == double(value), text);
    FUZZ_CHECK(value >= 0 && double(value) <= maximum, text);
    if (value <= kLargest)
        FUZZ_CHECK(Words(double(value)).has_value(), text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input input(data, size);
    switch (input.byte() % 3) {
    case 0: {
        quint32 bits = 0;
        const QByteArray raw = input.take(4);
        std::memcpy(&bits, raw.constData(), size_t(raw.size()));
        const qint64 n = qint64(bits & 0x7FFFFFFF);
        // A fraction in [-0.49, 0.49], never one half.
        const double fraction = (int(input.byte()) - 128) / 260.0;
        CheckWhole(n, fraction);
        break;
    }
    case 1: {
        double x = 0;
        const QByteArray raw = input.take(sizeof x);
        std::memcpy(&x, raw.constData(), size_t(raw.size()));
        CheckAnyDouble(x);
        break;
    }
    default:
        CheckInput(input);
        break;
    }
    return 0;
}
