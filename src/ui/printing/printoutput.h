#pragma once

#include "printing/report.h"

#include <QList>
#include <QRectF>
#include <QString>

#include <functional>

class QPrintPreviewDialog;
class QPrinter;
class QWidget;

namespace kartevo {

namespace report {
class ReportRenderer;
}

// The output targets of a print job. All of them draw through the one report renderer.

// Shows the modal preview (zoom, page navigation, page setup and a print button that opens
// the print dialog) and returns when it is closed.
void PreviewReport(QWidget *owner, const report::Report &report);

// The outlines drawn over a page of a run preview when its outline switch is on: rectangles in
// millimetres from the paper's top left corner, for page `page` of job `job`.
using PageOutlines = std::function<QList<QRectF>(int job, int page)>;

// Shows the jobs of a run as one modal preview, every page of every job in order. Its print
// button (Ctrl+P) prints nothing itself: it closes the preview and returns true, and the caller
// then prints the run; closing the preview returns false. With outlines, the tool bar gets a
// switch "Körvonalak" (off when the preview opens) that draws them on the preview's pages only.
bool PreviewRun(QWidget *owner, const QList<report::Report> &jobs, const PageOutlines &outlines = {});

// Gives the preview's print button the usual print key (Ctrl+P); the toolbar's buttons take no
// focus, so without it the print dialog could not be reached from the keyboard.
void GivePreviewPrintKey(QPrintPreviewDialog &dialog);

// What the preview dialog's printer gets, for its pages and for the print that follows its print
// dialog: always the report's own paper size and orientation, whatever the dialog chose. A print
// to a file is written as the PDF writer writes (complete or not at all, never over the program's
// own files). Throws Error when the output fails.
void PaintForPreview(QPrinter &printer, const report::ReportRenderer &renderer);

// Prints the report as one job on the default printer. When KARTEVO_PRINT_DIR names a folder,
// the job is written there as the next numbered PDF file instead. Throws Error when there is no
// printer or the job cannot be started.
void PrintReportDirect(const report::Report &report);

// The file a direct job goes to under KARTEVO_PRINT_DIR: kartevo-0001.pdf, kartevo-0002.pdf …,
// the first number not yet used in the folder (created when missing).
QString NextPrintDirFile(const QString &folder);

} // namespace kartevo
