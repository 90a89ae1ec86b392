#include "printing/textprint.h"

#include "printing/reportrenderer.h"

namespace kartevo {

namespace {

// 12 pixels at 96 pixels per inch; a character of the fixed-pitch font is 0.6 of it wide.
constexpr double kFontPoints = 9;
constexpr double kCharWidthMm = kFontPoints * 0.6 * 25.4 / 72;
constexpr double kLineHeightMm = 4.0;

} // namespace

QStringList WrapText(const QString &text, int width)
{
    QStringList lines;
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QString rest : normalized.split(u'\n')) {
        while (rest.size() > width) {
            qsizetype cut = rest.lastIndexOf(u' ', width);
            if (cut <= 0)
                cut = width;
            lines.append(rest.left(cut));
            rest = rest.mid(cut).trimmed();
        }
        lines.append(rest);
    }
    return lines;
}

report::Report MakeTextPrint(const QString &title, const QString &text)
{
    report::Report r;
    r.name = QStringLiteral("qrText");
    r.title = title;
    r.page = {210, 297, report::Orientation::Portrait, 25, 25, 25, 15};
    r.font.family = QStringLiteral("Lucida Console");
    r.font.size = kFontPoints;
    r.screenDpi = report::ScreenDpi();
    const int width = int(r.page.printableWidth() / kCharWidthMm) - 1;

    report::DataSource lines;
    lines.name = QStringLiteral("Text");
    lines.fields = {QStringLiteral("line")};
    for (const QString &line : WrapText(text, width))
        lines.rows.append({line});
    r.sources = {lines};
    r.detailSource = lines.name;

    report::Band band;
    band.name = QStringLiteral("DetailBand1");
    band.width = r.page.printableWidth();
    band.height = kLineHeightMm;
    report::Item item;
    item.name = QStringLiteral("QRDBText1");
    item.width = band.width;
    item.height = kLineHeightMm;
    item.source = lines.name;
    item.field = QStringLiteral("line");
    item.font = r.font;
    band.items = {item};
    r.bands = {band};
    return r;
}

} // namespace kartevo
