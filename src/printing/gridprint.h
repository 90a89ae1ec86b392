#pragma once

#include "printing/report.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kartevo {

// One column of a data grid as shown on screen, for the list printout.
struct GridPrintColumn {
    QString title;
    int width = 0; // on-screen width in pixels
    report::Align align = report::Align::Left;
};

// The list printout TqrGridPrint (qrGridPrint), built from a grid: one detail line per row, one
// column per grid column in the grid's order with widths in the on-screen proportions, the
// title and column titles in the page header, program, page number, date and time in the footer.
// rows hold the texts of the cells, one list per row in column order.
report::Report MakeGridPrint(const QList<GridPrintColumn> &columns, int gridWidth,
                             const QList<QStringList> &rows, const QString &title, int fontSize);

// Report units of the list printout (1/96 inch at 80 %), in millimetres.
constexpr double kGridUnitMm = 25.4 / 96.0 / 0.8;

// Column widths in report units: 575 × column width / grid width, rounded to the nearest whole
// unit with halves to even.
QList<int> GridColumnUnits(const QList<GridPrintColumn> &columns, int gridWidth);

// The address printed in the list's footer.
inline constexpr char kHomePage[] = "www.kartevo.hu";

} // namespace kartevo
