#include "printing/reportrenderer.h"

#include "core/error.h"
#include "printing/pdfpictures.h"
#include "printing/pdfstream.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <mutex>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace kartevo::report {

namespace {

constexpr double kMmPerInch = 25.4;

// Millimetres on the paper to device units: the one place where the conversion happens.
class MmMap {
public:
    explicit MmMap(const QPaintDevice *device)
        : m_x(device->logicalDpiX() / kMmPerInch), m_y(device->logicalDpiY() / kMmPerInch)
    {
    }
    double x(double mm) const { return mm * m_x; }
    double y(double mm) const { return mm * m_y; }
    QPointF point(double left, double top) const { return {x(left), y(top)}; }
    QRectF rect(double left, double top, double width, double height) const
    {
        return {x(left), y(top), x(width), y(height)};
    }
    double toMmX(double units) const { return units / m_x; }

private:
    double m_x;
    double m_y;
};

Qt::Alignment QtAlign(Align align)
{
    switch (align) {
    case Align::Center:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft;
}

// Line breaks of a caption (a message of several lines) as the layout engine wants them.
QString WithLineSeparators(QString text)
{
    text.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    return text;
}

void DrawText(QPainter &painter, const MmMap &map, const Item &item, const QString &fullText,
              double bandLeft, double bandTop)
{
    const QFont font = ToQFont(item.font);
    QRectF box = map.rect(bandLeft + item.left, bandTop + item.top, item.width, item.height);
    const QString text = VisibleText(item, fullText, painter.device());

    QTextLayout layout(WithLineSeparators(text), font, painter.device());
    QTextOption option(item.autoWidth ? Qt::AlignLeft : QtAlign(item.align));
    option.setWrapMode(item.autoWidth ? QTextOption::NoWrap : QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    double y = 0;
    double natural = 0;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        if (item.autoWidth)
            line.setNumColumns(int(text.size()) + 1);
        else
            line.setLineWidth(box.width());
        line.setPosition(QPointF(0, y));
        y += line.height();
        natural = std::max(natural, double(line.naturalTextWidth()));
    }
    layout.endLayout();
    if (item.autoWidth) {
        box.setWidth(natural);
        if (item.height <= 0)
            box.setHeight(y);
    }

    if (item.background.isValid() && item.background.alpha() > 0)
        painter.fillRect(box, item.background);
    if (text.isEmpty())
        return;

    painter.setPen(item.font.color);
    const double limit = box.height() + map.y(0.05);
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        if (i > 0 && line.y() + line.height() > limit)
            break;
        line.draw(&painter, box.topLeft());
    }
}

// Draws the part `source` (in the picture's pixels) of an item's picture into `target`: the
// whole picture is placed so that this part covers the target, and cut at the target's edges.
// Every device so gets the picture itself, never a copy of a part of it (a document holds it
// once), and scales it to the target at its own resolution.
void PaintPicture(QPainter &painter, const QRectF &target, const QRectF &source, const Item &item,
                  PictureDevice *pictures)
{
    const double scaleX = target.width() / source.width();
    const double scaleY = target.height() / source.height();
    const QRectF whole(target.x() - source.x() * scaleX, target.y() - source.y() * scaleY,
                       item.picture.width() * scaleX, item.picture.height() * scaleY);
    const bool cut = source != QRectF(item.picture.rect());
    if (cut) {
        painter.save();
        painter.setClipRect(target, Qt::IntersectClip);
    }
    if (pictures)
        pictures->drawPicture(painter, whole, item);
    else
        painter.drawImage(whole, item.picture);
    if (cut)
        painter.restore();
}

void DrawPicture(QPainter &painter, const MmMap &map, const Item &item, double screenDpi,
                 double bandLeft, double bandTop, PictureDevice *pictures)
{
    // At its own size, or shrunk to its box keeping its proportions.
    const QSizeF size = PictureSize(item, screenDpi);
    if (size.isEmpty())
        return;
    const QRectF target = map.rect(bandLeft + item.left, bandTop + item.top, size.width(), size.height());
    PaintPicture(painter, target, QRectF(item.picture.rect()), item, pictures);
}

void DrawLine(QPainter &painter, const MmMap &map, const Item &item, double bandLeft, double bandTop)
{
    QPen pen(item.lineColor);
    pen.setWidthF(map.y(item.lineWidth));
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(map.point(bandLeft + item.left, bandTop + item.top),
                     map.point(bandLeft + item.left + item.width, bandTop + item.top + item.height));
}

} // namespace

QString VisibleText(const Item &item, const QString &text, const QPaintDevice *device)
{
    const QFontMetricsF metrics(ToQFont(item.font), device);
    const MmMap map(device);
    // A box that takes the width of its text never reaches beyond a metre of paper.
    const double width = item.autoWidth ? map.x(1000) : map.x(item.width);
    const double height = map.y(item.height + 0.05);
    const double narrowest = std::max(metrics.height() / 10.0, 0.01);
    const double perLine = std::ceil(width / narrowest) + 1;
    const double lines = std::ceil(height / std::max(metrics.lineSpacing(), 0.01)) + 1;
    const double room = (perLine + 1) * lines; // each line with its line break
    return room < double(text.size()) ? text.left(qsizetype(room)) : text;
}

QFont ToQFont(const Font &spec)
{
    QFont font(spec.family);
    const QString family = spec.family.toLower();
    if (family.contains(QLatin1String("courier")) || family.contains(QLatin1String("console")))
        font.setStyleHint(QFont::TypeWriter);
    else if (family.contains(QLatin1String("times")))
        font.setStyleHint(QFont::Serif);
    else
        font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(spec.size);
    font.setBold(spec.bold);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    font.setStrikeOut(spec.strikeout);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

QPageLayout PageLayoutOf(const Page &page)
{
    // A landscape page is paper of length × width turned on its side; the painted page is then
    // width × length as the layout is drawn.
    const bool landscape = page.orientation == Orientation::Landscape;
    const QSizeF paper = landscape ? QSizeF(page.length, page.width) : QSizeF(page.width, page.length);
    const QPageSize size(paper, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                       QPageLayout::Millimeter);
}

double ScreenDpi()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            return screen->logicalDotsPerInch();
    }
    return 96;
}

void RegisterReportFonts()
{
    static std::once_flag once;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    std::call_once(once, [] {
        for (const char *name : {"tahoma.ttf", "tahomabd.ttf"}) {
            const QString file = QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(name);
            if (QFileInfo::exists(file))
                QFontDatabase::addApplicationFont(file);
        }
        // Nearest in shape and width among the fonts a desktop usually has.
        QFont::insertSubstitutions(QStringLiteral("Arial Rounded MT Bold"),
                                   {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    });
}

ReportRenderer::ReportRenderer(const Report &report) : m_report(report)
{
    RegisterReportFonts();
    paginate();
}

void ReportRenderer::runBeforePrint(Band &band, int row) const
{
    if (!band.beforePrint)
        return;
    band.beforePrint(band, [this, row](const QString &source, const QString &field) {
        const DataSource *data = m_report.source(source);
        if (!data)
            return QString();
        return data->value(source == m_report.detailSource ? row : 0, field);
    });
}

void ReportRenderer::paginate()
{
    const Page &page = m_report.page;
    const Band *header = nullptr;
    const Band *footer = nullptr;
    int detailIndex = -1;
    for (int i = 0; i < m_report.bands.size(); ++i) {
        const Band &band = m_report.bands.at(i);
        if (band.kind == BandKind::PageHeader && !header)
            header = &band;
        else if (band.kind == BandKind::PageFooter && !footer)
            footer = &band;
        else if (band.kind == BandKind::Detail && detailIndex < 0)
            detailIndex = i;
    }
    if (m_report.columns >= 1) {
        paginateColumns(detailIndex);
        return;
    }

    const double bottom = page.length - page.bottom - (footer ? footer->height : 0);
    double y = 0;
    bool pageHasDetail = false;
    auto startPage = [&] {
        m_pages.append(QList<Placed>());
        y = page.top;
        if (header) {
            m_pages.last().append(Placed{*header, y, -1, page.left});
            y += header->height;
        }
        pageHasDetail = false;
    };
    auto closePage = [&] {
        if (footer)
            m_pages.last().append(Placed{*footer, page.length - page.bottom - footer->height, -1, page.left});
    };

    startPage();
    const DataSource *detail = m_report.source(m_report.detailSource);
    const int rows = detail ? int(detail->rows.size()) : 0;
    if (detailIndex >= 0) {
        Band &band = m_report.bands[detailIndex];
        for (int row = 0; row < rows; ++row) {
            runBeforePrint(band, row);
            if (pageHasDetail && y + band.height > bottom + 1e-9) {
                closePage();
                startPage();
            }
            m_pages.last().append(Placed{band, y, row, page.left});
            y += band.height;
            pageHasDetail = true;
        }
    }
    closePage();
}

void ReportRenderer::paginateColumns(int detailIndex)
{
    // Tenths of a millimetre, rounded with halves to even (the default rounding mode).
    const auto tenths = [](double mm) { return qint64(std::nearbyint(mm * 10)); };
    const Page &page = m_report.page;
    const qint64 left = tenths(page.left);
    const qint64 top = tenths(page.top);
    const qint64 bottom = tenths(page.length - page.bottom);
    const qint64 width = tenths(page.width - page.left - page.right) / m_report.columns;

    m_pages.append(QList<Placed>());
    const DataSource *detail = m_report.source(m_report.detailSource);
    const int rows = detail ? int(detail->rows.size()) : 0;
    if (detailIndex < 0)
        return;
    Band &band = m_report.bands[detailIndex];
    band.width = double(width) / 10;
    qint64 y = top;
    int column = 0;
    bool columnUsed = false;
    for (int row = 0; row < rows; ++row) {
        runBeforePrint(band, row);
        const qint64 height = tenths(band.height);
        // A band taller than a whole column still prints, alone in its column.
        if (columnUsed && bottom - y < height) {
            y = top;
            columnUsed = false;
            if (++column == m_report.columns) {
                column = 0;
                m_pages.append(QList<Placed>());
            }
        }
        m_pages.last().append(Placed{band, double(y) / 10, row, double(left + column * width) / 10});
        y += height;
        columnUsed = true;
    }
}

QString ReportRenderer::itemText(const Item &item, int row, int page) const
{
    QString text = item.caption;
    if (!item.source.isEmpty()) {
        const DataSource *data = m_report.source(item.source);
        if (data)
            text = data->value(item.source == m_report.detailSource ? row : 0, item.field);
        else
            text.clear();
    }
    switch (item.sysData) {
    case SysData::PageNumber:
        text += QString::number(page + 1);
        break;
    case SysData::DateTime:
        text += m_report.printedAt.toString(QStringLiteral("yyyy.MM.dd. H:mm:ss"));
        break;
    case SysData::ReportTitle:
        text += m_report.title;
        break;
    case SysData::None:
        break;
    }
    return text;
}

void ReportRenderer::paintBand(QPainter &painter, const Placed &placed, int page, PictureDevice *pictures) const
{
    const MmMap map(painter.device());
    const double left = placed.left;
    // A column's band is cut at the column's edges, so that nothing runs onto the next label.
    const bool clip = m_report.columns >= 1;
    if (clip) {
        painter.save();
        painter.setClipRect(map.rect(left, 0, placed.band.width, m_report.page.length), Qt::IntersectClip);
    }
    for (const Item &item : placed.band.items) {
        switch (item.kind) {
        case ItemKind::Text:
            DrawText(painter, map, item, itemText(item, placed.row, page), left, placed.top);
            break;
        case ItemKind::Picture:
            DrawPicture(painter, map, item, m_report.screenDpi, left, placed.top, pictures);
            break;
        case ItemKind::Line:
            DrawLine(painter, map, item, left, placed.top);
            break;
        }
    }
    if (clip)
        painter.restore();
}

void ReportRenderer::paintPage(QPainter &painter, int page, PictureDevice *pictures) const
{
    if (page < 0 || page >= m_pages.size())
        return;
    painter.save();
    if (!m_report.offset.isNull()) {
        const MmMap map(painter.device());
        painter.translate(map.x(m_report.offset.x), map.y(m_report.offset.y));
    }
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    for (const Placed &placed : m_pages.at(page))
        paintBand(painter, placed, page, pictures);
    painter.restore();
}

namespace {

// Qt's PDF engine compresses every stream (each page) through two fresh buffers of 10 MB. Past
// the C library's threshold for mapping memory, each was a new mapping from the system per page,
// filled with zeros page by page as it was touched and unmapped again: a quarter of the time of a
// long run went there. Buffers of that size now come from the heap and stay there for the next
// page; only the pages actually touched take memory.
void KeepLargeBuffersInHeap()
{
#ifdef __GLIBC__
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
    });
#endif
}

} // namespace

PdfJobWriter::PdfJobWriter(const QString &fileName) : m_fileName(fileName)
{
    // Refused before any job is made, so a run to a forbidden file prints nothing at all.
    CheckOutputTarget(fileName);
    KeepLargeBuffersInHeap();
}

PdfJobWriter::~PdfJobWriter()
{
    if (m_painter && m_painter->isActive())
        m_painter->end();
}

void PdfJobWriter::add(const Report &report)
{
    const ReportRenderer renderer(report);
    const QPageLayout layout = PageLayoutOf(report.page);
    for (int page = 0; page < renderer.pageCount(); ++page) {
        if (!m_writer) {
            m_output = std::make_unique<OutputFile>(m_fileName);
            m_stream = std::make_unique<PdfStream>(m_output->device());
            m_pictures = std::make_unique<PdfPictures>(*m_stream);
            m_writer = std::make_unique<QPdfWriter>(m_stream.get());
            m_writer->setResolution(1200);
            m_writer->setTitle(report.title);
            m_writer->setCreator(QStringLiteral("Kartevo"));
            m_writer->setPageLayout(layout);
            m_painter = std::make_unique<QPainter>();
            if (!m_painter->begin(m_writer.get()))
                throw Error(QStringLiteral("A PDF fájl nem írható: %1").arg(m_fileName));
        } else {
            m_writer->setPageLayout(layout);
            if (!m_writer->newPage())
                throw Error(QStringLiteral("A PDF fájl nem írható: %1").arg(m_fileName));
        }
        m_stream->addPage(QSizeF(report.page.width, report.page.length));
        renderer.paintPage(*m_painter, page, m_pictures.get());
        ++m_pages;
    }
    ++m_jobs;
}

void PdfJobWriter::finish()
{
    if (!m_painter || !m_painter->isActive())
        return;
    const bool ended = m_painter->end();
    m_painter.reset();
    m_writer.reset();
    const bool complete = m_stream->finish();
    const bool writeFailed = m_stream->writeFailed();
    m_pictures.reset();
    m_stream.reset();
    if (!writeFailed && (!ended || !complete))
        throw Error(QStringLiteral("A PDF fájl nem írható: %1 (a fájl nem készült el)").arg(m_fileName));
    // After a failed write this throws the error naming the file and the reason.
    m_output->commit();
    m_output.reset();
}

void WritePdf(const QString &fileName, const Report &report)
{
    PdfJobWriter writer(fileName);
    writer.add(report);
    writer.finish();
}

QImage RenderPageImage(const Report &report, int page, double dpi)
{
    const ReportRenderer renderer(report);
    const QSizeF size(report.page.width, report.page.length);
    QImage image(qRound(size.width() / kMmPerInch * dpi), qRound(size.height() / kMmPerInch * dpi),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.paintPage(painter, page);
    painter.end();
    return image;
}

} // namespace kartevo::report
