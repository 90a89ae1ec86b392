#pragma once

#include "exchange/exportfields.h"

#include <QList>

class QIODevice;

namespace kartevo {

class DataSet;

// Data rows a worksheet can hold: its row numbers are 16-bit and row 0 is the header.
inline constexpr int kMaxWorksheetRows = 65535;

// Throws Error unless the data set can become a worksheet: it must be open, not empty and
// within kMaxWorksheetRows rows.
void CheckWorksheetExport(const DataSet &dataSet);

// The point size of the bold title fonts, defined as 13 pixels high at the screen's dots per inch.
int WorksheetTitlePoints(int dotsPerInch);

// Writes the data set as a worksheet of the oldest spreadsheet file format (BIFF2): BOF, three
// fonts (Arial), DIMENSIONS, a header row of the fields' labels, one row per record and EOF.
// A NULL is a BLANK cell; a whole number from 0 to 65535 an INTEGER cell, other whole numbers
// and fractions NUMBER cells; a boolean a BOOLERR cell; everything else a LABEL cell holding at
// most 255 bytes of code page 1250. Checks the data set first (CheckWorksheetExport).
ExportResult WriteWorksheet(QIODevice &out, const DataSet &dataSet, const QList<ExportField> &fields,
                            int dotsPerInch = 96, const ExportProgress &progress = {});

} // namespace kartevo
