"""The address check window on the demo clients with three planted faults (a town that is not
its postal code's, a client typed in twice, a postal code that does not exist), driven with the
keyboard alone: the Törzsadat menu opens "Címellenőrzés", Ctrl+E exports its list through the
export window (read back as the window's findings), Ctrl+M marks every listed client, Enter
opens the edit dialog on the first finding, whose town corrected and saved with OK lands in the
database and takes its row off the list, and Escape closes the window, which keeps its place."""
import os
import sqlite3
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kartevo_e2e import (Display, Paths, Program, evidence_on_failure, fail, make_data_folder, query, read_ini,
                         temporary_folder, wait_files, wait_query)

MAIN_WINDOW = r"^Kartevo V"
CHECK_WINDOW = r"^Címellenőrzés$"
EXPORT_WINDOW = r"^Határolt szöveg export$"
MESSAGE = r"^Üzenet$"
EDIT_DIALOG = r"^Szerkesztés$"

COLUMNS = "ugyfel, ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, ugyfel_nevs, cim_vaross, kapcsolats, " \
          "jelolve, csoport, csoports"
# Client 1 (1011 Budapest) moves to Szeged on paper; client 31 is client 2 (Bakonyi Építő Bt.)
# typed again without accents; client 32 has a postal code that no town has.
PLANTED = [
    "UPDATE ugyfel SET cim_varos = 'Szeged', cim_vaross = 'SZEGED' WHERE ugyfel = 1",
    "INSERT INTO ugyfel (%s) VALUES (31, 'Bakonyi epito bt', 'Kovacs Eva', '8200', 'Veszprem', 'Jokai utca 1.', "
    "'BAKONYI EPITO BT', 'VESZPREM', 'KOVACS EVA', 'N', 'Szállítók', 'SZALLITOK')" % COLUMNS,
    "INSERT INTO ugyfel (%s) VALUES (32, 'Tavoli Posta Kft.', 'Nagy Ilona', '9999', 'Sehol', 'Kossuth utca 1.', "
    "'TAVOLI POSTA KFT.', 'SEHOL', 'NAGY ILONA', 'N', 'Partnerek', 'PARTNEREK')" % COLUMNS,
]

HEADER = ["Kód", "Név", "Irsz.", "Helység", "Cím", "Megállapítás"]
FINDINGS = [
    ["1", "Almási és Társa Kft.", "1011", "Szeged", "Fő utca 12.", "A helység nem ehhez az irányítószámhoz tartozik."],
    ["2", "Bakonyi Építő Bt.", "8200", "Veszprém", "Óváros tér 3.", "Ugyanez a név: 31. ügyfél."],
    ["31", "Bakonyi epito bt", "8200", "Veszprem", "Jokai utca 1.", "Ugyanez a név: 2. ügyfél."],
    ["32", "Tavoli Posta Kft.", "9999", "Sehol", "Kossuth utca 1.", "Nincs ilyen irányítószám."],
]

MARKED = "SELECT ugyfel FROM ugyfel WHERE jelolve = 'I' ORDER BY ugyfel"

paths = Paths()


def export_list(display, check, target):
    """Ctrl+E opens the export window on the findings; its file name is the eighth stop from
    the field list (two buttons, the two radio groups, three check boxes). Enter in it starts
    the export, Enter closes the message that says it is done, Escape the export window.
    Returns the file's rows (code page 1250, ";" after every field, the titles first)."""
    display.keys(check, "ctrl+e")
    export = display.wait_window(EXPORT_WINDOW)
    display.keys(export, *["Tab"] * 8)
    display.type(export, target)
    display.keys(export, "Return")
    message = display.wait_window(MESSAGE)
    display.snapshot("addresscheck-exported")
    display.keys(message, "Return")
    display.wait_no_window(MESSAGE)
    wait_files(os.path.dirname(target), 1, pattern=os.path.basename(target))
    display.keys(export, "Escape")
    display.wait_no_window(EXPORT_WINDOW)
    with open(target, encoding="cp1250", newline="") as f:
        lines = f.read().split("\r\n")
    if lines[-1] != "" or any(not line.endswith(";") for line in lines[:-1]):
        fail("%s is not one line per row, each closed by ';': %r" % (target, lines))
    return [line[:-1].split(";") for line in lines[:-1]]


def check_rows(rows, expected, what):
    if rows[:1] != [HEADER]:
        fail("%s: the export's titles are %r instead of %r" % (what, rows[:1], HEADER))
    if rows[1:] != expected:
        fail("%s: the window lists\n%s\ninstead of\n%s" % (what, "\n".join(map(repr, rows[1:])),
                                                            "\n".join(map(repr, expected))))


with temporary_folder(paths) as home, Display() as display:
    data = make_data_folder(paths, home)
    database = os.path.join(data, "Kartevo.sqb")
    connection = sqlite3.connect(database)
    with connection:
        for statement in PLANTED:
            connection.execute(statement)
    connection.close()
    if query(database, MARKED):
        fail("the demo data starts with marked clients: %r" % query(database, MARKED))
    exports = os.path.join(home, "exports")
    os.makedirs(exports)

    with Program(paths, display, home) as program, evidence_on_failure(paths, display, program, "addresscheck"):
        main = display.wait_window(MAIN_WINDOW, program=program)
        # Alt takes the menu bar to its first menu; Törzsadat is the fourth, the check its last item.
        display.keys(main, "alt", "Right", "Right", "Right", "Down", "Up")
        display.snapshot("addresscheck-menu")
        display.keys(main, "Return")
        check = display.wait_window(CHECK_WINDOW, program=program)
        display.snapshot("addresscheck-window")

        check_rows(export_list(display, check, os.path.join(exports, "findings.csv")), FINDINGS, "at the start")

        display.keys(check, "ctrl+m")
        wait_query(database, MARKED, [(1,), (2,), (31,), (32,)])

        # The grid stands on the first finding (client 1's town). Enter opens the edit dialog;
        # the town is the fourth stop after the name (hand button, contact, postal code); OK
        # is three stops further (group button, address).
        display.keys(check, "Return")
        dialog = display.wait_window(EDIT_DIALOG)
        display.snapshot("addresscheck-edit-warning")
        display.keys(dialog, "Tab", "Tab", "Tab", "Tab")
        display.type(dialog, "Budapest")
        display.snapshot("addresscheck-edit-fixed")
        display.keys(dialog, "Tab", "Tab", "Tab", "Return")
        display.wait_no_window(EDIT_DIALOG)
        wait_query(database, "SELECT cim_irsz, cim_varos, cim_vaross FROM ugyfel WHERE ugyfel = 1",
                   [("1011", "Budapest", "BUDAPEST")])
        display.snapshot("addresscheck-after-fix")

        # Checked again after the save: the corrected client's row is gone.
        check_rows(export_list(display, check, os.path.join(exports, "after-fix.csv")), FINDINGS[1:],
                   "after the correction")

        display.keys(check, "Escape")
        display.wait_no_window(CHECK_WINDOW)
        program.signal()
        program.expect_clean_end()

    place = read_ini(os.path.join(data, "Kartevo.ini")).get("frm_Cimellenorzes", {})
    missing = [key for key in ("Left", "Top", "Width", "Height") if key not in place]
    if missing:
        fail("[frm_Cimellenorzes] lacks %s: %r" % (", ".join(missing), place))
print("ok")
