#include "printing/amountinput.h"

#include "core/helpers.h"

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
    if (number > maximum)
        return TooLargeMessage(maximum);
    if (number < 0)
        return QStringLiteral("Nem megfelelő érték: az összeg nem lehet negatív.");
    if (number != std::floor(number))
        return QStringLiteral("Nem megfelelő érték: az összeg csak egész szám lehet.");
    if (value)
        *value = qint64(number);
    return {};
}

} // namespace kartevo
