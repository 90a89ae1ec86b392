"""Printer alignment as a new user meets it, with the keyboard alone: the Rendszer menu opens
"Nyomtatás igazítása", "Kalibráló lap" prints the C6 calibration sheet, an offset typed for C6
and accepted with OK is written to Kartevo.ini at once, and the next C6 envelope has every word
moved by exactly that offset on an unchanged page, while an LA/4 envelope stays where it was.
Opened again, a change left with Mégsem (Escape) changes nothing. Every print job lands in
KARTEVO_PRINT_DIR as a PDF file; kartevo-batch --offset 0,0 gives the unmoved references."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kartevo_e2e import (Display, Paths, Program, batch_pdf, evidence_on_failure, fail, make_data_folder, pdf_pages,
                         query, read_ini, snapshot_pdf, temporary_folder, wait_files, wait_until)

MAIN_WINDOW = r"^Kartevo V"
DIALOG = r"^Nyomtatás igazítása$"

# Straight to the printer (here: the print folder) with the one sender.
CONFIG = "[Screen]\r\nFullScreen=0\r\nFontSize=9\r\n[Defaults]\r\nSender=1\r\nOnly1Sender=1\r\nUsePrinter=1\r\n"

C6_PAGE = (160, 113)  # mm, as the program lays the C6 envelope out
OFFSET = (1.5, -2.0)  # mm: right and up
EXACT = 0.05  # mm
PAGE_TOLERANCE = 0.01  # mm

# The families of the dialog's list, in its order, by their keys in the configuration file.
FAMILY_KEYS = ["C6", "LA4", "LC5", "Registered", "ChequeFront", "ChequeBack", "Cod", "Labels", "List"]
EXPECTED_SECTION = {key + axis: "0" for key in FAMILY_KEYS for axis in "XY"}
EXPECTED_SECTION.update({"C6X": "1.5", "C6Y": "-2"})

paths = Paths()


def one_page(path, what):
    pages = pdf_pages(path)
    if len(pages) != 1:
        fail("%s: %s has %d pages instead of one" % (what, os.path.basename(path), len(pages)))
    return pages[0]


def check_moved(path, reference, offset, what):
    """The printed page has the reference's size and words, each moved by offset (mm)."""
    page, expected = one_page(path, what), one_page(reference, what + " (reference)")
    if abs(page.width - expected.width) > PAGE_TOLERANCE or abs(page.height - expected.height) > PAGE_TOLERANCE:
        fail("%s: the page is %.2f x %.2f mm instead of %.2f x %.2f mm"
             % (what, page.width, page.height, expected.width, expected.height))
    if [w[0] for w in page.words] != [w[0] for w in expected.words]:
        fail("%s: the printed words differ from the reference's:\n%s\n%s" % (what, page.text(), expected.text()))
    for word, reference_word in zip(page.words, expected.words):
        dx, dy = word[1] - reference_word[1], word[2] - reference_word[2]
        if abs(dx - offset[0]) > EXACT or abs(dy - offset[1]) > EXACT:
            fail("%s: %r moved by %+.3f / %+.3f mm instead of %+.1f / %+.1f mm"
                 % (what, word[0], dx, dy, offset[0], offset[1]))
    print("%s: %d words moved by %+.1f / %+.1f mm on a %.1f x %.1f mm page"
          % (what, len(page.words), offset[0], offset[1], page.width, page.height))


def check_sheet(path, what):
    """The C6 calibration sheet: on the C6 page, its title and both crosshair captions beside
    their crosshairs (20 mm from the top-left and bottom-right corners), never moved."""
    page = one_page(path, what)
    if abs(page.width - C6_PAGE[0]) > PAGE_TOLERANCE or abs(page.height - C6_PAGE[1]) > PAGE_TOLERANCE:
        fail("%s: the page is %.2f x %.2f mm instead of %g x %g" % (what, page.width, page.height, *C6_PAGE))
    if page.find("Kalibráló lap: Boríték (C6)") is None:
        fail("%s: no title: %s" % (what, page.text()))
    # The first caption starts 2 mm right of its crosshair, the second ends 2 mm left of its
    # one; both start 1.5 mm below the crosshair's line.
    crosses = [("X = 20,0 mm, Y = 20,0 mm", 0, 20 + 2, 20 + 1.5),
               ("X = %s,0 mm, Y = %s,0 mm" % (C6_PAGE[0] - 20, C6_PAGE[1] - 20), 2, C6_PAGE[0] - 20 - 2,
                C6_PAGE[1] - 20 + 1.5)]
    for caption, side, x, y in crosses:
        box = page.find(caption)
        if box is None:
            fail("%s: no caption %r: %s" % (what, caption, page.text()))
        if abs(box[side] - x) > 0.2 or abs(box[1] - y) > 0.2:
            fail("%s: the caption %r is at %.2f, %.2f mm, its crosshair's place wants %.1f, %.1f mm"
                 % (what, caption, box[side], box[1], x, y))


def open_dialog(display, main):
    """Alt takes the menu bar to its first menu; Rendszer is two to the left, the alignment
    dialog the last item of its menu."""
    display.keys(main, "alt", "Left", "Left", "Down", "Up")
    display.snapshot("alignment-menu")
    display.keys(main, "Return")
    return display.wait_window(DIALOG)


def calibration_section(ini_path):
    return read_ini(ini_path).get("Calibration")


with temporary_folder(paths) as home, Display() as display:
    data = make_data_folder(paths, home, config=CONFIG)
    database = os.path.join(data, "Kartevo.sqb")
    ini_path = os.path.join(data, "Kartevo.ini")
    print_dir = os.path.join(home, "print")
    os.makedirs(print_dir)
    # The window starts on the first client by name.
    client, name = query(database, "SELECT ugyfel, ugyfel_nev FROM ugyfel ORDER BY ugyfel_nevs LIMIT 1")[0]
    c6, la4 = (batch_pdf(paths, home, database, os.path.join(home, size + ".pdf"), "envelope", size, "--client",
                         str(client), "--sender", "1", "--offset", "0,0") for size in ("c6", "la4"))
    if one_page(c6, "reference").find(name) is None:
        fail("kartevo-batch's C6 envelope does not name %r" % name)

    with Program(paths, display, home, env={"KARTEVO_PRINT_DIR": print_dir}) as program, \
            evidence_on_failure(paths, display, program, "alignment"):
        main = display.wait_window(MAIN_WINDOW, program=program)

        # The list starts on C6. Enter moves on (list, horizontal, vertical) and presses the
        # button it stands on: the calibration sheet is printed, the focus goes on to OK.
        dialog = open_dialog(display, main)
        display.snapshot("alignment-dialog")
        display.keys(dialog, "Return", "Return", "Return", "Return")
        sheet = wait_files(print_dir, 1)[0]
        check_sheet(sheet, "calibration sheet")
        snapshot_pdf(sheet, "alignment-sheet")

        # Back to the horizontal offset, both offsets typed as a Hungarian user writes them;
        # Enter in the vertical one moves on to the sheet button, Tab to OK, Enter presses it.
        display.keys(dialog, "shift+Tab", "shift+Tab", "shift+Tab", "ctrl+a")
        display.type(dialog, "1,5")
        display.keys(dialog, "Return", "ctrl+a")
        display.type(dialog, "-2")
        display.keys(dialog, "Return")
        display.snapshot("alignment-offsets")
        display.keys(dialog, "Tab", "Return")
        display.wait_no_window(DIALOG)
        wait_until(lambda: calibration_section(ini_path) == EXPECTED_SECTION, 30,
                   lambda: "[Calibration] to read %r; it reads %r" % (EXPECTED_SECTION, calibration_section(ini_path)))

        # F3: the C6 envelope of the current client, moved; F4: the LA/4 one, not moved.
        display.keys(main, "F3")
        envelope = wait_files(print_dir, 2)[1]
        check_moved(envelope, c6, OFFSET, "C6 envelope with the offset")
        snapshot_pdf(envelope, "alignment-envelope")
        display.keys(main, "F4")
        check_moved(wait_files(print_dir, 3)[2], la4, (0, 0), "LA/4 envelope without an offset")

        # Again: the sheet of C6 is printed without its offset; a new horizontal offset left
        # with Escape (Mégsem) is forgotten, in the file and in the running program.
        dialog = open_dialog(display, main)
        display.keys(dialog, "Return", "Return", "Return", "Return")
        check_sheet(wait_files(print_dir, 4)[3], "calibration sheet with the C6 offset set")
        display.keys(dialog, "shift+Tab", "shift+Tab", "shift+Tab", "ctrl+a")
        display.type(dialog, "5")
        display.keys(dialog, "Return")
        display.snapshot("alignment-cancel")
        display.keys(dialog, "Escape")
        display.wait_no_window(DIALOG)
        if calibration_section(ini_path) != EXPECTED_SECTION:
            fail("Mégsem changed [Calibration]: %r" % calibration_section(ini_path))
        display.keys(main, "F3")
        check_moved(wait_files(print_dir, 5)[4], c6, OFFSET, "C6 envelope after Mégsem")

        program.signal()
        program.expect_clean_end()

    ini = read_ini(ini_path)
    if ini.get("Calibration") != EXPECTED_SECTION:
        fail("[Calibration] after the end: %r" % ini.get("Calibration"))
    if "frm_Igazitas" not in ini:
        fail("the dialog's place was not written under [frm_Igazitas]: %r" % sorted(ini))
print("ok")
