// The preview's way out to paper and files: whatever paper the print dialog chose, every job
// keeps its report's paper size and orientation; a print to a file is written like every other
// PDF (never over the program's own files), and the preview's own pages never touch that file.
#include "core/error.h"
#include "core/outputfile.h"
#include "printing/reportrenderer.h"
#include "printing/stationery.h"
#include "modaldriver.h"
#include "testfiles.h"
#include "ui/printing/printoutput.h"

#include <QApplication>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace kartevo;

namespace {

// The page size of a PDF's first page in points, as pdfinfo reads it.
QSizeF PdfPageSize(const QString &file)
{
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {file});
    process.waitForFinished(30000);
    static const QRegularExpression size(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"));
    const QRegularExpressionMatch match = size.match(QString::fromUtf8(process.readAllStandardOutput()));
    return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble()) : QSizeF();
}

// A printer as the print dialog leaves it after "print to file": US Letter, portrait, a file.
void PrintToFileAsTheDialogLeavesIt(QPrinter &printer, const QString &file)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setFullPage(false);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Portrait);
}

} // namespace

class TestPrintOutput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
            QSKIP("pdfinfo (poppler-utils) is not installed");
    }

    void printToFileKeepsTheReportsPaper_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("cash-on-delivery form") << 0;
        QTest::newRow("C6 envelope") << 1;
        QTest::newRow("LA/4 envelope") << 2;
        QTest::newRow("LC5 envelope") << 3;
        QTest::newRow("registered-mail form") << 4;
        QTest::newRow("cheque") << 5;
    }
    void printToFileKeepsTheReportsPaper()
    {
        QFETCH(int, kind);
        const report::Report report = kind == 0   ? MakeUtanvet(1000)
                                      : kind == 1 ? MakeBoritek(EnvelopeKind::C6)
                                      : kind == 2 ? MakeBoritek(EnvelopeKind::LA4)
                                      : kind == 3 ? MakeBoritek(EnvelopeKind::LC5)
                                      : kind == 4 ? MakeAjanlott()
                                                  : MakeCsekk(1500);
        const QString file = m_dir.filePath(QStringLiteral("dialog-%1.pdf").arg(kind));
        QPrinter printer(QPrinter::HighResolution);
        PrintToFileAsTheDialogLeavesIt(printer, file);
        PaintForPreview(printer, report::ReportRenderer(report));
        const QSizeF points = PdfPageSize(file);
        QVERIFY2(std::abs(points.width() - report.page.width * 72 / 25.4) < 0.01, qPrintable(QString::number(points.width())));
        QVERIFY2(std::abs(points.height() - report.page.length * 72 / 25.4) < 0.01, qPrintable(QString::number(points.height())));
    }

    // The preview draws its pages on the same printer: they come out on the report's paper and
    // never write the file the dialog named.
    void previewPagesLeaveTheFileAlone()
    {
        const report::Report report = MakeUtanvet(1000);
        const report::ReportRenderer renderer(report);
        const QString file = m_dir.filePath(QStringLiteral("not-yet.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        PrintToFileAsTheDialogLeavesIt(printer, file);
        QPrintPreviewWidget preview(&printer);
        connect(&preview, &QPrintPreviewWidget::paintRequested, &preview,
                [&renderer](QPrinter *target) { PaintForPreview(*target, renderer); });
        preview.show();
        preview.updatePreview();
        QCOMPARE(preview.pageCount(), 1);
        QVERIFY(!QFile::exists(file));
        const QSizeF paper = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
        QCOMPARE(qRound(paper.width() * 10), qRound(report.page.width * 10));
        QCOMPARE(qRound(paper.height() * 10), qRound(report.page.length * 10));
    }

    // The preview's print button takes no focus: Ctrl+P reaches the print dialog instead.
    void ctrlPOpensThePrintDialogFromThePreview()
    {
        QPrinter printer(QPrinter::HighResolution);
        QPrintPreviewDialog preview(&printer);
        GivePreviewPrintKey(preview);
        preview.show();
        QApplication::setActiveWindow(&preview);
        QVERIFY(QTest::qWaitForWindowActive(&preview));
        QString opened;
        test::WhenModal([&opened](QWidget *dialog) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            static_cast<QDialog *>(dialog)->reject();
        });
        QTest::keyClick(&preview, Qt::Key_P, Qt::ControlModifier);
        QTRY_VERIFY(!opened.isEmpty());
        QVERIFY2(opened.contains(QStringLiteral("PrintDialog")), qPrintable(opened));
    }

    void printToFileNeverReplacesTheDatabase()
    {
        const QString database = m_dir.filePath(QStringLiteral("Kartevo.sqb"));
        test::WriteBytes(database, "clients");
        SetProtectedFiles(DatabaseFiles(database));
        QPrinter printer(QPrinter::HighResolution);
        PrintToFileAsTheDialogLeavesIt(printer, m_dir.filePath(QStringLiteral("./Kartevo.sqb")));
        QVERIFY_THROWS_EXCEPTION(Error, PaintForPreview(printer, report::ReportRenderer(MakeUtanvet(5))));
        QCOMPARE(test::ReadBytes(database), QByteArray("clients"));
        SetProtectedFiles({});
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestPrintOutput)
#include "tst_printoutput.moc"
