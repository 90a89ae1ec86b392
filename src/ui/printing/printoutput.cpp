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
#include <QPrintPreviewWidget>
#include <QToolBar>
#include <QPrinter>
#include <QPrinterInfo>

#include <memory>
#include <vector>

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

// Thin dashed outlines over a preview page, moved by the printer alignment as the page is.
void DrawOutlines(QPainter &painter, const PrintOffset &offset, const QList<QRectF> &outlines)
{
    const double x = painter.device()->logicalDpiX() / 25.4;
    const double y = painter.device()->logicalDpiY() / 25.4;
    painter.save();
    QPen pen(QColor(0, 120, 215), 0, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const QRectF &outline : outlines) {
        painter.drawRect(QRectF((outline.left() + offset.x) * x, (outline.top() + offset.y) * y, outline.width() * x,
                                outline.height() * y));
    }
    painter.restore();
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

bool PreviewRun(QWidget *owner, const QList<report::Report> &jobs, const PageOutlines &outlines)
{
    if (jobs.isEmpty())
        return false;
    std::vector<std::unique_ptr<report::ReportRenderer>> renderers;
    for (const report::Report &job : jobs)
        renderers.push_back(std::make_unique<report::ReportRenderer>(job));
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, jobs.first());
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setObjectName(QStringLiteral("frm_Preview"));
    dialog.setWindowTitle(jobs.first().title);
    GivePreviewPrintKey(dialog);
    // Printing from here prints the run: the preview closes and the caller sends its jobs.
    bool print = false;
    const QString printText = QCoreApplication::translate("QPrintPreviewDialog", "Print");
    for (QAction *action : dialog.findChildren<QAction *>()) {
        if (action->text() != printText)
            continue;
        QObject::disconnect(action, &QAction::triggered, &dialog, nullptr);
        QObject::connect(action, &QAction::triggered, &dialog, [&dialog, &print] {
            print = true;
            dialog.accept();
        });
    }
    QAction *outlineSwitch = nullptr;
    if (outlines) {
        if (auto *bar = dialog.findChild<QToolBar *>()) {
            bar->addSeparator();
            outlineSwitch = bar->addAction(QStringLiteral("Körvonalak"));
            outlineSwitch->setObjectName(QStringLiteral("aKorvonalak"));
            outlineSwitch->setCheckable(true);
            outlineSwitch->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
            outlineSwitch->setToolTip(QStringLiteral("A címkék körvonala (csak a képernyőn) – Ctrl+L"));
            auto *preview = dialog.findChild<QPrintPreviewWidget *>();
            QObject::connect(outlineSwitch, &QAction::toggled, &dialog, [preview] {
                if (preview)
                    preview->updatePreview();
            });
        }
    }
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter *target) {
        QPainter painter;
        if (!painter.begin(target))
            return;
        bool first = true;
        for (int job = 0; job < int(renderers.size()); ++job) {
            const report::ReportRenderer &renderer = *renderers[job];
            for (int page = 0; page < renderer.pageCount(); ++page) {
                if (!first) {
                    target->setPageLayout(report::PageLayoutOf(renderer.report().page));
                    target->newPage();
                }
                first = false;
                renderer.paintPage(painter, page);
                if (outlineSwitch && outlineSwitch->isChecked())
                    DrawOutlines(painter, renderer.report().offset, outlines(job, page));
            }
        }
        painter.end();
    });
    dialog.exec();
    return print;
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
