// Printer alignment: the offsets of the configuration file, their translation of everything a
// report draws (read back from the PDF with an independent reader), and the calibration sheet
// whose crosshairs lie where their captions say (read back from the sheet's own pixels).
#include "core/calibration.h"
#include "core/inifile.h"
#include "core/settings.h"
#include "labels/labels.h"
#include "pdfwords.h"
#include "printing/calibrationsheet.h"
#include "printing/gridprint.h"
#include "printing/reportrenderer.h"
#include "printing/stationery.h"
#include "testfiles.h"

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;
using namespace Qt::StringLiterals;

namespace {

enum class Layout { C6, LA4, ChequeFront, ChequeBack, Labels, List };

// One offset per family, each different, so that a report taking another family's offset shows.
Calibration DistinctOffsets()
{
    Calibration calibration;
    calibration.set(PrintFamily::C6, {1.5, -2.0});
    calibration.set(PrintFamily::ChequeFront, {3.0, 0.5});
    calibration.set(PrintFamily::ChequeBack, {-1.2, 2.4});
    calibration.set(PrintFamily::Registered, {7, 7});
    calibration.set(PrintFamily::Labels, {0.7, -0.3});
    calibration.set(PrintFamily::List, {-2.0, 1.1});
    return calibration; // LA/4 stays 0
}

} // namespace

class TestCalibration : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    report::Report Make(Layout layout, Database &db)
    {
        report::Report report;
        switch (layout) {
        case Layout::C6:
        case Layout::LA4:
            report = MakeBoritek(layout == Layout::C6 ? EnvelopeKind::C6 : EnvelopeKind::LA4);
            break;
        case Layout::ChequeFront:
            report = MakeCsekk(12500);
            break;
        case Layout::ChequeBack:
            report = MakeCsekk2(u"Számla 2024/17"_s);
            break;
        case Layout::Labels: {
            Label label{u"Almási és Társa Kft."_s, u"Almási Péter"_s, u"Budapest"_s, u"Fő utca 12."_s, u"1011"_s};
            return MakeCimke({label, label, label, label}, LabelLayout{});
        }
        case Layout::List:
            return MakeGridPrint({{u"ügyfél"_s, 200, report::Align::Left}, {u"város"_s, 100, report::Align::Left}}, 300,
                                 {{u"Almási és Társa Kft."_s, u"Budapest"_s}}, u"Ügyfelek"_s, 8);
        }
        SetStationeryData(report, db, 1, 1);
        return report;
    }

    QList<test::PdfPage> Printed(const report::Report &report, const QString &name)
    {
        const QString file = m_dir.filePath(name);
        report::WritePdf(file, report);
        return test::ReadPdfPages(file);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty()
            || QStandardPaths::findExecutable(u"pdftoppm"_s).isEmpty())
            QSKIP("pdftotext and pdftoppm (poppler-utils) are needed");
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    // Every word of the page moves by the offset of the report's own family, within 0.05 mm; the
    // page keeps its size; a family without an offset draws every word exactly where it was.
    void offsetMovesEverythingDrawn_data()
    {
        QTest::addColumn<Layout>("layout");
        QTest::addColumn<QString>("word");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::newRow("C6 addressee +1.5, -2.0") << Layout::C6 << u"Almási"_s << 1.5 << -2.0;
        QTest::newRow("LA/4 without offset") << Layout::LA4 << u"Almási"_s << 0.0 << 0.0;
        QTest::newRow("cheque front") << Layout::ChequeFront << u"Almási"_s << 3.0 << 0.5;
        QTest::newRow("cheque back") << Layout::ChequeBack << u"2024/17"_s << -1.2 << 2.4;
        QTest::newRow("label sheet") << Layout::Labels << u"Almási"_s << 0.7 << -0.3;
        QTest::newRow("client list") << Layout::List << u"Almási"_s << -2.0 << 1.1;
    }
    void offsetMovesEverythingDrawn()
    {
        QFETCH(Layout, layout);
        QFETCH(QString, word);
        QFETCH(double, dx);
        QFETCH(double, dy);
        test::DemoDatabase demo;
        const report::Report plain = Make(layout, demo.db);
        report::Report moved = plain;
        moved.applyCalibration(DistinctOffsets());

        const QList<test::PdfPage> before = Printed(plain, u"plain.pdf"_s);
        const QList<test::PdfPage> after = Printed(moved, u"moved.pdf"_s);
        QCOMPARE(after.size(), before.size());
        QVERIFY(!before.isEmpty());
        QCOMPARE(after.first().width, before.first().width);
        QCOMPARE(after.first().height, before.first().height);
        QVERIFY(std::abs(after.first().width - plain.page.width) < 0.1);

        const test::PdfWord *from = before.first().word(word);
        const test::PdfWord *to = after.first().word(word);
        QVERIFY2(from && to, qPrintable(word));
        QVERIFY2(std::abs(to->xMin - from->xMin - dx) < 0.05, qPrintable(QString::number(to->xMin - from->xMin)));
        QVERIFY2(std::abs(to->yMin - from->yMin - dy) < 0.05, qPrintable(QString::number(to->yMin - from->yMin)));

        const QList<test::PdfWord> &a = before.first().words;
        const QList<test::PdfWord> &b = after.first().words;
        QCOMPARE(b.size(), a.size());
        for (qsizetype i = 0; i < a.size(); ++i) {
            QCOMPARE(b.at(i).text, a.at(i).text);
            if (dx == 0 && dy == 0) {
                QCOMPARE(b.at(i).xMin, a.at(i).xMin); // the very same positions
                QCOMPARE(b.at(i).yMin, a.at(i).yMin);
            } else {
                QVERIFY2(std::abs(b.at(i).xMin - a.at(i).xMin - dx) < 0.05, qPrintable(a.at(i).text));
                QVERIFY2(std::abs(b.at(i).yMin - a.at(i).yMin - dy) < 0.05, qPrintable(a.at(i).text));
            }
        }
    }

    // The Calibration section: missing keys and empty values are 0, unreadable and out-of-range
    // values are 0 and reported (once: the file written back holds 0), values keep 0.1 mm steps.
    void sectionOfTheConfigurationFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<double>("c6x");
        QTest::addColumn<double>("c6y");
        QTest::addColumn<double>("labelsY");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("no section") << QByteArray("[Screen]\r\nFontSize=9\r\n") << 0.0 << 0.0 << 0.0 << QStringList();
        QTest::newRow("values, key case ignored")
            << QByteArray("[calibration]\r\nc6x=1.5\r\nC6Y=-2\r\nLabelsY=0.4\r\n") << 1.5 << -2.0 << 0.4 << QStringList();
        QTest::newRow("both limits") << QByteArray("[Calibration]\r\nC6X=-20\r\nC6Y=20.0\r\n") << -20.0 << 20.0 << 0.0
                                     << QStringList();
        QTest::newRow("rounded to tenths") << QByteArray("[Calibration]\r\nC6X=1.26\r\nC6Y=-0.04\r\n") << 1.3 << 0.0
                                           << 0.0 << QStringList();
        QTest::newRow("empty value") << QByteArray("[Calibration]\r\nC6X=\r\n") << 0.0 << 0.0 << 0.0 << QStringList();
        QTest::newRow("out of range") << QByteArray("[Calibration]\r\nC6X=20.1\r\nC6Y=-1000\r\nLabelsY=3\r\n") << 0.0
                                      << 0.0 << 3.0 << QStringList{u"C6X=20.1"_s, u"C6Y=-1000"_s};
        QTest::newRow("unreadable") << QByteArray("[Calibration]\r\nC6X=1,5mm\r\nC6Y=inf\r\nLabelsY=nan\r\n") << 0.0
                                    << 0.0 << 0.0 << QStringList{u"C6X=1,5mm"_s, u"C6Y=inf"_s, u"LabelsY=nan"_s};
    }
    void sectionOfTheConfigurationFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(double, c6x);
        QFETCH(double, c6y);
        QFETCH(double, labelsY);
        QFETCH(QStringList, problems);
        const QString ini = m_dir.filePath(u"kartevo.ini"_s);
        test::WriteBytes(ini, content);

        TBeall settings = LoadSettings(ini, m_dir.path());
        QCOMPARE(settings.calibration.of(PrintFamily::C6), (PrintOffset{c6x, c6y}));
        QCOMPARE(settings.calibration.of(PrintFamily::Labels).y, labelsY);
        QCOMPARE(settings.calibration.problems, problems);
        const QString text = TakeCalibrationProblems(settings.calibration);
        QCOMPARE(text.isEmpty(), problems.isEmpty());
        for (const QString &problem : problems)
            QVERIFY2(text.contains(problem), qPrintable(text));
        QVERIFY(TakeCalibrationProblems(settings.calibration).isEmpty());

        SaveSettings(settings, ini);
        const TBeall again = LoadSettings(ini, m_dir.path());
        QCOMPARE(again.calibration, settings.calibration);
        QVERIFY(again.calibration.problems.isEmpty());
        // A file that never had offsets gets no section.
        QCOMPARE(IniFile(ini).sections().contains(u"Calibration"_s, Qt::CaseInsensitive),
                 !content.startsWith("[Screen]"));
    }

    // Written with the decimal separator of the locale and read back the same way.
    void hungarianDecimalComma()
    {
        QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
        const QString ini = m_dir.filePath(u"hu.ini"_s);
        TBeall settings;
        settings.calibration.set(PrintFamily::ChequeBack, {-1.2, 2.4});
        SaveSettings(settings, ini);
        QVERIFY(test::ReadBytes(ini).contains("ChequeBackX=-1,2\r\nChequeBackY=2,4\r\n"));
        QCOMPARE(LoadSettings(ini, m_dir.path()).calibration.of(PrintFamily::ChequeBack), (PrintOffset{-1.2, 2.4}));
    }

    void offsetOnTheCommandLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::newRow("plain") << u"1.5,-2"_s << true << 1.5 << -2.0;
        QTest::newRow("spaces and limits") << u" -20 , 20.0 "_s << true << -20.0 << 20.0;
        QTest::newRow("beyond the limit") << u"20.1,0"_s << false << 0.0 << 0.0;
        QTest::newRow("one number") << u"1.5"_s << false << 0.0 << 0.0;
        QTest::newRow("three numbers") << u"1,2,3"_s << false << 0.0 << 0.0;
        QTest::newRow("not numbers") << u"a,b"_s << false << 0.0 << 0.0;
        QTest::newRow("infinite") << u"inf,0"_s << false << 0.0 << 0.0;
    }
    void offsetOnTheCommandLine()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(double, dx);
        QFETCH(double, dy);
        const std::optional<PrintOffset> offset = ParsePrintOffset(text);
        QCOMPARE(offset.has_value(), valid);
        if (valid)
            QCOMPARE(*offset, (PrintOffset{dx, dy}));
    }

    // The sheet of every family: that family's paper, numbers along both rulers at their
    // millimetre, and both crosshairs where their captions (read from the PDF) say, seen in the
    // pixels of the PDF as another program renders it.
    void calibrationSheet_data()
    {
        QTest::addColumn<PrintFamily>("family");
        for (const PrintFamilyInfo &info : PrintFamilies())
            QTest::newRow(info.batchName.toLatin1().constData()) << info.family;
    }
    void calibrationSheet()
    {
        QFETCH(PrintFamily, family);
        const report::Report sheet = MakeCalibrationSheet(family);
        const report::Page paper = FamilyPage(family);
        QCOMPARE(sheet.page.width, paper.width);
        QCOMPARE(sheet.page.length, paper.length);
        QCOMPARE(sheet.page.orientation, paper.orientation);
        QCOMPARE(sheet.family, PrintFamily::None); // never moved by an offset

        const QString file = m_dir.filePath(u"sheet.pdf"_s);
        report::WritePdf(file, sheet);
        const QList<test::PdfPage> pages = test::ReadPdfPages(file);
        QCOMPARE(pages.size(), 1);
        const test::PdfPage &page = pages.first();
        QVERIFY(std::abs(page.width - paper.width) < 0.1);
        QVERIFY(std::abs(page.height - paper.length) < 0.1);

        // Ruler numbers: "50" at 50 mm on both rulers, just past its tick.
        int fifties = 0;
        for (const test::PdfWord &word : page.words) {
            if (word.text != u"50")
                continue;
            const bool top = std::abs(word.xMin - 50.5) < 0.3 && word.yMin < 6;
            const bool left = std::abs(word.yMin - 50.4) < 0.5 && word.xMin < 6;
            QVERIFY2(top || left, qPrintable(u"50 at %1, %2"_s.arg(word.xMin).arg(word.yMin)));
            ++fifties;
        }
        QCOMPARE(fifties, 2);

        // The captions: "X = a mm, Y = b mm".
        QList<QPointF> crosses;
        const QList<test::PdfWord> &words = page.words;
        for (qsizetype i = 0; i + 6 < words.size(); ++i) {
            if (words.at(i).text == u"X" && words.at(i + 1).text == u"=" && words.at(i + 4).text == u"Y") {
                const double x = QString(words.at(i + 2).text).replace(u',', u'.').toDouble();
                const double y = QString(words.at(i + 6).text).replace(u',', u'.').toDouble();
                crosses.append({x, y});
            }
        }
        QCOMPARE(crosses.size(), 2);
        QCOMPARE(crosses.at(0), QPointF(20, 20));
        QCOMPARE(crosses.at(1), QPointF(paper.width - 20, paper.length - 20));

        // 10 pixels per millimetre.
        QProcess render;
        const QString prefix = m_dir.filePath(u"sheet"_s);
        render.start(u"pdftoppm"_s, {u"-r"_s, u"254"_s, u"-gray"_s, u"-png"_s, u"-singlefile"_s, file, prefix});
        QVERIFY(render.waitForFinished(60000) && render.exitCode() == 0);
        const QImage image(prefix + u".png"_s);
        QVERIFY(!image.isNull());
        const auto ink = [&](double xMm, double yMm) {
            int darkest = 255;
            for (int dx = -1; dx <= 1; ++dx) {
                for (int dy = -1; dy <= 1; ++dy)
                    darkest = qMin(darkest, qGray(image.pixel(qRound(xMm * 10) + dx, qRound(yMm * 10) + dy)));
            }
            return darkest < 128;
        };
        for (const QPointF &cross : std::as_const(crosses)) {
            const double x = cross.x();
            const double y = cross.y();
            QVERIFY2(ink(x, y) && ink(x + 4, y) && ink(x - 4, y) && ink(x, y + 4) && ink(x, y - 4),
                     qPrintable(u"no crosshair at %1, %2"_s.arg(x).arg(y)));
            // Half a millimetre beside the arms there is paper.
            QVERIFY(!ink(x + 0.5, y + 4) && !ink(x - 0.5, y - 4) && !ink(x + 4, y + 0.5) && !ink(x - 4, y - 0.5));
        }
    }
};

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
