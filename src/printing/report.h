#pragma once

#include "core/calibration.h"

#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QSizeF>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// A banded page report as plain data: the page, the bands and their items, and the rows the
// detail band repeats for. Layout code builds this and never paints; ReportRenderer draws it.
// Every distance is in millimetres, every font size in points.
namespace kartevo::report {

enum class Orientation { Portrait, Landscape };

// The paper as the layout is drawn: width horizontal, length vertical. The orientation is what
// the printer is told (a landscape page is fed as paper length × width turned on its side).
struct Page {
    double width = 210;
    double length = 297;
    Orientation orientation = Orientation::Portrait;
    double top = 10, bottom = 10, left = 10, right = 10;

    double printableWidth() const { return width - left - right; }
    double printableHeight() const { return length - top - bottom; }
};

struct Font {
    QString family = QStringLiteral("Arial");
    double size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    QColor color = QColor(0, 0, 0);

    bool operator==(const Font &) const = default;
};

enum class Align { Left, Center, Right };
enum class ItemKind { Text, Picture, Line };
// System data printed by a text item after its caption.
enum class SysData { None, PageNumber, DateTime, ReportTitle };

// An item with this tag is neither translated nor written to the language template.
constexpr int kSkipTranslationTag = 999;

struct Item {
    QString name;
    ItemKind kind = ItemKind::Text;
    int tag = 0;
    // Position in the band. A line runs from (left, top) to (left + width, top + height).
    double left = 0, top = 0, width = 0, height = 0;

    // Text: the caption, or the field of a data source when source is set. A text is a fixed
    // box with word wrap unless autoWidth is set (then the box takes the width of its text, and
    // with a height of 0 also the height of its line).
    QString caption;
    QString source;
    QString field;
    SysData sysData = SysData::None;
    Font font;
    Align align = Align::Left;
    QColor background; // invalid: transparent
    bool autoWidth = false;

    // Picture: drawn from the box's top left corner at its own size at the report's screen
    // resolution; one larger than its box is shrunk, keeping its proportions, to fit it
    // (PictureSize). It is never enlarged.
    QImage picture;
    // The bytes of the file the picture was read from, when they are exactly this picture (no
    // turn from the file's orientation tag): a PDF holds a JPEG as these very bytes. Empty: only
    // the picture's pixels are known.
    QByteArray pictureFile;

    // Line.
    QColor lineColor = QColor(0, 0, 0);
    double lineWidth = 0.26;
};

enum class BandKind { PageHeader, Detail, PageFooter };

// Looks up a value for a band event: (source, field) -> text of the row being printed.
using ValueLookup = std::function<QString(const QString &source, const QString &field)>;

struct Band {
    QString name;
    BandKind kind = BandKind::Detail;
    double width = 0;
    double height = 0;
    QList<Item> items; // in print order: a later item lies over an earlier one
    // Runs before the band prints for a row; it may change its items (fonts, captions). The
    // changes stay for the rest of the job.
    std::function<void(Band &, const ValueLookup &)> beforePrint;

    Item *item(const QString &name);
    const Item *item(const QString &name) const;
};

// The rows of one query, as texts (NULL reads as empty).
struct DataSource {
    QString name;
    QStringList fields;
    QList<QStringList> rows;

    // The field's text in a row; empty outside the rows or for an unknown field.
    QString value(int row, const QString &field) const;
};

// The size in millimetres a picture of that many pixels prints at in a box of that size (mm):
// its own size at the screen resolution, shrunk to fit the box, keeping its proportions, when it
// is larger. Empty for an empty picture or box. The second form is a picture item's.
QSizeF PictureSize(const QSizeF &box, const QSize &pixels, double screenDpi);
QSizeF PictureSize(const Item &item, double screenDpi);

struct Report {
    QString name;  // qrBoritek …
    QString title; // names the print job and the preview
    Page page;
    Font font;     // the report's default font
    QList<Band> bands;
    QList<DataSource> sources;
    // The detail band prints once for every row of this source; the other sources give their
    // first row to every item bound to them.
    QString detailSource;
    // 0: the detail bands follow one another down the page. n >= 1: the page is cut into n
    // columns of equal width (the printable width divided by n) and the detail band fills them
    // column by column, top to bottom, as on a sheet of labels. Column reports are placed in
    // whole tenths of a millimetre (margins, band height and column width each rounded, halves to
    // even); a band goes to the next column when the room left above the bottom margin is less
    // than its height, and after the last column to a new page. A band never reaches beyond its
    // column: what an item prints to the right of the column's edge is cut off. Page header and
    // footer bands are not used with columns.
    int columns = 0;
    // The stationery the report prints on, set by its layout; it chooses the printer alignment.
    PrintFamily family = PrintFamily::None;
    // The printer alignment in millimetres (0 in every layout; the print job sets it from the
    // settings): the renderer moves everything it draws on each page by it. The page stays.
    PrintOffset offset;
    // Pixels per inch that pictures are measured in (the screen's).
    double screenDpi = 96;
    // Date and time printed by SysData::DateTime items.
    QDateTime printedAt = QDateTime::currentDateTime();

    // Takes the offset of the report's family from the printer alignment of the settings.
    void applyCalibration(const Calibration &calibration) { offset = calibration.of(family); }

    Band *band(const QString &name);
    const Band *band(const QString &name) const;
    // The first item of that name in any band.
    Item *item(const QString &name);
    const Item *item(const QString &name) const;
    DataSource *source(const QString &name);
    const DataSource *source(const QString &name) const;
};

} // namespace kartevo::report
