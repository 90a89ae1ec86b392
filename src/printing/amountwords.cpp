#include "printing/amountwords.h"

#include "core/error.h"

#include <QLocale>

#include <array>
#include <cfenv>
#include <cmath>

namespace kartevo {

namespace {

constexpr qint64 kLargestAmount = 2147483647;

const std::array<QString, 10> &Units()
{
    static const std::array<QString, 10> units = {
        QString(),
        QStringLiteral("egy"),
        QStringLiteral("kettő"),
        QStringLiteral("három"),
        QStringLiteral("négy"),
        QStringLiteral("öt"),
        QStringLiteral("hat"),
        QStringLiteral("hét"),
        QStringLiteral("nyolc"),
        QStringLiteral("kilenc"),
    };
    return units;
}

const std::array<QString, 10> &Tens()
{
    static const std::array<QString, 10> tens = {
        QString(),
        QStringLiteral("tizen"),
        QStringLiteral("huszon"),
        QStringLiteral("harminc"),
        QStringLiteral("negyven"),
        QStringLiteral("ötven"),
        QStringLiteral("hatvan"),
        QStringLiteral("hetven"),
        QStringLiteral("nyolcvan"),
        QStringLiteral("kilencven"),
    };
    return tens;
}

// Puts word directly after the first "száz" of w.
void InsertAfterFirstSzaz(QString &w, const QString &word)
{
    static const QString szaz = QStringLiteral("száz");
    const qsizetype at = w.indexOf(szaz);
    if (at >= 0)
        w.insert(at + szaz.size(), word);
}

// The words of n (1 <= n <= 9 999 999 999), built from the units upwards; every step puts its
// words in front of what is already there.
QString Words(qint64 n)
{
    const auto &units = Units();
    const auto &tens = Tens();
    const QString ezer = QStringLiteral("ezer");
    const QString millio = QStringLiteral("millió");

    std::array<int, 10> d{};
    qint64 rest = n;
    for (int &digit : d) {
        digit = int(rest % 10);
        rest /= 10;
    }
    // The step for digit k only runs when the number has at least k + 1 digits.
    auto has = [n](int k) {
        qint64 power = 1;
        for (int i = 0; i < k; ++i)
            power *= 10;
        return n >= power;
    };

    QString w;
    if (has(0))
        w = units[d[0]];
    if (has(1))
        w.prepend(tens[d[1]]);
    if (has(2) && d[2] != 0)
        w.prepend(units[d[2]] + QStringLiteral("száz"));
    if (has(3) && d[3] != 0)
        w.prepend(units[d[3]] + QStringLiteral("ezer "));
    if (has(4) && d[4] != 0)
        w.prepend(w.contains(ezer) ? tens[d[4]] : tens[d[4]] + ezer);
    if (has(5) && d[5] != 0) {
        w.prepend(units[d[5]] + QStringLiteral("száz"));
        if (!w.contains(ezer))
            InsertAfterFirstSzaz(w, ezer);
    }
    if (has(6) && d[6] != 0)
        w.prepend(units[d[6]] + QStringLiteral("millió "));
    if (has(7) && d[7] != 0)
        w.prepend(w.contains(millio) ? tens[d[7]] : tens[d[7]] + millio);
    if (has(8) && d[8] != 0) {
        w.prepend(units[d[8]] + QStringLiteral("száz"));
        if (!w.contains(millio))
            InsertAfterFirstSzaz(w, millio);
    }
    if (has(9) && d[9] != 0)
        w.prepend(units[d[9]] + QStringLiteral("milliárd"));

    w.replace(QStringLiteral("tizenezer"), QStringLiteral("tízezer"));
    w.replace(QStringLiteral("huszonezer"), QStringLiteral("húszezer"));
    w.replace(QStringLiteral("tizenmillió"), QStringLiteral("tízmillió"));
    w.replace(QStringLiteral("huszonmillió"), QStringLiteral("húszmillió"));

    if (w.endsWith(QStringLiteral("huszon"))) {
        w.chop(6);
        w.append(QStringLiteral("húsz"));
    }
    if (w.endsWith(QStringLiteral("tizen"))) {
        w.chop(5);
        w.append(QStringLiteral("tíz"));
    }
    return w;
}

// Rounds to the nearest whole number, halfway cases to the even neighbour, whatever rounding
// mode the rest of the program may have set.
double RoundHalfEven(double x)
{
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(x);
    std::fesetround(saved);
    return r;
}

} // namespace

QString SzamBetuvel(double x)
{
    if (!std::isfinite(x))
        throw Error(QStringLiteral("Érvénytelen összeg, nem írható ki betűvel."));
    double magnitude = std::fabs(RoundHalfEven(x));
    if (x - magnitude == 0.5)
        magnitude += 1;
    if (magnitude > double(kLargestAmount))
        throw Error(QStringLiteral("Az összeg túl nagy, nem írható ki betűvel: %1")
                        .arg(QLocale::c().toString(x, 'f', 0)));
    const qint64 n = qint64(magnitude);

    if (n == 0)
        return QStringLiteral("nulla");
    QString w;
    if (n == 10)
        w = QStringLiteral("tíz");
    else if (n == 20)
        w = QStringLiteral("húsz");
    else
        w = Words(n);
    return x < 0 ? QStringLiteral("mínusz ") + w : w;
}

} // namespace kartevo
