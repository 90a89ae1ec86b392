#pragma once

#include "printing/report.h"

#include <QList>
#include <QLocale>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace kartevo {

class Database;
struct TBeall;

// Address labels: the label list gathered from the clients, the sheet settings, and the label
// sheet report TqrCimke that places the labels column by column on A4 pages.

// One label of the label list; a blank label has five empty texts and prints nothing.
struct Label {
    QString ugyfel_nev;
    QString kapcsolat;
    QString cim_varos;
    QString cim_cim;
    QString cim_irsz;

    bool operator==(const Label &) const = default;
};

// The sheet: side margin (left and right), top margin and label height in millimetres, and the
// number of label columns.
struct LabelSheet {
    double side = 7.2;
    double top = 15.2;
    double height = 38.1;
    int columns = 3;
};

// One address line as laid out in the label designer: its place in designer pixels from the
// label's top left corner, and its font.
struct LabelLine {
    int left = 0;
    int top = 0;
    report::Font font;
};

// Everything the label sheet report needs besides the labels. The lines are, in order, the
// client name, the contact, the town, the street address and the postal code.
struct LabelLayout {
    LabelSheet sheet;
    std::array<LabelLine, 5> lines;
    // The screen resolution S the designer pixels are measured in: p pixels print at p × 25.4 / S mm.
    double screenDpi = 96;
};

// Why a sheet cannot be printed, or empty when it can: every value a finite number, the margins
// inside the page, a label at least 1 mm wide, at most 100 columns and a height that leaves room
// for one row. Checked before any value is converted or drawn.
QString LabelSheetProblem(const LabelSheet &sheet);

// The label settings of the configuration file (the Label section of TBeall).
LabelSheet LabelSheetOf(const TBeall &settings);
report::Font LabelFontOf(const TBeall &settings);
LabelLayout LabelLayoutOf(const TBeall &settings, double screenDpi);

// ---------------------------------------------------------------------------------------------
// The label designer and its summary
// ---------------------------------------------------------------------------------------------

// The designer draws the label at this many pixels per millimetre.
constexpr double kDesignerPixelsPerMm = 3.78164;

// The label's width: the sheet's width between the side margins divided by the columns, 0 for
// no columns.
double LabelWidth(const LabelSheet &sheet);
// The size of the designer's label picture: width and height × 3.78164, halves to even.
QSize DesignerSize(const LabelSheet &sheet);
// The sheet summary: the label width with two decimals, " x ", the height as the user typed it,
// ": ", the rows of the sheet (297 mm less twice the top margin, divided by the height, rounded
// half to even) times the columns, " pcs". With the defaults and a decimal comma:
// "65,20 x 38,1: 21 pcs". An estimate: the report may place another number (MakeCimke).
QString LabelSummary(const LabelSheet &sheet, const QString &heightText, const QLocale &locale = QLocale());
// A caption whose top is below the designer's label jumps back just inside its bottom edge.
int CaptionTopInside(int top, int captionHeight, int designerHeight);

// A number in a sheet field: the shortest form, the locale's decimal separator, no grouping.
QString SheetNumber(double value, const QLocale &locale = QLocale());
// A number of a stored label format: with two decimals ("#####0.00").
QString FormatNumber(double value, const QLocale &locale = QLocale());

// ---------------------------------------------------------------------------------------------
// The label list
// ---------------------------------------------------------------------------------------------

// Which clients get a label.
struct LabelSelection {
    qint64 client = -1;      // one client; -1 for several
    bool onlyMarked = false; // several: only the marked ones
    // Several: only the clients of the client list's filter group; empty when not filtered.
    std::optional<QString> filterGroup;
    QString sortField = QStringLiteral("ugyfel_nev"); // the client list's sort column
};

// The selection of the client list's "Címke" command for its print scope box (0 the current
// client, 1 every client, 2 the marked clients; 1 and 2 within the filter group).
LabelSelection LabelSelectionFor(int scope, qint64 currentClient, const std::optional<QString> &filterGroup,
                                 const QString &sortField);

// The condition of the selection, without "WHERE": "(ugyfel=KEY)" for one client; for several
// "(jelolve='I')" for the marked ones and "(csoport='GROUP')" for a filter group, joined with
// " AND "; empty for every client.
QString LabelCondition(const LabelSelection &selection);
// The address query with its WHERE line replaced by the condition (kept as "WHERE ugyfel>0"
// when the condition is empty) and its ORDER BY line set to the sort column. Throws Error when
// the sort field is not a column name.
QStringList LabelQuerySql(const LabelSelection &selection);

// The contact line of a label: empty when the contact equals the name (two NULLs are equal).
QString LabelContact(const QVariant &name, const QVariant &contact);

// The largest start position: far beyond any sheet, and a mistyped number does not make
// millions of blank labels.
constexpr int kMaxStartPosition = 10000;

// The label list: start position − 1 blank labels (none for 1 or less), then one label per
// selected client in the list's order. Reads nothing else and changes nothing (the print marks
// stay as they are). Throws Error for a start position above kMaxStartPosition.
QList<Label> GatherLabels(Database &db, const LabelSelection &selection, int startPosition);

// ---------------------------------------------------------------------------------------------
// What a label print will do
// ---------------------------------------------------------------------------------------------

// The labels the report places in one column and on one sheet, as MakeCimke places them: as
// many whole labels as fit between the top margin and the bottom margin (at least one), times
// the columns (a count below 1 read as 3). 0 for a sheet MakeCimke refuses.
int LabelRowsPerColumn(const LabelSheet &sheet);
int LabelsPerSheet(const LabelSheet &sheet);

// Where label place `place` (from 1) of a sheet lies, column and row from 0: the places run down
// the first column, then down the next, as the labels are filled in. rows: LabelRowsPerColumn.
struct LabelPlace {
    int column = 0;
    int row = 0;
    bool operator==(const LabelPlace &) const = default;
};
LabelPlace PlaceOnSheet(int place, int rows);

// The sheet geometry of a label format for lists: columns × rows, label width × height in mm
// with one decimal: "3 × 8, 70,0 × 37,0 mm" with a decimal comma. Empty for a sheet MakeCimke
// refuses.
QString SheetGeometry(const LabelSheet &sheet, const QLocale &locale = QLocale());

// How many labels a selection prints (blank places not counted).
int CountLabels(Database &db, const LabelSelection &selection);
// What the selection is called in the label window: the client's name for one client, the
// filter group (or "Ügyfelek" unfiltered) for every client, "Kijelöltek" (with the group in
// brackets when filtered) for the marked ones.
QString LabelSourceName(Database &db, const LabelSelection &selection);

// The number of sheets a print takes: the blank places before the start and the labels, on
// sheets of perSheet places; at least 1 (an empty print still gives a page). 0 when perSheet
// is 0.
int SheetsNeeded(int labels, int startPosition, int perSheet);
// The line of the label window that says what will print:
// "25 címke · Partnerek · 2 lap (az első lapon az 5. helytől)"; without the bracket when the
// print starts at place 1, without the sheets when the sheet cannot be printed (perSheet 0).
QString LabelPlanText(int labels, const QString &source, int startPosition, int perSheet);
// The start position after a print: the place after the last label used, 1 when that label
// filled its sheet. Unchanged when nothing was printed or the sheet cannot be printed.
int NextStartPosition(int startPosition, int labels, int perSheet);

// ---------------------------------------------------------------------------------------------
// The label sheet report
// ---------------------------------------------------------------------------------------------

// The label sheet report qrCimke for the labels: A4 portrait, the side margin left and right,
// the top margin, a bottom margin of 1 mm; the sheet's columns (a count below 1 is read as 3),
// one detail band QRBand1 per label, as high as a label; in it the items QRDBText1 … QRDBText5
// for the five lines, each at its designer place converted to millimetres, in its font, one line
// on a white box of the text's size (a later line covers an earlier one). A line that runs past
// the label's right edge is cut at the column's edge. An empty list gives one blank page.
// Throws Error for a sheet LabelSheetProblem refuses, a label height that rounds to less than
// 0.1 mm or does not fit between the top margin and the bottom margin.
report::Report MakeCimke(const QList<Label> &labels, const LabelLayout &layout);

// The outline of every label placed on a page of a label sheet report (blank ones too), in
// millimetres from the paper's top left corner: a column's width and a label's height.
QList<QRectF> LabelOutlines(const report::Report &report, int page);

} // namespace kartevo
