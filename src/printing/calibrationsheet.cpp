#include "printing/calibrationsheet.h"

#include "labels/labels.h"
#include "printing/gridprint.h"
#include "printing/stationery.h"

#include <cmath>

namespace kartevo {

namespace {

using report::Align;
using report::Item;
using report::ItemKind;

Item Line(const QString &name, double left, double top, double width, double height, double lineWidth)
{
    Item item;
    item.name = name;
    item.kind = ItemKind::Line;
    item.left = left;
    item.top = top;
    item.width = width;
    item.height = height;
    item.lineWidth = lineWidth;
    return item;
}

Item Text(const QString &name, const QString &caption, double left, double top, double width, double height,
          double size, bool bold = false, Align align = Align::Left)
{
    Item item;
    item.name = name;
    item.caption = caption;
    item.left = left;
    item.top = top;
    item.width = width;
    item.height = height;
    item.font.family = QStringLiteral("Arial");
    item.font.size = size;
    item.font.bold = bold;
    item.align = align;
    return item;
}

Item Number(int mm, double left, double top)
{
    Item item = Text(QString(), QString::number(mm), left, top, 0, 0, 5);
    item.autoWidth = true;
    return item;
}

// A millimetre tick: 2.5 mm long, 4 mm every 5 mm, 6 mm every 10 mm.
double TickLength(int mm)
{
    return mm % 10 == 0 ? 6.0 : mm % 5 == 0 ? 4.0 : 2.5;
}

void AddCrosshair(QList<Item> &items, int number, double x, double y, bool captionLeft)
{
    constexpr double arm = 6;
    const QString name = QStringLiteral("Cross%1").arg(number);
    items.append(Line(name + u'H', x - arm, y, 2 * arm, 0, 0.2));
    items.append(Line(name + u'V', x, y - arm, 0, 2 * arm, 0.2));
    constexpr double width = 60;
    items.append(Text(name + QStringLiteral("Caption"), CrosshairCaption(x, y), captionLeft ? x - 2 - width : x + 2,
                      y + 1.5, width, 4, 8, false, captionLeft ? Align::Right : Align::Left));
}

} // namespace

report::Page FamilyPage(PrintFamily family)
{
    switch (family) {
    case PrintFamily::C6:
        return MakeBoritek(EnvelopeKind::C6).page;
    case PrintFamily::LA4:
        return MakeBoritek(EnvelopeKind::LA4).page;
    case PrintFamily::LC5:
        return MakeBoritek(EnvelopeKind::LC5).page;
    case PrintFamily::Registered:
        return MakeAjanlott().page;
    case PrintFamily::ChequeFront:
        return MakeCsekk(0).page;
    case PrintFamily::ChequeBack:
        return MakeCsekk2(QString()).page;
    case PrintFamily::Cod:
        return MakeUtanvet(0).page;
    case PrintFamily::Labels:
        return MakeCimke({}, LabelLayout{}).page;
    case PrintFamily::List:
    case PrintFamily::None:
        break;
    }
    return MakeGridPrint({}, 1, {}, QString(), 8).page;
}

QString CrosshairCaption(double x, double y)
{
    const auto mm = [](double value) { return QString::number(value, 'f', 1).replace(u'.', u','); };
    return QStringLiteral("X = %1 mm, Y = %2 mm").arg(mm(x), mm(y));
}

report::Report MakeCalibrationSheet(PrintFamily family)
{
    const PrintFamilyInfo *info = FindPrintFamily(family);
    const QString caption = info ? info->caption.toString() : QString();

    report::Report sheet;
    sheet.name = QStringLiteral("qrKalibral");
    sheet.title = QStringLiteral("Kalibráló lap: %1").arg(caption);
    sheet.family = PrintFamily::None;
    sheet.page = FamilyPage(family);
    // Everything is placed from the paper's corner.
    sheet.page.top = sheet.page.bottom = sheet.page.left = sheet.page.right = 0;
    const double width = sheet.page.width;
    const double length = sheet.page.length;

    report::Band band;
    band.name = QStringLiteral("PageHeaderBand1");
    band.kind = report::BandKind::PageHeader;
    band.width = width;
    band.height = length;
    QList<Item> &items = band.items;
    constexpr double tick = 0.15;
    for (int mm = 0; mm <= int(std::floor(width)); ++mm) {
        items.append(Line(QString(), mm, 0, 0, TickLength(mm), tick));
        if (mm > 0 && mm % 10 == 0)
            items.append(Number(mm, mm + 0.5, 3.6));
    }
    for (int mm = 0; mm <= int(std::floor(length)); ++mm) {
        items.append(Line(QString(), 0, mm, TickLength(mm), 0, tick));
        if (mm > 0 && mm % 10 == 0)
            items.append(Number(mm, 3.6, mm + 0.4));
    }
    AddCrosshair(items, 1, kCrosshairInsetMm, kCrosshairInsetMm, false);
    AddCrosshair(items, 2, width - kCrosshairInsetMm, length - kCrosshairInsetMm, true);

    const double textWidth = width - 2 * 30;
    items.append(Text(QStringLiteral("Title"), sheet.title, 30, 9, textWidth, 6, 10, true));
    items.append(Text(QStringLiteral("Instruction"),
                      QStringLiteral("Mérd meg vonalzóval a szálkeresztek helyét a papír bal és felső szélétől, "
                                     "és a Nyomtatás igazítása ablakba írd be a felirat és a mért érték "
                                     "különbségét (felirat − mért; jobbra és lefelé pozitív)."),
                      30, 32, textWidth, 14, 8));
    items.append(Text(QStringLiteral("Note"),
                      QStringLiteral("Ez a lap a beállított eltolás nélkül készült, így a mért eltérés nem "
                                     "számít kétszer."),
                      30, 48, textWidth, 10, 8));
    sheet.bands.append(band);
    return sheet;
}

} // namespace kartevo
