#pragma once

#include <QLocale>
#include <QString>

namespace kartevo {

// The acceptance check of the amount input dialog (Tfrm_Inp). The text, with every space
// removed, must read as a number in the locale's format and be no greater than the maximum;
// amounts are counted in whole forints, so a negative or fractional number is refused too. A
// maximum over 2^53 (9007199254740992, the largest whole number a double holds exactly) counts
// as 2^53.
// Returns the error message to show, or an empty text when the input is accepted (then *value
// holds the amount).
QString CheckAmountInput(const QString &text, double maximum, qint64 *value,
                         const QLocale &locale = QLocale());

// "Túl nagy érték. Maximum " + the maximum in its shortest decimal form + " lehet."
QString TooLargeMessage(double maximum);

} // namespace kartevo
