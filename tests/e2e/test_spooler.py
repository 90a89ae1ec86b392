"""Printing through a real print scheduler: a private cupsd with a raw queue whose backend keeps
every job's data. The program prints a C6 envelope and a cash-on-delivery form straight to the
default printer, then a C6 envelope from the preview through the print dialog. Each job must
have the form's paper size and put the addressee's name where kartevo-batch puts it in its PDF.
Qt writes whole-point page boxes on the printer path; the test prints how far that moved them."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kartevo_e2e import (Display, Paths, Program, Spooler, batch_pdf, evidence_on_failure, fail, make_data_folder,
                         pdf_pages, query, snapshot_pdf, temporary_folder)

MAIN_WINDOW = r"^Kartevo V"
PREVIEW = r"^Boríték nyomtatás$"
PRINT_DIALOG = r"^Nyomtatás$"
AMOUNT_DIALOG = r"^Összeg$"

CONFIG = "[Screen]\r\nFullScreen=0\r\nFontSize=9\r\n[Defaults]\r\nSender=1\r\nOnly1Sender=1\r\nUsePrinter=%d\r\n"

PAGE_TOLERANCE = 0.2  # mm: whole-point page boxes
PLACE_TOLERANCE = 0.5  # mm

AMOUNT = 2500

paths = Paths()
# Every program of the test prints to the scheduler's default queue, whatever the shell names.
for variable in ("PRINTER", "LPDEST"):
    os.environ.pop(variable, None)


def check_job(job, reference, what, size, name):
    """The captured job has one page of size (width, height) in mm and the addressee's name
    where the reference has it; returns how far the page size moved."""
    pages = pdf_pages(job)
    if len(pages) != 1:
        fail("%s: %d pages were printed, the form has one" % (what, len(pages)))
    page = pages[0]
    moved = (page.width - size[0], page.height - size[1])
    print("%s: page %.3f x %.3f mm, %+.3f / %+.3f mm from %g x %g" % (what, page.width, page.height,
                                                                     moved[0], moved[1], *size))
    if max(abs(moved[0]), abs(moved[1])) > PAGE_TOLERANCE:
        fail("%s: the page is %.2f x %.2f mm instead of %g x %g" % (what, page.width, page.height, *size))
    expected = pdf_pages(reference)[0].find(name)
    found = page.find(name)
    if expected is None:
        fail("%s: kartevo-batch's PDF does not name %r: %s" % (what, name, pdf_pages(reference)[0].text()))
    if found is None:
        fail("%s: the printed job does not name %r: %s" % (what, name, page.text()))
    dx, dy = found[0] - expected[0], found[1] - expected[1]
    print("%s: %r at %.2f, %.2f mm, %+.2f / %+.2f mm from kartevo-batch's PDF" % (what, name, found[0], found[1],
                                                                                   dx, dy))
    if max(abs(dx), abs(dy)) > PLACE_TOLERANCE:
        fail("%s: %r is at %.2f, %.2f mm, kartevo-batch puts it at %.2f, %.2f mm"
             % (what, name, found[0], found[1], expected[0], expected[1]))
    if page.text() != pdf_pages(reference)[0].text():
        fail("%s: the printed words differ from kartevo-batch's:\n%s\n%s"
             % (what, page.text(), pdf_pages(reference)[0].text()))
    return moved


with temporary_folder(paths) as home, Display() as display, Spooler() as spooler:
    data = make_data_folder(paths, home, config=CONFIG % 1)
    database = os.path.join(data, "Kartevo.sqb")
    # The window starts on the first client by name.
    client, name = query(database, "SELECT ugyfel, ugyfel_nev FROM ugyfel ORDER BY ugyfel_nevs LIMIT 1")[0]
    c6 = batch_pdf(paths, home, database, os.path.join(home, "c6.pdf"), "envelope", "c6", "--client", str(client),
                   "--sender", "1")
    cod = batch_pdf(paths, home, database, os.path.join(home, "cod.pdf"), "cod", "--client", str(client),
                    "--amount", str(AMOUNT), "--sender", "1")
    env = {"CUPS_SERVER": spooler.socket}

    # Straight to the printer: F3 (scope "Aktuális"), F8 with the amount typed in.
    with Program(paths, display, home, env=env) as program, \
            evidence_on_failure(paths, display, program, "spooler-direct"):
        main = display.wait_window(MAIN_WINDOW, program=program)
        display.keys(main, "F3")
        spooler.wait_jobs(1)
        display.keys(main, "F8")
        amount = display.wait_window(AMOUNT_DIALOG)
        display.keys(amount, "ctrl+a")
        display.type(amount, str(AMOUNT))
        display.snapshot("spooler-amount")
        display.keys(amount, "Return")
        display.wait_no_window(AMOUNT_DIALOG)
        spooler.wait_jobs(2)
        program.signal()
        program.expect_clean_end()

    # The preview: Ctrl+P (its print button) opens the print dialog, on the capture queue; Enter prints.
    with open(os.path.join(data, "Kartevo.ini"), encoding="cp1250", newline="") as f:
        ini = f.read()
    if "UsePrinter=1" not in ini:
        fail("Kartevo.ini lost UsePrinter=1: %r" % ini)
    with open(os.path.join(data, "Kartevo.ini"), "w", encoding="cp1250", newline="") as f:
        f.write(ini.replace("UsePrinter=1", "UsePrinter=0"))
    with Program(paths, display, home, env=env) as program, \
            evidence_on_failure(paths, display, program, "spooler-preview"):
        main = display.wait_window(MAIN_WINDOW, program=program)
        display.keys(main, "F3")
        preview = display.wait_window(PREVIEW)
        display.snapshot("spooler-preview")
        display.keys(preview, "ctrl+p")
        dialog = display.wait_window(PRINT_DIALOG)
        display.snapshot("spooler-print-dialog")
        display.keys(dialog, "Return")
        display.wait_no_window(PRINT_DIALOG)
        jobs = spooler.wait_jobs(3)
        # Printing from the preview closes it.
        display.wait_no_window(PREVIEW)
        program.signal()
        program.expect_clean_end()

    if len(jobs) != 3:
        fail("expected 3 print jobs, the queue got %d" % len(jobs))
    for job in jobs:
        with open(job, "rb") as f:
            if f.read(5) != b"%PDF-":
                fail("%s is not the program's PDF" % job)
    check_job(jobs[0], c6, "C6 envelope, direct", (160, 113), name)
    check_job(jobs[1], cod, "cash-on-delivery form, direct", (150, 105), name)
    check_job(jobs[2], c6, "C6 envelope, from the preview", (160, 113), name)
    for number, job in enumerate(jobs, 1):
        snapshot_pdf(job, "spooler-job-%d" % number)
print("ok")
