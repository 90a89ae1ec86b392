#pragma once

#include <QLocale>
#include <QString>

namespace kartevo {

// The acceptance check of the amount input dialog (Tfrm_Inp). The text, with every space
// removed, must read as a number in the locale's format and be no greater than the maximum;
// amounts are counted in whole forints, so a negative or fractional number is refused too.
// Returns the error message to show, or an empty text when the input is accepted (then *value
// holds the amount).
QString CheckAmountInput(const QString &text, double maximum, qint64 *value,
                         const QLocale &locale = QLocale());

// "Túl nagy érték. Maximum " + the maximum in its shortest decimal form + " lehet."
QString TooLargeMessage(double maximum);

} // namespace kartevo
