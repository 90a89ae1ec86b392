#include "ui/printing/printoutput.h"

#include "core/error.h"
#include "printing/reportrenderer.h"
#include "ui/common/messages.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace kartevo {

namespace {

// The printer set up for a report: the report's paper, full page (no device margins: the
// renderer adds the report's own margins), the report title as the job name.
void SetUpPrinter(QPrinter &printer, const report::Report &report)
{
    printer.setFullPage(true);
    printer.setPageLayout(report::PageLayoutOf(report.page));
    printer.setDocName(report.title);
}

bool PaintAll(QPrinter &printer, const report::ReportRenderer &renderer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int page = 0; page < renderer.pageCount(); ++page) {
        if (page > 0)
            printer.newPage();
        renderer.paintPage(painter, page);
    }
    return painter.end();
}

} // namespace

void PaintForPreview(QPrinter &printer, const report::ReportRenderer &renderer)
{
    const report::Report &report = renderer.report();
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()
                        && printer.paintEngine()->type() != QPaintEngine::Picture; // not the preview's pages
    if (toFile) {
        report::WritePdf(printer.outputFileName(), report);
        return;
    }
    // The print dialog may have put the printer's own paper and margins in place.
    SetUpPrinter(printer, report);
    if (!PaintAll(printer, renderer) || printer.printerState() == QPrinter::Error)
        throw Error(QStringLiteral("A nyomtatás nem sikerült: %1").arg(printer.printerName()));
}

void GivePreviewPrintKey(QPrintPreviewDialog &dialog)
{
    // The dialog names its print action only by its (translated) text.
    const QString print = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction *action : dialog.findChildren<QAction *>()) {
        if (action->text() == print) {
            action->setShortcut(QKeySequence::Print);
            return;
        }
    }
}

void PreviewReport(QWidget *owner, const report::Report &report)
{
    const report::ReportRenderer renderer(report);
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, report);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setObjectName(QStringLiteral("frm_Preview"));
    dialog.setWindowTitle(report.title);
    GivePreviewPrintKey(dialog);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&renderer, &dialog](QPrinter *target) {
                         try {
                             PaintForPreview(*target, renderer);
                         } catch (const Error &error) {
                             CurrentPrompter().showError(error.message(), &dialog);
                         }
                     });
    dialog.exec();
}

QString NextPrintDirFile(const QString &folder)
{
    QDir dir(folder);
    if (!dir.exists() && !dir.mkpath(QStringLiteral(".")))
        throw Error(QStringLiteral("A nyomtatási mappa nem hozható létre: %1").arg(folder));
    for (int number = 1;; ++number) {
        const QString name = dir.filePath(QStringLiteral("kartevo-%1.pdf").arg(number, 4, 10, QLatin1Char('0')));
        if (!QFileInfo::exists(name))
            return name;
    }
}

void PrintReportDirect(const report::Report &report)
{
    const QString folder = qEnvironmentVariable("KARTEVO_PRINT_DIR");
    if (!folder.isEmpty()) {
        report::WritePdf(NextPrintDirFile(folder), report);
        return;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw Error(QStringLiteral("Nincs elérhető nyomtató, a nyomtatás nem lehetséges."));
    QPrinter printer(info, QPrinter::HighResolution);
    SetUpPrinter(printer, report);
    const report::ReportRenderer renderer(report);
    if (!PaintAll(printer, renderer) || printer.printerState() == QPrinter::Error)
        throw Error(QStringLiteral("A nyomtatás nem sikerült: %1").arg(info.printerName()));
}

} // namespace kartevo
