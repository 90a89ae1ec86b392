// One PDF of every report family read back with an independent reader (pdftotext -bbox): the
// page has the paper's size and every printed word sits within 0.5 mm of its item's place.
#include "core/database.h"
#include "core/settings.h"
#include "labels/labels.h"
#include "printing/gridprint.h"
#include "printing/reportrenderer.h"
#include "printing/stationery.h"
#include "pdfwords.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using report::Report;

namespace {

constexpr double kTolerance = 0.5; // mm
using test::PdfPage;
using test::ReadPdfPages;
using Word = test::PdfWord;

QString Describe(const Word &w)
{
    return QStringLiteral("%1 at %2,%3").arg(w.text).arg(w.xMin, 0, 'f', 2).arg(w.yMin, 0, 'f', 2);
}

// Checks that the text of an item stands where the item puts it: the first word's left edge at
// the box's left (left-aligned), or the words of the line centred on the box; the top of the
// text at the box's top.
void CheckItem(const PdfPage &page, const report::ReportRenderer &renderer, const report::Item &item,
               double bandLeft, double bandTop, int row)
{
    const QString text = renderer.itemText(item, row, 0);
    const QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return;
    const double left = bandLeft + item.left;
    const double top = bandTop + item.top;
    QList<Word> line;
    for (const Word &w : page.words) {
        if (std::abs(w.yMin - top) < kTolerance && w.xMin > left - kTolerance
            && (item.autoWidth || w.xMax < left + item.width + kTolerance) && words.contains(w.text))
            line.append(w); // the item's own words (a footer line holds several items)
    }
    QVERIFY2(!line.isEmpty(), qPrintable(QStringLiteral("%1: nothing printed at top %2 mm").arg(item.name).arg(top)));
    std::sort(line.begin(), line.end(), [](const Word &a, const Word &b) { return a.xMin < b.xMin; });
    QCOMPARE(line.first().text, words.first());
    if (item.align == report::Align::Center) {
        const double centre = (line.first().xMin + line.last().xMax) / 2;
        QVERIFY2(std::abs(centre - (left + item.width / 2)) < kTolerance,
                 qPrintable(item.name + QStringLiteral(": centred at %1").arg(centre)));
    } else if (item.align == report::Align::Right) {
        QVERIFY2(std::abs(line.last().xMax - (left + item.width)) < kTolerance,
                 qPrintable(item.name + QStringLiteral(": ") + Describe(line.last())));
    } else {
        // Leading spaces of a caption (the padded amount) move its first word right.
        const qsizetype spaces = text.indexOf(words.first());
        const double advance = spaces > 0 ? (line.first().xMax - line.first().xMin) * spaces : 0;
        QVERIFY2(std::abs(line.first().xMin - (left + advance)) < kTolerance,
                 qPrintable(item.name + QStringLiteral(": ") + Describe(line.first())));
    }
}

void CheckReport(const Report &report, int expectedPages = 1)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.pdf"));
    report::WritePdf(file, report);
    const QList<PdfPage> pages = ReadPdfPages(file);
    QCOMPARE(pages.size(), expectedPages);
    QVERIFY(std::abs(pages.first().width - report.page.width) < 0.1);
    QVERIFY(std::abs(pages.first().height - report.page.length) < 0.1);
    const report::ReportRenderer renderer(report);
    for (const auto &placed : renderer.placedBands(0)) {
        for (const report::Item &item : placed.band.items) {
            if (item.kind == report::ItemKind::Text)
                CheckItem(pages.first(), renderer, item, placed.left, placed.top, placed.row);
            if (QTest::currentTestFailed())
                return;
        }
    }
}

} // namespace

class TestPrintPdf : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        m_db.open(test::DeliveredDatabase(m_dir));
        m_db.exec(test::DemoSql());
        // A client whose name wraps in no box and whose contact differs from the name.
        m_db.exec(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim) "
                                 "VALUES (100, 'Kovács & Fia Kft.', 'Kovács Béla', '1111', 'Budapest', 'Bartók Béla út 5.')"));
    }

    void stationery_data()
    {
        QTest::addColumn<QString>("which");
        for (const char *name : {"C6", "LA4", "LC5", "Ajanlott", "Csekk", "Csekk2", "Utanvet"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void stationery()
    {
        QFETCH(QString, which);
        Report report;
        if (which == QLatin1String("C6"))
            report = MakeBoritek(EnvelopeKind::C6);
        else if (which == QLatin1String("LA4"))
            report = MakeBoritek(EnvelopeKind::LA4);
        else if (which == QLatin1String("LC5"))
            report = MakeBoritek(EnvelopeKind::LC5);
        else if (which == QLatin1String("Ajanlott"))
            report = MakeAjanlott();
        else if (which == QLatin1String("Csekk"))
            report = MakeCsekk(1500);
        else if (which == QLatin1String("Csekk2"))
            report = MakeCsekk2(QStringLiteral("Számla 2024/15\nKöszönjük!"));
        else
            report = MakeUtanvet(250);
        SetStationeryData(report, m_db, 100, 1);
        CheckReport(report);
    }

    // A label sheet: blank places first, then addresses down the first column and on into the
    // second, each line where the designer put it.
    void labelSheet()
    {
        TBeall settings;
        settings.l2Left = 120; // the contact to the right of the name
        settings.l2Top = 17;
        settings.LabelSize = 12;
        LabelSelection everyone;
        everyone.sortField = QStringLiteral("ugyfel");
        const QList<Label> labels = GatherLabels(m_db, everyone, 5).mid(0, 12);
        const Report report = MakeCimke(labels, LabelLayoutOf(settings, 96));
        CheckReport(report);
        // The first address (client 1) in the first column's fifth place, its name 28 pixels
        // (7.41 mm) and 17 pixels (4.50 mm) into the label.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("labels.pdf"));
        report::WritePdf(file, report);
        const QList<PdfPage> pages = ReadPdfPages(file);
        QCOMPARE(pages.size(), 1);
        bool found = false;
        for (const Word &w : pages.first().words) {
            if (w.text == QStringLiteral("Almási") && w.xMin < 20) {
                QVERIFY2(std::abs(w.xMin - (7.2 + 7.41)) < kTolerance, qPrintable(Describe(w)));
                QVERIFY2(std::abs(w.yMin - (15.2 + 4 * 38.1 + 4.50)) < kTolerance, qPrintable(Describe(w)));
                found = true;
            }
        }
        QVERIFY(found);
    }

    // The message keeps its line breaks on the back of the cheque.
    void messageLines()
    {
        Report report = MakeCsekk2(QStringLiteral("első\nmásodik\nharmadik"));
        SetStationeryData(report, m_db, 100, 1);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("back.pdf"));
        report::WritePdf(file, report);
        const QList<PdfPage> pages = ReadPdfPages(file);
        QCOMPARE(pages.size(), 1);
        QList<double> tops;
        for (const QString &expected : {QStringLiteral("első"), QStringLiteral("második"), QStringLiteral("harmadik")}) {
            for (const Word &w : pages.first().words) {
                if (w.text == expected) {
                    QVERIFY(std::abs(w.xMin - (4 + 71.1)) < kTolerance);
                    tops.append(w.yMin);
                }
            }
        }
        QCOMPARE(tops.size(), 3);
        QVERIFY(tops.at(0) < tops.at(1) && tops.at(1) < tops.at(2));
    }

    void gridPrint()
    {
        const QList<GridPrintColumn> columns = {{QStringLiteral("nyom."), 55, report::Align::Left},
                                                {QStringLiteral("ügyfél"), 300, report::Align::Left},
                                                {QStringLiteral("irsz."), 60, report::Align::Right},
                                                {QStringLiteral("város"), 160, report::Align::Center}};
        QList<QStringList> rows;
        for (int i = 0; i < 45; ++i)
            rows.append({QStringLiteral("N"), QStringLiteral("Ügyfél%1").arg(i), QString::number(1000 + i), QStringLiteral("Budapest")});
        const Report report = MakeGridPrint(columns, 600, rows, QStringLiteral("Ügyfelek"), 8);
        CheckReport(report, 2);
    }

    // A text far longer than its box (a field SQL made a million characters long) is laid out
    // only as far as the box can show it: the page looks exactly as with a text that just
    // overfills the box, narrow letters, wrapping and line breaks included.
    void hugeTextShowsWhatItsBoxHolds_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("autoWidth");
        QTest::newRow("narrow letters, wrapped") << QStringLiteral("il") << false;
        QTest::newRow("words, wrapped") << QStringLiteral("Almási Péter ") << false;
        QTest::newRow("short lines") << QStringLiteral("il\n") << false;
        QTest::newRow("one line as wide as its text") << QStringLiteral("il") << true;
    }
    void hugeTextShowsWhatItsBoxHolds()
    {
        QFETCH(QString, unit);
        QFETCH(bool, autoWidth);
        report::Item item;
        item.left = 10;
        item.width = 50;
        item.height = 20;
        item.autoWidth = autoWidth;
        const auto text = [&](int characters) { return unit.repeated(characters / unit.size() + 1).left(characters); };
        const auto page = [&](int characters) {
            Report report;
            report.page.width = 210;
            report.page.length = 60;
            report::Band band;
            band.height = 40;
            band.items.append(item);
            band.items.last().caption = text(characters);
            report.bands.append(band);
            return report::RenderPageImage(report, 0, 150);
        };
        // 600 characters overfill the box several times over, and are all laid out.
        QImage device(10, 10, QImage::Format_RGB32);
        device.setDotsPerMeterX(qRound(150 / 0.0254));
        device.setDotsPerMeterY(qRound(150 / 0.0254));
        QCOMPARE(report::VisibleText(item, text(600), &device).size(), 600);
        QVERIFY(report::VisibleText(item, text(1000000), &device).size() < 50000);
        QCOMPARE(page(1000000), page(600));
    }

    // Several jobs in one file: one page each, each with its own paper.
    void jobsInOneFile()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("jobs.pdf"));
        report::PdfJobWriter writer(file);
        Report c6 = MakeBoritek(EnvelopeKind::C6);
        SetStationeryData(c6, m_db, 1, 1);
        Report lc5 = MakeBoritek(EnvelopeKind::LC5);
        SetStationeryData(lc5, m_db, 2, 1);
        Report none = MakeBoritek(EnvelopeKind::LA4);
        SetStationeryData(none, m_db, 0, 1); // no client row: an empty page
        writer.add(c6);
        writer.add(lc5);
        writer.add(none);
        writer.finish();
        QCOMPARE(writer.pageCount(), 3);
        const QList<PdfPage> pages = ReadPdfPages(file);
        QCOMPARE(pages.size(), 3);
        QVERIFY(std::abs(pages.at(0).width - 160) < 0.1 && std::abs(pages.at(0).height - 113) < 0.1);
        QVERIFY(std::abs(pages.at(1).width - 229) < 0.1 && std::abs(pages.at(1).height - 162) < 0.1);
        QVERIFY(std::abs(pages.at(2).width - 220) < 0.1 && std::abs(pages.at(2).height - 110) < 0.1);
        QVERIFY(pages.at(2).words.isEmpty());
    }

private:
    QTemporaryDir m_dir;
    Database m_db;
};

QTEST_MAIN(TestPrintPdf)
#include "tst_printpdf.moc"
