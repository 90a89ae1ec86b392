// Address labels without a window: where the report places each label on the sheet, the lines
// inside a label, refused sheets, the designer's summary, which clients get a label and in what
// order, and that gathering labels changes nothing in the database.
#include "core/error.h"
#include "core/settings.h"
#include "labels/labels.h"
#include "printing/reportrenderer.h"
#include "testfiles.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace kartevo;

namespace {

// Where each label of a list lands: page, left and top in millimetres.
struct Place {
    int page;
    double left;
    double top;
};

QList<Place> Places(const report::Report &report)
{
    const report::ReportRenderer renderer(report);
    QList<Place> places;
    for (int page = 0; page < renderer.pageCount(); ++page) {
        for (const auto &placed : renderer.placedBands(page)) {
            if (placed.row >= 0)
                places.append({page, placed.left, placed.top});
        }
    }
    return places;
}

LabelLayout Layout(double side, double top, double height, int columns)
{
    LabelLayout layout = LabelLayoutOf(TBeall(), 96);
    layout.sheet = {side, top, height, columns};
    return layout;
}

QList<Label> Numbered(int count)
{
    QList<Label> labels;
    for (int i = 1; i <= count; ++i)
        labels.append({QStringLiteral("Ügyfél %1").arg(i), {}, QStringLiteral("Budapest"), QStringLiteral("Fő utca %1.").arg(i),
                       QStringLiteral("1011")});
    return labels;
}

} // namespace

class TestLabels : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placement_data()
    {
        QTest::addColumn<double>("side");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("index"); // the label looked at, counted from 0
        QTest::addColumn<int>("page");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("labelTop");
        QTest::addColumn<int>("pages");

        // Defaults: columns at 7.2, 72.4 and 137.6 mm, 7 labels each, filled column by column.
        QTest::newRow("defaults: first") << 7.2 << 15.2 << 38.1 << 3 << 22 << 0 << 0 << 7.2 << 15.2 << 2;
        QTest::newRow("defaults: 7th, bottom of column 1") << 7.2 << 15.2 << 38.1 << 3 << 22 << 6 << 0 << 7.2 << 243.8 << 2;
        QTest::newRow("defaults: 8th, top of column 2") << 7.2 << 15.2 << 38.1 << 3 << 22 << 7 << 0 << 72.4 << 15.2 << 2;
        QTest::newRow("defaults: 21st, last of the page") << 7.2 << 15.2 << 38.1 << 3 << 22 << 20 << 0 << 137.6 << 243.8 << 2;
        QTest::newRow("defaults: 22nd, new page") << 7.2 << 15.2 << 38.1 << 3 << 22 << 21 << 1 << 7.2 << 15.2 << 2;
        // H = 371 tenths: an 8th label would end at 296.8 mm, beyond the room of 296.0 mm.
        QTest::newRow("37.125 high: 7th") << 7.2 << 0.0 << 37.125 << 3 << 8 << 6 << 0 << 7.2 << 222.6 << 1;
        QTest::newRow("37.125 high: 8th in column 2") << 7.2 << 0.0 << 37.125 << 3 << 8 << 7 << 0 << 72.4 << 0.0 << 1;
        // A column count below 1 prints three columns.
        QTest::newRow("0 columns: 8th") << 7.2 << 15.2 << 38.1 << 0 << 22 << 7 << 0 << 72.4 << 15.2 << 2;
        QTest::newRow("0 columns: 15th") << 7.2 << 15.2 << 38.1 << 0 << 22 << 14 << 0 << 137.6 << 15.2 << 2;
        QTest::newRow("-2 columns: 22nd") << 7.2 << 15.2 << 38.1 << -2 << 22 << 21 << 1 << 7.2 << 15.2 << 2;
        QTest::newRow("1 column: 8th on page 2") << 7.2 << 15.2 << 38.1 << 1 << 8 << 7 << 1 << 7.2 << 15.2 << 2;
        // Rounding in tenths, halves to even: L = 72, W = 1955 / 3 = 651.
        QTest::newRow("7.25 side: column 2") << 7.25 << 15.2 << 38.1 << 3 << 8 << 7 << 0 << 72.3 << 15.2 << 1;
        // The tallest label that fits: one per column.
        QTest::newRow("280.8 high: 4th on page 2") << 7.2 << 15.2 << 280.8 << 3 << 4 << 3 << 1 << 7.2 << 15.2 << 2;
    }

    void placement()
    {
        QFETCH(double, side);
        QFETCH(double, top);
        QFETCH(double, height);
        QFETCH(int, columns);
        QFETCH(int, count);
        QFETCH(int, index);
        QFETCH(int, page);
        QFETCH(double, left);
        QFETCH(double, labelTop);
        QFETCH(int, pages);

        const report::Report report = MakeCimke(Numbered(count), Layout(side, top, height, columns));
        QCOMPARE(report::ReportRenderer(report).pageCount(), pages);
        const QList<Place> places = Places(report);
        QCOMPARE(places.size(), count);
        const Place &place = places.at(index);
        QCOMPARE(place.page, page);
        QCOMPARE(qRound(place.left * 10), qRound(left * 10));
        QCOMPARE(qRound(place.top * 10), qRound(labelTop * 10));
    }

    void emptyListGivesOneBlankPage()
    {
        const report::Report report = MakeCimke({}, Layout(7.2, 15.2, 38.1, 3));
        const report::ReportRenderer renderer(report);
        QCOMPARE(renderer.pageCount(), 1);
        QVERIFY(renderer.placedBands(0).isEmpty());
    }

    // Blank labels take their places: start position 9 leaves the first column's seven and the
    // second column's first place empty.
    void startPositionLeavesPlacesEmpty()
    {
        test::DemoDatabase demo;
        LabelSelection everyone;
        const QList<Label> labels = GatherLabels(demo.db, everyone, 9);
        QCOMPARE(labels.size(), 8 + 30);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(labels.at(i), Label());
        QCOMPARE(labels.at(8).ugyfel_nev, QStringLiteral("Almási és Társa Kft."));
        const QList<Place> places = Places(MakeCimke(labels, Layout(7.2, 15.2, 38.1, 3)));
        QCOMPARE(qRound(places.at(8).left * 10), 724);
        QCOMPARE(qRound(places.at(8).top * 10), 533);
        // Start positions of 1 or less add nothing.
        QCOMPARE(GatherLabels(demo.db, everyone, 1).size(), 30);
        QCOMPARE(GatherLabels(demo.db, everyone, -3).size(), 30);
    }

    // The default line places (28 px from the left; 17, 45, 73, 97, 125 px from the top) at
    // 96 pixels per inch, in the order and fields of the five items, each on a white box.
    void linesInsideTheLabel()
    {
        TBeall settings;
        settings.LabelFont = QStringLiteral("Times New Roman");
        settings.LabelSize = 12;
        settings.LabelItalic = true;
        const report::Report report = MakeCimke(Numbered(1), LabelLayoutOf(settings, 96));
        const report::Band &band = report.bands.first();
        QCOMPARE(band.height, 38.1);
        const char *fields[] = {"ugyfel_nev", "kapcsolat", "cim_varos", "cim_cim", "cim_irsz"};
        const double tops[] = {4.50, 11.91, 19.31, 25.66, 33.07};
        QCOMPARE(band.items.size(), 5);
        for (int i = 0; i < 5; ++i) {
            const report::Item &item = band.items.at(i);
            QCOMPARE(item.name, QStringLiteral("QRDBText%1").arg(i + 1));
            QCOMPARE(item.field, QLatin1String(fields[i]));
            QCOMPARE(qRound(item.left * 100), 741);
            QCOMPARE(qRound(item.top * 100), qRound(tops[i] * 100));
            QCOMPARE(item.font.family, QStringLiteral("Times New Roman"));
            QCOMPARE(item.font.size, 12.0);
            QVERIFY(item.font.italic && !item.font.bold);
            QCOMPARE(item.background, QColor(Qt::white));
            QVERIFY(item.autoWidth);
        }
        // On a screen of 120 pixels per inch the same pixels are nearer the corner.
        const report::Report dense = MakeCimke(Numbered(1), LabelLayoutOf(settings, 120));
        QCOMPARE(qRound(dense.bands.first().items.first().left * 100), 593);
    }

    void refusedHeights_data()
    {
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("height");
        QTest::newRow("0") << 15.2 << 0.0;
        QTest::newRow("below a tenth") << 15.2 << 0.04;
        QTest::newRow("negative") << 15.2 << -38.1;
        QTest::newRow("taller than the room") << 15.2 << 280.9;
        QTest::newRow("top margin beyond the room") << 300.0 << 38.1;
    }

    void refusedHeights()
    {
        QFETCH(double, top);
        QFETCH(double, height);
        try {
            MakeCimke(Numbered(3), Layout(7.2, top, height, 3));
            QFAIL("the sheet was accepted");
        } catch (const Error &error) {
            QVERIFY(error.message().contains(QStringLiteral("címke")));
        }
    }

    // The whole sheet is checked before any value is converted or drawn: no page without text,
    // no label off the page, no broken file.
    void refusedSheets_data()
    {
        QTest::addColumn<double>("side");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("columns");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("side margin of half the page") << 105.0 << 15.2 << 38.1 << 3;
        QTest::newRow("a hundred thousand columns") << 7.2 << 15.2 << 38.1 << 100000;
        QTest::newRow("negative top margin") << 7.2 << -1000.0 << 38.1 << 3;
        QTest::newRow("negative side margin") << -5.0 << 15.2 << 38.1 << 3;
        QTest::newRow("huge side margin") << 1e308 << 15.2 << 38.1 << 3;
        QTest::newRow("huge height") << 7.2 << 15.2 << 1e308 << 3;
        QTest::newRow("infinite top") << 7.2 << inf << 38.1 << 3;
        QTest::newRow("not a number") << std::nan("") << 15.2 << 38.1 << 3;
    }
    void refusedSheets()
    {
        QFETCH(double, side);
        QFETCH(double, top);
        QFETCH(double, height);
        QFETCH(int, columns);
        const LabelLayout layout = Layout(side, top, height, columns);
        QVERIFY(!LabelSheetProblem(layout.sheet).isEmpty());
        QCOMPARE(DesignerSize(layout.sheet), QSize(0, 0));
        try {
            MakeCimke(Numbered(3), layout);
            QFAIL("the sheet was accepted");
        } catch (const Error &error) {
            QVERIFY(error.message().contains(QStringLiteral("címke")));
        }
    }

    // A line longer than the label is cut at the column's edge and never prints on the next
    // label; a later line's white box covers an earlier line.
    void longLineIsCutAtTheColumnEdge()
    {
        QList<Label> labels = {{QString(60, QLatin1Char('W')), {}, {}, {}, {}}};
        const report::Report report = MakeCimke(labels, Layout(7.2, 15.2, 38.1, 3));
        const double dpi = 100;
        const QImage image = report::RenderPageImage(report, 0, dpi);
        const auto px = [dpi](double mm) { return int(mm / 25.4 * dpi); };
        const int y = px(15.2 + 4.5 + 1.5);
        const auto inked = [&](double fromMm, double toMm) {
            for (int x = px(fromMm); x < px(toMm); ++x) {
                if (qGray(image.pixel(x, y)) < 128)
                    return true;
            }
            return false;
        };
        QVERIFY(inked(20, 72.0));
        QVERIFY(!inked(72.6, 137.0));
    }

    void summaryAndDesigner_data()
    {
        QTest::addColumn<double>("side");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QSize>("designer");

        QTest::newRow("defaults") << 7.2 << 15.2 << 38.1 << 3 << "38,1" << "65,20 x 38,1: 21 pcs" << QSize(247, 144);
        QTest::newRow("height as typed") << 7.2 << 15.2 << 38.1 << 3 << "38.10 mm" << "65,20 x 38.10 mm: 21 pcs"
                                         << QSize(247, 144);
        QTest::newRow("no columns") << 7.2 << 15.2 << 38.1 << 0 << "38,1" << "0,00 x 38,1: 0 pcs" << QSize(0, 144);
        QTest::newRow("no height") << 7.2 << 15.2 << 0.0 << 3 << "0" << "65,20 x 0: 0 pcs" << QSize(247, 0);
        // An estimate: 8 rows, where the report places 7 per column.
        QTest::newRow("37.125 high") << 7.2 << 0.0 << 37.125 << 3 << "37,125" << "65,20 x 37,125: 24 pcs"
                                     << QSize(247, 140);
        // 6.5 rows round to 6.
        QTest::newRow("half a row") << 5.0 << 18.5 << 40.0 << 2 << "40" << "100,00 x 40: 12 pcs" << QSize(378, 151);
    }

    void summaryAndDesigner()
    {
        QFETCH(double, side);
        QFETCH(double, top);
        QFETCH(double, height);
        QFETCH(int, columns);
        QFETCH(QString, typed);
        QFETCH(QString, summary);
        QFETCH(QSize, designer);
        const LabelSheet sheet{side, top, height, columns};
        QCOMPARE(LabelSummary(sheet, typed, QLocale(QLocale::Hungarian)), summary);
        QCOMPARE(DesignerSize(sheet), designer);
    }

    void numbersInTheFields()
    {
        const QLocale hu(QLocale::Hungarian);
        QCOMPARE(SheetNumber(7.2, hu), QStringLiteral("7,2"));
        QCOMPARE(SheetNumber(38.1, hu), QStringLiteral("38,1"));
        QCOMPARE(SheetNumber(1250, hu), QStringLiteral("1250"));
        QCOMPARE(SheetNumber(15.2, QLocale::c()), QStringLiteral("15.2"));
        QCOMPARE(FormatNumber(8, hu), QStringLiteral("8,00"));
        QCOMPARE(FormatNumber(38.1, hu), QStringLiteral("38,10"));
        // The jump-back rule: only a caption below the label moves, to just inside its bottom.
        QCOMPARE(CaptionTopInside(150, 16, 144), 127);
        QCOMPARE(CaptionTopInside(144, 16, 144), 144);
        QCOMPARE(CaptionTopInside(-20, 16, 144), -20);
    }

    void selection_data()
    {
        QTest::addColumn<qint64>("client");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("where");

        QTest::newRow("one client, whatever the filter") << qint64(5) << true << true << "Partnerek" << "WHERE (ugyfel=5)";
        QTest::newRow("everyone") << qint64(-1) << false << false << "" << "WHERE ugyfel>0";
        QTest::newRow("everyone of a group") << qint64(-1) << false << true << "Szállítók" << "WHERE (csoport='Szállítók')";
        QTest::newRow("marked") << qint64(-1) << true << false << "" << "WHERE (jelolve='I')";
        QTest::newRow("marked of a group") << qint64(-1) << true << true << "O'Brien"
                                           << "WHERE (jelolve='I') AND (csoport='O''Brien')";
        QTest::newRow("the group without a name") << qint64(-1) << false << true << "" << "WHERE (csoport='')";
    }

    void selection()
    {
        QFETCH(qint64, client);
        QFETCH(bool, marked);
        QFETCH(bool, grouped);
        QFETCH(QString, group);
        QFETCH(QString, where);
        LabelSelection selection;
        selection.client = client;
        selection.onlyMarked = marked;
        if (grouped)
            selection.filterGroup = group;
        selection.sortField = QStringLiteral("cim_varos");
        QCOMPARE(LabelQuerySql(selection),
                 QStringList({QStringLiteral("SELECT ugyfel,ugyfel_nev,kapcsolat,cim_irsz,cim_varos,cim_cim,csoport"),
                              QStringLiteral("FROM ugyfel"), where, QStringLiteral("ORDER BY cim_varos;")}));
    }

    void sortFieldMustBeAColumn()
    {
        LabelSelection selection;
        selection.sortField = QStringLiteral("1; DELETE FROM ugyfel");
        QVERIFY_THROWS_EXCEPTION(Error, LabelQuerySql(selection));
    }

    // Marked clients of one group in the sort column's order; the contact line is empty when it
    // equals the name (two NULLs too); the marks stay set.
    void gatherFromTheDatabase()
    {
        test::DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (9, 14, 5, 2);"
                                    "UPDATE ugyfel SET ugyfel_nev=NULL, kapcsolat=NULL WHERE ugyfel=14;"));
        LabelSelection selection;
        selection.onlyMarked = true;
        selection.filterGroup = QStringLiteral("Partnerek");
        selection.sortField = QStringLiteral("cim_varos");
        const QList<Label> labels = GatherLabels(demo.db, selection, 2);
        QCOMPARE(labels.size(), 4);
        QCOMPARE(labels.at(0), Label());
        // Budapest (9 Kiss Anna, 14 with no name), Eger (5); 2 is in another group.
        QCOMPARE(labels.at(1).cim_varos, QStringLiteral("Budapest"));
        QCOMPARE(labels.at(3), Label({QStringLiteral("Egri Borház Kft."), QStringLiteral("Molnár Gergely"),
                                      QStringLiteral("Eger"), QStringLiteral("Dobó István tér 5."), QStringLiteral("3300")}));
        QStringList names = {labels.at(1).ugyfel_nev, labels.at(2).ugyfel_nev};
        names.sort();
        QCOMPARE(names, QStringList({QString(), QStringLiteral("Kiss Anna")}));
        QCOMPARE(labels.at(1).kapcsolat, QString());
        QCOMPARE(labels.at(2).kapcsolat, QString());
        QCOMPARE(test::SqlValue(demo.db, QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 4);

        QCOMPARE(LabelContact(QStringLiteral("Kiss Anna"), QStringLiteral("Kiss Anna")), QString());
        QCOMPARE(LabelContact(QVariant(), QVariant()), QString());
        QCOMPARE(LabelContact(QStringLiteral("Kiss Anna"), QStringLiteral("kiss anna")), QStringLiteral("kiss anna"));
        QCOMPARE(LabelContact(QVariant(), QStringLiteral("Titkárság")), QStringLiteral("Titkárság"));
    }

    void layoutFromTheSettings()
    {
        TBeall settings;
        settings.LabelLeft = 5.5;
        settings.LabelColumn = 2;
        settings.LabelBold = true;
        settings.l3Left = 40;
        settings.l3Top = 80;
        const LabelLayout layout = LabelLayoutOf(settings, 96);
        QCOMPARE(layout.sheet.side, 5.5);
        QCOMPARE(layout.sheet.columns, 2);
        QCOMPARE(layout.lines[2].left, 40);
        QCOMPARE(layout.lines[2].top, 80);
        QCOMPARE(layout.lines[4].top, 125);
        for (const LabelLine &line : layout.lines)
            QVERIFY(line.font.bold && line.font.family == QStringLiteral("Arial") && line.font.size == 10);
    }

    // The places a sheet holds, where each place lies and the outlines of the preview agree with
    // where the report really puts the labels (down the first column, then the next).
    void sheetCapacity_data()
    {
        QTest::addColumn<double>("side");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("perSheet");
        QTest::addColumn<QString>("geometry");
        QTest::newRow("defaults") << 7.2 << 15.2 << 38.1 << 3 << 21 << QStringLiteral("3 × 7, 65,2 × 38,1 mm");
        QTest::newRow("3 x 8 without a top margin") << 0.0 << 0.0 << 37.0 << 3 << 24 << QStringLiteral("3 × 8, 70,0 × 37,0 mm");
        // 8 labels of 37 mm and the 1 mm bottom margin do not fit below a half millimetre.
        QTest::newRow("eighth row does not fit") << 0.0 << 0.5 << 37.0 << 3 << 21 << QStringLiteral("3 × 7, 70,0 × 37,0 mm");
        QTest::newRow("no columns read as 3") << 5.0 << 10.0 << 100.0 << 0 << 6 << QStringLiteral("3 × 2, 66,7 × 100,0 mm");
        QTest::newRow("height of 0") << 7.2 << 15.2 << 0.0 << 3 << 0 << QString();
        QTest::newRow("taller than the sheet") << 7.2 << 15.2 << 290.0 << 3 << 0 << QString();
    }
    void sheetCapacity()
    {
        QFETCH(double, side);
        QFETCH(double, top);
        QFETCH(double, height);
        QFETCH(int, columns);
        QFETCH(int, perSheet);
        QFETCH(QString, geometry);
        const LabelSheet sheet{side, top, height, columns};
        QCOMPARE(LabelsPerSheet(sheet), perSheet);
        QCOMPARE(SheetGeometry(sheet, QLocale(QLocale::Hungarian)), geometry);
        if (perSheet == 0)
            return;
        const report::Report report = MakeCimke(Numbered(perSheet + 1), Layout(side, top, height, columns));
        const QList<Place> places = Places(report);
        QCOMPARE(places.at(perSheet - 1).page, 0);
        QCOMPARE(places.at(perSheet).page, 1);
        const int rows = LabelRowsPerColumn(sheet);
        const QList<QRectF> outlines = LabelOutlines(report, 0);
        QCOMPARE(outlines.size(), perSheet);
        for (int place = 1; place <= perSheet; ++place) {
            const LabelPlace where = PlaceOnSheet(place, rows);
            const Place &placed = places.at(place - 1);
            QVERIFY(qFuzzyCompare(placed.left, places.at(where.column * rows).left));
            QVERIFY(qFuzzyCompare(placed.top + 1, places.at(where.row).top + 1));
            QCOMPARE(outlines.at(place - 1).topLeft(), QPointF(placed.left, placed.top));
            QVERIFY(qAbs(outlines.at(place - 1).height() - height) < 0.05);
        }
        QCOMPARE(PlaceOnSheet(rows + 1, rows), (LabelPlace{1, 0}));
    }

    // The line above the label window's buttons, and the start position after a print.
    void planAndNextStart_data()
    {
        QTest::addColumn<int>("labels");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("perSheet");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("next");
        QTest::newRow("from place 5") << 25 << 5 << 21 << QStringLiteral("25 címke · Partnerek · 2 lap (az első lapon az 5. helytől)") << 9;
        QTest::newRow("from the first place") << 21 << 1 << 21 << QStringLiteral("21 címke · Partnerek · 1 lap") << 1;
        QTest::newRow("sheet filled to the last place") << 3 << 19 << 21 << QStringLiteral("3 címke · Partnerek · 1 lap (az első lapon a 19. helytől)") << 1;
        QTest::newRow("one over the sheet") << 4 << 19 << 21 << QStringLiteral("4 címke · Partnerek · 2 lap (az első lapon a 19. helytől)") << 2;
        QTest::newRow("nothing selected") << 0 << 3 << 21 << QStringLiteral("0 címke · Partnerek · 1 lap (az első lapon a 3. helytől)") << 3;
        QTest::newRow("article before 10") << 1 << 10 << 24 << QStringLiteral("1 címke · Partnerek · 1 lap (az első lapon a 10. helytől)") << 11;
        QTest::newRow("article before 1000") << 1 << 1000 << 24 << QStringLiteral("1 címke · Partnerek · 42 lap (az első lapon az 1000. helytől)") << 17;
        QTest::newRow("sheet that cannot print") << 5 << 2 << 0 << QStringLiteral("5 címke · Partnerek") << 2;
    }
    void planAndNextStart()
    {
        QFETCH(int, labels);
        QFETCH(int, start);
        QFETCH(int, perSheet);
        QFETCH(QString, text);
        QFETCH(int, next);
        QCOMPARE(LabelPlanText(labels, QStringLiteral("Partnerek"), start, perSheet), text);
        QCOMPARE(NextStartPosition(start, labels, perSheet), next);
    }

    // How many labels a selection prints and what the window calls it.
    void countAndSourceName()
    {
        test::DemoDatabase demo;
        demo.db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (9, 14, 5, 2)"));
        // The count is that of the labels gathered.
        const auto count = [&](const LabelSelection &selection) {
            const int counted = CountLabels(demo.db, selection);
            return counted == int(GatherLabels(demo.db, selection, 1).size()) ? counted : -1;
        };
        const std::optional<QString> partners = QStringLiteral("Partnerek");
        const LabelSelection marked = LabelSelectionFor(2, -1, partners, QStringLiteral("ugyfel_nev"));
        QCOMPARE(count(marked), 3);
        QCOMPARE(LabelSourceName(demo.db, marked), QStringLiteral("Kijelöltek (Partnerek)"));
        const LabelSelection group = LabelSelectionFor(1, -1, partners, QStringLiteral("ugyfel_nev"));
        QVERIFY(count(group) > 3);
        QCOMPARE(LabelSourceName(demo.db, group), QStringLiteral("Partnerek"));
        const LabelSelection everyone = LabelSelectionFor(1, -1, std::nullopt, QStringLiteral("ugyfel_nev"));
        QVERIFY(count(everyone) > count(group));
        QCOMPARE(LabelSourceName(demo.db, everyone), QStringLiteral("Ügyfelek"));
        QCOMPARE(LabelSourceName(demo.db, LabelSelectionFor(2, -1, std::nullopt, QStringLiteral("ugyfel_nev"))),
                 QStringLiteral("Kijelöltek"));
        const LabelSelection one = LabelSelectionFor(0, 5, partners, QStringLiteral("ugyfel_nev"));
        QCOMPARE(count(one), 1);
        QCOMPARE(LabelSourceName(demo.db, one), QStringLiteral("Egri Borház Kft."));
    }
};

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
