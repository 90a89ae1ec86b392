#pragma once

#include "printing/report.h"

#include <QString>
#include <QStringList>

namespace kartevo {

// A plain text printed as it stands on A4 pages, in the information window's printing font
// (Lucida Console, 12 pixels) with margins of 25 mm left, 15 mm right, 25 mm top and bottom.
// Every line is one row of the report; lines longer than the page is wide are wrapped at
// blanks (a word longer than a line is cut).
report::Report MakeTextPrint(const QString &title, const QString &text);

// The lines of the text as printed, each at most width characters.
QStringList WrapText(const QString &text, int width);

} // namespace kartevo
