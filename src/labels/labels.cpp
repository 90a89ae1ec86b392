#include "labels/labels.h"

#include "core/clientlist.h"
#include "core/error.h"
#include "core/helpers.h"
#include "core/settings.h"
#include "core/statement.h"
#include "printing/printrun.h"
#include "printing/reportrenderer.h"
#include "printing/stationery.h"

#include <cmath>

namespace kartevo {

namespace {

constexpr double kPaperWidth = 210;
constexpr double kPaperLength = 297;
constexpr double kBottomMargin = 1.0;
constexpr int kDesignColumns = 3;

// The designer captions and the report items, line by line: the label list's field of each.
struct LineDef {
    const char *item;
    const char *fieldName;
    QString Label::*field;
};
const LineDef kLines[5] = {
    {"QRDBText1", "ugyfel_nev", &Label::ugyfel_nev},
    {"QRDBText2", "kapcsolat", &Label::kapcsolat},
    {"QRDBText3", "cim_varos", &Label::cim_varos},
    {"QRDBText4", "cim_cim", &Label::cim_cim},
    {"QRDBText5", "cim_irsz", &Label::cim_irsz},
};

int HalfEven(double value)
{
    return int(std::nearbyint(value)); // the default rounding mode: halves to even
}

QLocale PlainNumbers(QLocale locale)
{
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

} // namespace

LabelSheet LabelSheetOf(const TBeall &settings)
{
    return {settings.LabelLeft, settings.LabelTop, settings.LabelHeight, settings.LabelColumn};
}

report::Font LabelFontOf(const TBeall &settings)
{
    report::Font font;
    font.family = settings.LabelFont;
    font.size = settings.LabelSize;
    font.bold = settings.LabelBold;
    font.italic = settings.LabelItalic;
    font.underline = settings.LabelUnderline;
    return font;
}

QString LabelSheetProblem(const LabelSheet &sheet)
{
    constexpr int kMaxColumns = 100;
    const int columns = sheet.columns < 1 ? kDesignColumns : sheet.columns;
    if (!std::isfinite(sheet.side) || !std::isfinite(sheet.top) || !std::isfinite(sheet.height))
        return QStringLiteral("A címkelap egyik mérete nem szám.");
    if (sheet.side < 0 || sheet.top < 0)
        return QStringLiteral("A címkelap margója nem lehet negatív (szélső margó %1 mm, felső margó %2 mm).")
            .arg(SheetNumber(sheet.side), SheetNumber(sheet.top));
    if (columns > kMaxColumns)
        return QStringLiteral("A címkelapon legfeljebb %1 oszlop lehet, nem %2.").arg(kMaxColumns).arg(columns);
    if ((kPaperWidth - 2 * sheet.side) / columns < 1)
        return QStringLiteral("A %1 mm-es szélső margó és %2 oszlop mellett egy címke sem fér el a %3 mm "
                              "széles lapon.")
            .arg(SheetNumber(sheet.side))
            .arg(columns)
            .arg(SheetNumber(kPaperWidth));
    if (sheet.top >= kPaperLength - kBottomMargin)
        return QStringLiteral("A %1 mm-es felső margó alatt egy címke sem fér el a %2 mm magas lapon.")
            .arg(SheetNumber(sheet.top), SheetNumber(kPaperLength));
    if (sheet.height < 0 || sheet.height > kPaperLength)
        return QStringLiteral("A címke magassága 0 és %1 mm között lehet, nem %2 mm.")
            .arg(SheetNumber(kPaperLength), SheetNumber(sheet.height));
    return {};
}

LabelLayout LabelLayoutOf(const TBeall &settings, double screenDpi)
{
    LabelLayout layout;
    layout.sheet = LabelSheetOf(settings);
    const report::Font font = LabelFontOf(settings);
    const int places[5][2] = {{settings.l1Left, settings.l1Top},
                              {settings.l2Left, settings.l2Top},
                              {settings.l3Left, settings.l3Top},
                              {settings.l4Left, settings.l4Top},
                              {settings.l5Left, settings.l5Top}};
    for (int i = 0; i < 5; ++i)
        layout.lines[i] = {places[i][0], places[i][1], font};
    layout.screenDpi = screenDpi;
    return layout;
}

double LabelWidth(const LabelSheet &sheet)
{
    return SafeDivide(kPaperWidth - 2 * sheet.side, sheet.columns);
}

QSize DesignerSize(const LabelSheet &sheet)
{
    if (!LabelSheetProblem(sheet).isEmpty())
        return {0, 0}; // nothing to draw until the sheet can be printed
    return {HalfEven(LabelWidth(sheet) * kDesignerPixelsPerMm), HalfEven(sheet.height * kDesignerPixelsPerMm)};
}

QString LabelSummary(const LabelSheet &sheet, const QString &heightText, const QLocale &locale)
{
    if (!LabelSheetProblem(sheet).isEmpty())
        return LabelSheetProblem(sheet);
    const double rows = SafeDivide(kPaperLength - 2 * sheet.top, sheet.height);
    return PlainNumbers(locale).toString(LabelWidth(sheet), 'f', 2) + QStringLiteral(" x ") + heightText
        + QStringLiteral(": ") + QString::number(qint64(std::nearbyint(rows)) * sheet.columns)
        + QStringLiteral(" pcs");
}

int CaptionTopInside(int top, int captionHeight, int designerHeight)
{
    return top > designerHeight ? designerHeight - captionHeight - 1 : top;
}

QString SheetNumber(double value, const QLocale &locale)
{
    return PlainNumbers(locale).toString(value, 'g', QLocale::FloatingPointShortest);
}

QString FormatNumber(double value, const QLocale &locale)
{
    return PlainNumbers(locale).toString(value, 'f', 2);
}

LabelSelection LabelSelectionFor(int scope, qint64 currentClient, const std::optional<QString> &filterGroup,
                                 const QString &sortField)
{
    LabelSelection selection;
    selection.sortField = sortField;
    if (scope == scope::Current) {
        selection.client = currentClient;
    } else {
        selection.onlyMarked = scope == scope::Marked;
        selection.filterGroup = filterGroup;
    }
    return selection;
}

QString LabelCondition(const LabelSelection &selection)
{
    if (selection.client != -1)
        return QStringLiteral("(ugyfel=%1)").arg(selection.client);
    QStringList parts;
    if (selection.onlyMarked)
        parts.append(QStringLiteral("(jelolve='I')"));
    if (selection.filterGroup)
        parts.append(QStringLiteral("(csoport=") + SqlQuoted(*selection.filterGroup) + QLatin1Char(')'));
    return parts.join(QStringLiteral(" AND "));
}

QStringList LabelQuerySql(const LabelSelection &selection)
{
    CheckSortField(selection.sortField);
    QStringList lines = {QStringLiteral("SELECT ugyfel,ugyfel_nev,kapcsolat,cim_irsz,cim_varos,cim_cim,csoport"),
                         QStringLiteral("FROM ugyfel"), QStringLiteral("WHERE ugyfel>0"),
                         QStringLiteral("ORDER BY ugyfel_nev")};
    const QString condition = LabelCondition(selection);
    if (!condition.isEmpty())
        SetWhereLine(lines, condition);
    SetOrderByLine(lines, selection.sortField);
    return lines;
}

QString LabelContact(const QVariant &name, const QVariant &contact)
{
    // NULL reads as empty text, so two NULLs are equal and a NULL contact prints nothing.
    return ContactLine(NullToStr(name), NullToStr(contact));
}

QList<Label> GatherLabels(Database &db, const LabelSelection &selection, int startPosition)
{
    if (startPosition > kMaxStartPosition)
        throw Error(QStringLiteral("A kezdő címke sorszáma legfeljebb %1 lehet, nem %2.")
                        .arg(kMaxStartPosition)
                        .arg(startPosition));
    QList<Label> labels;
    for (int blank = 1; blank < startPosition; ++blank)
        labels.append(Label());
    Statement query(db, LabelQuerySql(selection).join(QLatin1Char('\n')));
    while (query.step()) {
        Label label;
        label.ugyfel_nev = NullToStr(query.column(1));
        label.kapcsolat = LabelContact(query.column(1), query.column(2));
        label.cim_irsz = NullToStr(query.column(3));
        label.cim_varos = NullToStr(query.column(4));
        label.cim_cim = NullToStr(query.column(5));
        labels.append(label);
    }
    return labels;
}

namespace {

// The label height and the room of a column below the top margin in the tenths of a
// millimetre the report places labels in; nullopt for a sheet MakeCimke refuses.
std::optional<std::pair<int, int>> ColumnTenths(const LabelSheet &sheet)
{
    if (!LabelSheetProblem(sheet).isEmpty())
        return std::nullopt;
    const int height = HalfEven(sheet.height * 10);
    const int room = HalfEven((kPaperLength - kBottomMargin) * 10) - HalfEven(sheet.top * 10);
    if (height < 1 || height > room)
        return std::nullopt;
    return std::make_pair(height, room);
}

} // namespace

int LabelRowsPerColumn(const LabelSheet &sheet)
{
    const auto tenths = ColumnTenths(sheet);
    return tenths ? tenths->second / tenths->first : 0;
}

int LabelsPerSheet(const LabelSheet &sheet)
{
    return LabelRowsPerColumn(sheet) * (sheet.columns < 1 ? kDesignColumns : sheet.columns);
}

LabelPlace PlaceOnSheet(int place, int rows)
{
    if (rows < 1 || place < 1)
        return {};
    return {(place - 1) / rows, (place - 1) % rows};
}

QString SheetGeometry(const LabelSheet &sheet, const QLocale &locale)
{
    const int rows = LabelRowsPerColumn(sheet);
    if (rows == 0)
        return {};
    const QLocale plain = PlainNumbers(locale);
    const int columns = sheet.columns < 1 ? kDesignColumns : sheet.columns;
    return QStringLiteral("%1 × %2, %3 × %4 mm")
        .arg(columns)
        .arg(rows)
        .arg(plain.toString(SafeDivide(kPaperWidth - 2 * sheet.side, columns), 'f', 1),
             plain.toString(sheet.height, 'f', 1));
}

int CountLabels(Database &db, const LabelSelection &selection)
{
    const QString condition = LabelCondition(selection);
    Statement count(db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE ")
                            + (condition.isEmpty() ? QStringLiteral("ugyfel>0") : condition));
    return count.step() ? count.column(0).toInt() : 0;
}

QString LabelSourceName(Database &db, const LabelSelection &selection)
{
    if (selection.client >= 0) {
        Statement name(db, QStringLiteral("SELECT ugyfel_nev FROM ugyfel WHERE ugyfel=:k"));
        name.bind(QStringLiteral(":k"), selection.client);
        return name.step() ? NullToStr(name.column(0)) : QString();
    }
    if (selection.onlyMarked)
        return selection.filterGroup ? QStringLiteral("Kijelöltek (%1)").arg(*selection.filterGroup)
                                     : QStringLiteral("Kijelöltek");
    return selection.filterGroup.value_or(QStringLiteral("Ügyfelek"));
}

int SheetsNeeded(int labels, int startPosition, int perSheet)
{
    if (perSheet < 1)
        return 0;
    const qint64 places = qint64(qMax(startPosition, 1)) - 1 + qMax(labels, 0);
    return int(qMax<qint64>(1, (places + perSheet - 1) / perSheet));
}

namespace {

// The Hungarian definite article before a number as it is read out: "az" before the numbers
// that start with a vowel (egy, öt, ötven…, ezer…), "a" before the others.
QString ArticleFor(int number)
{
    const QString digits = QString::number(number);
    const QChar first = digits.at(0);
    if (first == u'5')
        return QStringLiteral("az");
    if (first == u'1' && (digits.size() == 1 || digits.size() == 4 || digits.size() == 7))
        return QStringLiteral("az");
    return QStringLiteral("a");
}

} // namespace

QString LabelPlanText(int labels, const QString &source, int startPosition, int perSheet)
{
    QString text = QStringLiteral("%1 címke · %2").arg(labels).arg(source);
    if (perSheet < 1)
        return text;
    text += QStringLiteral(" · %1 lap").arg(SheetsNeeded(labels, startPosition, perSheet));
    if (startPosition > 1)
        text += QStringLiteral(" (az első lapon %1 %2. helytől)").arg(ArticleFor(startPosition)).arg(startPosition);
    return text;
}

int NextStartPosition(int startPosition, int labels, int perSheet)
{
    if (perSheet < 1 || labels < 1)
        return startPosition;
    const qint64 used = qint64(qMax(startPosition, 1)) - 1 + labels;
    return int(used % perSheet) + 1;
}

QList<QRectF> LabelOutlines(const report::Report &report, int page)
{
    const report::ReportRenderer renderer(report);
    QList<QRectF> outlines;
    if (page < 0 || page >= renderer.pageCount())
        return outlines;
    for (const report::ReportRenderer::Placed &placed : renderer.placedBands(page)) {
        if (placed.row >= 0)
            outlines.append(QRectF(placed.left, placed.top, placed.band.width, placed.band.height));
    }
    return outlines;
}

report::Report MakeCimke(const QList<Label> &labels, const LabelLayout &layout)
{
    const LabelSheet &sheet = layout.sheet;
    if (const QString problem = LabelSheetProblem(sheet); !problem.isEmpty())
        throw Error(problem);
    // The same tenths of a millimetre the report engine places the labels in.
    const int height = HalfEven(sheet.height * 10);
    const int room = HalfEven((kPaperLength - kBottomMargin) * 10) - HalfEven(sheet.top * 10);
    if (height < 1)
        throw Error(QStringLiteral("A címke magassága 0 mm, így a címkék nem helyezhetők el a lapon. "
                                   "Adj meg 0-nál nagyobb magasságot."));
    if (height > room)
        throw Error(QStringLiteral("A %1 mm magas címke nem fér el a lapon a %2 mm-es felső margó alatt "
                                   "(legfeljebb %3 mm lehet).")
                        .arg(SheetNumber(sheet.height), SheetNumber(sheet.top), SheetNumber(room / 10.0)));

    report::Report report;
    report.name = QStringLiteral("qrCimke");
    report.family = PrintFamily::Labels;
    report.title = QStringLiteral("Címkék");
    report.page.width = kPaperWidth;
    report.page.length = kPaperLength;
    report.page.top = sheet.top;
    report.page.bottom = kBottomMargin;
    report.page.left = sheet.side;
    report.page.right = sheet.side;
    report.columns = sheet.columns < 1 ? kDesignColumns : sheet.columns;
    report.screenDpi = layout.screenDpi;

    report::DataSource list;
    list.name = QStringLiteral("Tbl");
    for (const LineDef &line : kLines)
        list.fields.append(QLatin1String(line.fieldName));
    list.rows.reserve(labels.size());
    for (const Label &label : labels) {
        QStringList row;
        row.reserve(5);
        for (const LineDef &line : kLines)
            row.append(label.*line.field);
        list.rows.append(row);
    }

    report::Band band;
    band.name = QStringLiteral("QRBand1");
    band.kind = report::BandKind::Detail;
    band.height = sheet.height;
    const double mmPerPixel = 25.4 / layout.screenDpi;
    for (int i = 0; i < 5; ++i) {
        report::Item item;
        item.name = QLatin1String(kLines[i].item);
        item.kind = report::ItemKind::Text;
        item.left = layout.lines[i].left * mmPerPixel;
        item.top = layout.lines[i].top * mmPerPixel;
        item.source = list.name;
        item.field = list.fields.at(i);
        item.font = layout.lines[i].font;
        item.background = QColor(255, 255, 255);
        item.autoWidth = true; // one line of the text's own size
        band.items.append(item);
    }
    report.bands.append(band);
    report.detailSource = list.name;
    report.sources.append(list);
    return report;
}

} // namespace kartevo
