#pragma once

#include "core/outputfile.h"
#include "printing/report.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>

class QPaintDevice;
class QPainter;
class QPdfWriter;
class QRectF;

namespace kartevo::report {

class PdfPictures;
class PdfStream;

// Draws the pictures of reports for a device that keeps them its own way (a PDF file holds each
// picture once). Without one, pictures go through the painter like everything else.
class PictureDevice {
public:
    virtual ~PictureDevice() = default;
    // Draws the item's whole picture into the rectangle (device units of the painter).
    virtual void drawPicture(QPainter &painter, const QRectF &rect, const Item &item) = 0;
};

// Lays a report out on pages and draws them. The one renderer of the program: the preview, the
// printer, PDF files and images all go through paintPage().
//
// The painter's device must show the whole paper from its top left corner (no device margins:
// a printer in full-page mode, a PDF writer without margins); the report's own margins are added
// here. Millimetres become device units in one place, from the device's resolution. The
// report's printer alignment (Report::offset) moves everything drawn on a page, on every device
// alike, so the preview shows what lands on paper.
//
// Pagination: the page header opens every page and the page footer closes it at the bottom of
// the printable area; detail bands follow one another and a band that does not fit below the
// last one starts a new page. A band taller than the whole printable height never starts a new
// page of its own: it prints on the page it begins. A report with no detail row still has one
// page (header and footer only).
//
// Text boxes: the top of the first line's ascent sits at the item's top. A fixed box wraps its
// text at word boundaries (inside a word that is wider than the box); the first line is always
// drawn, further lines only when they fit the box height, so a box never writes over the next
// field of a form.
class ReportRenderer {
public:
    explicit ReportRenderer(const Report &report);

    const Report &report() const { return m_report; }
    int pageCount() const { return int(m_pages.size()); }

    // Draws one page (counted from 0), moved by the report's offset. Pictures are placed at the
    // size of their box on the device (never resampled to the screen's resolution first), through
    // `pictures` when given.
    void paintPage(QPainter &painter, int page, PictureDevice *pictures = nullptr) const;

    // The placement of a band on a page, for tests: the band as it prints (after its event), its
    // top and left edge in millimetres from the paper's top and left edge.
    struct Placed {
        Band band;
        double top = 0;
        int row = -1; // detail row; -1 for a page header or footer
        double left = 0;
    };
    const QList<Placed> &placedBands(int page) const { return m_pages.at(page); }

    // The text an item prints for a row (caption, field value or system data).
    QString itemText(const Item &item, int row, int page) const;

private:
    void paginate();
    void paginateColumns(int detailIndex);
    void runBeforePrint(Band &band, int row) const;
    void paintBand(QPainter &painter, const Placed &placed, int page, PictureDevice *pictures) const;

    Report m_report;
    QList<QList<Placed>> m_pages;
};

// The QFont a report font stands for. Fonts are unhinted so that text takes the same room on
// every device.
QFont ToQFont(const Font &font);

// The part of a text that an item's box can show at all on a device: no character is narrower
// than a tenth of the font's height, and the box holds a known number of lines. The renderer
// lays out only this part; the rest (minutes of work for a field of a million characters)
// would draw nothing.
QString VisibleText(const Item &item, const QString &text, const QPaintDevice *device);

// The page layout of a report's paper, without margins.
QPageLayout PageLayoutOf(const Page &page);

// The primary screen's logical resolution; 96 without a screen.
double ScreenDpi();

// Makes the report fonts available: Tahoma from the Wine font folder when it is there (outside
// fontconfig's folders), and a sans-serif stand-in for Arial Rounded MT Bold. Needs a
// QGuiApplication; runs once; the renderer calls it itself.
void RegisterReportFonts();

// Writes print jobs into one PDF file, every page of every job in order, each page with its
// job's exact paper size. The file is written under a temporary name and takes the target's name
// only when finish() succeeds; until then a previous file of that name stays as it was, and a
// writer destroyed before finishing leaves nothing behind. Throws Error when the target is one of
// the program's own files (checked at construction) or the file cannot be written.
//
// The pages stream to the file as they are drawn: memory does not grow with the length of the
// run. Each picture is stored once for the whole file (a JPEG as its own bytes) and every page
// that shows it refers to it; the text stays text in embedded fonts.
class PdfJobWriter {
public:
    explicit PdfJobWriter(const QString &fileName);
    ~PdfJobWriter();
    PdfJobWriter(const PdfJobWriter &) = delete;
    PdfJobWriter &operator=(const PdfJobWriter &) = delete;

    void add(const Report &report);
    // Completes the file and puts it in place. Without any job nothing is written.
    void finish();
    int pageCount() const { return m_pages; }
    int jobCount() const { return m_jobs; }

private:
    QString m_fileName;
    // Each outlives the ones after it, which write into it.
    std::unique_ptr<OutputFile> m_output;
    std::unique_ptr<PdfStream> m_stream;
    std::unique_ptr<PdfPictures> m_pictures;
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
    int m_jobs = 0;
};

// Writes one report as a PDF file, as PdfJobWriter does.
void WritePdf(const QString &fileName, const Report &report);

// One page drawn on a white image at the given resolution.
QImage RenderPageImage(const Report &report, int page, double dpi);

} // namespace kartevo::report
