#include "printing/amountinput.h"

#include "core/helpers.h"

#include <algorithm>
#include <cmath>

namespace kartevo {

QString TooLargeMessage(double maximum)
{
    return QStringLiteral("Túl nagy érték. Maximum ")
           + QLocale::c().toString(maximum, 'f', QLocale::FloatingPointShortest) + QStringLiteral(" lehet.");
}

QString CheckAmountInput(const QString &text, double maximum, qint64 *value, const QLocale &locale)
{
    const QString bare = RemoveSpaces(text);
    bool ok = false;
    const double number = locale.toDouble(bare, &ok);
    if (!ok || !std::isfinite(number))
        return QStringLiteral("Nem megfelelő érték.");
    // Beyond 2^53 a double no longer holds every whole number (nor does qint64 hold every
    // double), so a larger maximum counts as this one.
    const double largest = std::min(maximum, 9007199254740992.0);
    if (number > largest)
        return TooLargeMessage(largest);
    if (number < 0)
        return QStringLiteral("Nem megfelelő érték: az összeg nem lehet negatív.");
    if (number != std::floor(number))
        return QStringLiteral("Nem megfelelő érték: az összeg csak egész szám lehet.");
    if (value)
        *value = qint64(number);
    return {};
}

} // namespace kartevo
