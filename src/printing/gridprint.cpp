#include "printing/gridprint.h"

#include <QCoreApplication>

#include <cmath>

namespace kartevo {

using report::Align;
using report::Band;
using report::BandKind;
using report::Font;
using report::Item;
using report::ItemKind;
using report::Report;
using report::SysData;

namespace {

const QColor Silver(192, 192, 192);
constexpr double kPixelMm = 25.4 / 96.0; // frame widths are given in screen pixels

Item LineItem(double left, double top, double width, double height, QColor color, double widthMm)
{
    Item item;
    item.kind = ItemKind::Line;
    item.left = left;
    item.top = top;
    item.width = width;
    item.height = height;
    item.lineColor = color;
    item.lineWidth = widthMm;
    return item;
}

Item TextItem(const QString &name, double left, double top, double width, double height,
              const Font &font, Align align)
{
    Item item;
    item.name = name;
    item.left = left;
    item.top = top;
    item.width = width;
    item.height = height;
    item.font = font;
    item.align = align;
    return item;
}

Font MakeFont(const char *family, double size, bool bold = false, bool italic = false)
{
    Font font;
    font.family = QString::fromUtf8(family);
    font.size = size;
    font.bold = bold;
    font.italic = italic;
    return font;
}

} // namespace

QList<int> GridColumnUnits(const QList<GridPrintColumn> &columns, int gridWidth)
{
    QList<int> units;
    for (const GridPrintColumn &column : columns) {
        const double exact = gridWidth > 0 ? 575.0 * column.width / gridWidth : 0.0;
        units.append(int(std::nearbyint(exact))); // the default rounding mode: halves to even
    }
    return units;
}

Report MakeGridPrint(const QList<GridPrintColumn> &columns, int gridWidth, const QList<QStringList> &rows,
                     const QString &title, int fontSize)
{
    Report report;
    report.name = QStringLiteral("qrGridPrint");
    report.family = PrintFamily::List;
    report.title = title;
    report.page = {210, 297, report::Orientation::Portrait, 10, 10, 10, 10};
    report.font = MakeFont("Tahoma", fontSize);
    report.detailSource = QStringLiteral("grid");
    constexpr double bandWidth = 190.2;

    Band header;
    header.name = QStringLiteral("QRBand1");
    header.kind = BandKind::PageHeader;
    header.width = bandWidth;
    header.height = 30.1;
    // QRShape1: two horizontal lines along the top and the bottom of its box.
    header.items.append(LineItem(0, 0, 75.7, 0, QColor(0, 0, 0), kPixelMm));
    header.items.last().name = QStringLiteral("QRShape1");
    header.items.append(LineItem(0, 20.2, 75.7, 0, QColor(0, 0, 0), kPixelMm));
    header.items.last().name = QStringLiteral("QRShape1");
    Item label = TextItem(QStringLiteral("QRLabel1"), 0, 1.3, 0, 6.95, MakeFont("Arial", 16, true), Align::Left);
    label.autoWidth = true;
    label.caption = title;
    header.items.append(label);

    Band detail;
    detail.name = QStringLiteral("QRBand2");
    detail.kind = BandKind::Detail;
    detail.width = bandWidth;
    detail.height = 5.95;

    const QList<int> units = GridColumnUnits(columns, gridWidth);
    report::DataSource data;
    data.name = report.detailSource;
    int x = 0;
    for (int i = 0; i < columns.size(); ++i) {
        const GridPrintColumn &column = columns.at(i);
        const QString field = QStringLiteral("c%1").arg(i);
        data.fields.append(field);
        Item cell = TextItem(QStringLiteral("QRDBText%1").arg(i + 1), x * kGridUnitMm, 2 * kGridUnitMm,
                             units.at(i) * kGridUnitMm, 13 * kGridUnitMm, report.font, column.align);
        cell.source = data.name;
        cell.field = field;
        detail.items.append(cell);
        Font titleFont = report.font;
        titleFont.italic = true;
        Item caption = TextItem(QStringLiteral("QRTitle%1").arg(i + 1), x * kGridUnitMm, 72 * kGridUnitMm,
                                units.at(i) * kGridUnitMm, 13 * kGridUnitMm, titleFont, column.align);
        caption.caption = column.title;
        header.items.append(caption);
        x += units.at(i) + 4;
    }
    data.rows = rows;
    header.items.append(LineItem(0, header.height, bandWidth, 0, Silver, 2 * kPixelMm));
    detail.items.append(LineItem(0, detail.height, bandWidth, 0, Silver, kPixelMm));

    Band footer;
    footer.name = QStringLiteral("QRBand3");
    footer.kind = BandKind::PageFooter;
    footer.width = bandWidth;
    footer.height = 14.55;
    footer.items.append(LineItem(0, 0, bandWidth, 0, Silver, kPixelMm));
    const Font small = MakeFont("Courier New", 6);
    auto addFooter = [&](const char *name, double top, Align align, const QString &caption, SysData sys) {
        Item item = TextItem(QString::fromUtf8(name), 0, top, bandWidth, 2.6, small, align);
        item.caption = caption;
        item.sysData = sys;
        footer.items.append(item);
    };
    addFooter("QRLabel10", 1.3, Align::Left, QStringLiteral("Kartevo"), SysData::None);
    addFooter("QRSysData3", 6.6, Align::Left, QStringLiteral("oldal: "), SysData::PageNumber);
    addFooter("QRLabel3", 6.6, Align::Center, QString::fromUtf8(kHomePage), SysData::None);
    addFooter("QRSysData4", 1.3, Align::Right, QString(), SysData::DateTime);
    addFooter("QRSysData5", 4.0, Align::Right, QString(), SysData::ReportTitle);
    addFooter("QRLabel4", 6.6, Align::Right, QStringLiteral("qrGridPrint"), SysData::None);

    report.bands = {header, detail, footer};
    report.sources = {data};
    return report;
}

} // namespace kartevo
