#pragma once

#include <QString>

namespace kartevo {

// An amount written out in Hungarian words, as printed on postal money orders and receipts,
// e.g. 2345 -> "kettőezer háromszáznegyvenöt", -5 -> "mínusz öt".
//
// The amount is first rounded to a whole number: halfway cases go to the even neighbour,
// except that a positive amount ending in exactly .5 always goes up (2.5 -> "három"). Zero is
// "nulla" whatever the sign. The text follows the long-standing form of these prints letter for
// letter, spaces included (e.g. 1000 -> "egyezer " with a trailing space): callers must not
// trim or otherwise tidy it.
//
// Throws Error when the rounded magnitude is over 2147483647 or the amount is not a number.
QString SzamBetuvel(double x);

} // namespace kartevo
