"""The client list driven by the keyboard alone, as a user works in it: searching and marking two
clients with Ctrl+M, printing the current one and then the marked ones through the scope box and
F3 (with the sender list answered by Enter), adding a client with Ins in the edit dialog, and
ending with SIGTERM. Every direct print job lands in KARTEVO_PRINT_DIR as a PDF file."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kartevo_e2e import (Display, Paths, Program, evidence_on_failure, fail, make_data_folder, pdf_pages, query,
                         read_ini, temporary_folder, wait_files, wait_query)

MAIN_WINDOW = r"^Kartevo V"
SENDER_LIST = r"^Feladók$"
EDIT_DIALOG = r"^Szerkesztés$"
GROUP_LIST = r"^Csoportok$"

# Straight to the printer (here: the print folder), and the sender asked for every time.
CONFIG = "[Screen]\r\nFullScreen=0\r\nFontSize=9\r\n[Defaults]\r\nSender=1\r\nOnly1Sender=0\r\nUsePrinter=1\r\n"

MARKED = "SELECT ugyfel FROM ugyfel WHERE jelolve='I' ORDER BY ugyfel"


def page_texts(files):
    """The words of each printed file's one page, one string per file."""
    texts = []
    for path in files:
        pages = pdf_pages(path)
        if len(pages) != 1:
            fail("%s has %d pages, an envelope has one" % (path, len(pages)))
        texts.append(pages[0].text())
    return texts


def check_prints(files, expected, others, what):
    """Each file names its client of expected (in order), and none names a client of others."""
    texts = page_texts(files)
    for text, name in zip(texts, expected):
        if name not in text:
            fail("%s: the envelope does not name %r: %r" % (what, name, text))
        stray = [o for o in others if o != name and o in text]
        if stray:
            fail("%s: the envelope of %r also names %r" % (what, name, stray))


def choose_sender(display):
    """The sender list opens in pick mode; Enter takes the row it stands on (the first)."""
    window = display.wait_window(SENDER_LIST)
    display.snapshot("keyboard-sender-list")
    display.keys(window, "Return")
    display.wait_no_window(SENDER_LIST)


paths = Paths()
with temporary_folder(paths) as home, Display() as display:
    data = make_data_folder(paths, home, config=CONFIG)
    database = os.path.join(data, "Kartevo.sqb")
    print_dir = os.path.join(home, "print")
    os.makedirs(print_dir)
    # The list as the window sorts it at start: by the folded name.
    rows = query(database, "SELECT ugyfel, ugyfel_nev FROM ugyfel ORDER BY ugyfel_nevs")
    names = [name for _, name in rows]
    start = next(i for i, (_, name) in enumerate(rows) if name.lower().startswith("cs"))
    first, second = rows[start], rows[start + 2]
    sender = query(database, "SELECT tulajdonos_nev FROM tulajdonos ORDER BY tulajdonos_nev")[0][0]

    with Program(paths, display, home, env={"KARTEVO_PRINT_DIR": print_dir}) as program, \
            evidence_on_failure(paths, display, program, "keyboard"):
        main = display.wait_window(MAIN_WINDOW, program=program)
        if query(database, MARKED):
            fail("the demo data starts with marked clients: %r" % query(database, MARKED))

        # The search box has the focus: "cs" finds the first client starting with it, Down goes
        # to the grid on that row, Ctrl+M marks it; two rows further down the second one.
        display.type(main, "cs")
        display.keys(main, "Down", "ctrl+m")
        wait_query(database, MARKED, [(first[0],)])
        display.keys(main, "Down", "Down", "ctrl+m")
        wait_query(database, MARKED, sorted([(first[0],), (second[0],)]))
        display.snapshot("keyboard-marked")

        # Marking chose "Csak a kijelölteknek"; the scope box (two tabs from the grid, after the
        # group filter) goes back to "Aktuális" with Home: F3 prints the current client only
        # and leaves the marks.
        display.keys(main, "Tab", "Tab", "Home")
        display.snapshot("keyboard-scope-current")
        display.keys(main, "F3")
        choose_sender(display)
        files = wait_files(print_dir, 1)
        check_prints(files, [second[1]], names, "scope Aktuális")
        if sender not in page_texts(files)[0]:
            fail("the envelope does not name the chosen sender %r" % sender)
        wait_query(database, MARKED, sorted([(first[0],), (second[0],)]))

        # End chooses "Csak a kijelölteknek": after the sender the run asks nothing more, prints
        # one envelope per marked client straight away, in name order, then clears every mark
        # and says so in a message ("2 boríték elkészült …"), closed with Enter.
        display.keys(main, "End")
        display.snapshot("keyboard-scope-marked")
        display.keys(main, "F3")
        choose_sender(display)
        files = wait_files(print_dir, 3)[1:]
        check_prints(files, [first[1], second[1]], names, "scope Csak a kijelölteknek")
        wait_query(database, MARKED, [])
        summary = display.wait_window(r"^Üzenet$", program=program)
        display.snapshot("keyboard-run-summary")
        display.keys(summary, "Return")
        display.wait_no_window(r"^Üzenet$")

        # Ins opens the edit dialog on a new client. Enter moves on like Tab and presses the
        # button it stands on: the hand button copies the name into the contact, the postal
        # code fills the town when left, the group button picks a group, OK saves.
        count = query(database, "SELECT count(*) FROM ugyfel")[0][0]
        display.keys(main, "Insert")
        dialog = display.wait_window(EDIT_DIALOG)
        display.type(dialog, "Proba Aladar Bt.")
        display.keys(dialog, "Return", "Return", "Return")
        display.type(dialog, "7621")
        display.keys(dialog, "Return")
        display.snapshot("keyboard-edit-dialog")
        display.keys(dialog, "Return", "Return")
        groups = display.wait_window(GROUP_LIST)
        display.keys(groups, "Return")
        display.wait_no_window(GROUP_LIST)
        display.type(dialog, "Teszt utca 5.")
        display.keys(dialog, "Return", "Return")
        display.wait_no_window(EDIT_DIALOG)
        first_group = query(database, "SELECT csoport FROM csoport ORDER BY csoport")[0][0]
        wait_query(database,
                   "SELECT ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, csoport, jelolve FROM ugyfel "
                   "WHERE ugyfel_nev LIKE 'Proba%'",
                   [("Proba Aladar Bt.", "Proba Aladar Bt.", "7621", "Pécs", "Teszt utca 5.", first_group, "N")])
        if query(database, "SELECT count(*) FROM ugyfel")[0][0] != count + 1:
            fail("Ins added more than one client")
        display.snapshot("keyboard-after-insert")

        program.signal()
        program.expect_clean_end()

    ini = read_ini(os.path.join(data, "Kartevo.ini"))
    place = ini.get("frm_Main", {})
    missing = [key for key in ("Left", "Top", "Width", "Height") if key not in place]
    if missing:
        fail("[frm_Main] lacks %s: %r" % (", ".join(missing), place))
    defaults = ini.get("Defaults", {})
    if defaults.get("UsePrinter") != "1" or defaults.get("Only1Sender") != "0" or defaults.get("Sender") != "1":
        fail("the settings were not written back as read: [Defaults] %r" % defaults)
    if "frm_Szerkeszt" not in ini:
        fail("the edit dialog's place was not written under [frm_Szerkeszt]: %r" % sorted(ini))
    leftovers = [name for name in os.listdir(data) if name.startswith("Kartevo.sqb-")]
    if leftovers:
        fail("the database was not closed cleanly, left: %r" % leftovers)
print("ok")
