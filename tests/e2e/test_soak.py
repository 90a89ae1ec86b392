"""Start-up soak: the desktop program is started again and again, in turn on the demo folder and
on a folder with 100,000 clients, and every run is ended as soon as its main window shows: by
SIGTERM, every tenth by its own close command "Bezár" (menu "Kartevo", reached from the keyboard),
every tenth by SIGHUP (a terminal that closes), and every tenth by SIGTERM at a moment during the
start-up instead. Each run must end cleanly (exit code 0, no fatal or sanitizer message) and leave
Kartevo.ini with [frm_Main] and no -journal or -wal file beside the database; a start-up signal
that comes before the program can take it (it then dies of it) must have left nothing behind.
The first main window on each folder must carry the program's icon.

    test_soak.py --bin ... [STARTS] [--seed N]

STARTS (default 100) is split evenly between the two folders; a developer runs 1000.
"""
import argparse
import glob
import os
import random
import signal
import sqlite3
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from kartevo_e2e import (CONFIG_DEMO, Display, Paths, Program, fail, make_data_folder, read_ini,
                         temporary_folder, wait_until)

MAIN_WINDOW = r"^Kartevo V"
CLIENTS = 100000
# Output that means a fault even when the exit code is 0 (QT_MESSAGE_PATTERN below prefixes Qt's
# own messages with their kind).
FAULT_MARKS = ("fatal: ", "critical: ", "AddressSanitizer", "LeakSanitizer", "runtime error:",
               "terminate called")

# Fictitious names, in the shape of the benchmarks' client database.
SURNAMES = ("Nagy Kovács Tóth Szabó Horváth Varga Kiss Molnár Németh Farkas Balogh Papp Takács "
            "Juhász Mészáros Oláh Simon Rácz Fekete Szilágyi Török Fehér Balázs Gál Szűcs Ördög "
            "Ürmös Érsek Ónodi Ujvári").split()
GIVEN_NAMES = ("László István József Zoltán Gábor Ferenc Attila Péter Tamás Ödön Ábel Éva Mária "
               "Erzsébet Katalin Ilona Anna Judit Ágnes Enikő Tünde Őze Ünige Írisz").split()
COMPANY_WORDS = "Építő Agrár Informatikai Kereskedelmi Könyvelő Fuvarozó Nyomda Pékség Kertészet".split()
COMPANY_FORMS = "Kft. Bt. Zrt. Kkt. Szövetkezet Egyesület Alapítvány".split()
STREETS = "Petőfi Kossuth Rákóczi Dózsa Széchenyi Ady Arany Jókai Béke Fő Szabadság Ősz".split()
STREET_KINDS = "utca út tér köz sor körút".split()
GROUPS = "Ügyfél Szállító Partner Hivatal Bank Iskola Önkormányzat Egyesület".split()
FOLD = str.maketrans("ÁÉÍÓŐÖÚŰÜ", "AEIOOOUUU")


def sort_key(text):
    """The program's sort key of a name: upper case, accents folded, 20 characters."""
    return "" if text is None else text.upper().translate(FOLD)[:20]


def client_database(paths):
    """A copy of the delivered database with CLIENTS fictitious clients (real postal codes and
    towns from the delivered table), made once per build in the work folder and kept there until
    the delivered database changes."""
    delivered = os.path.join(paths.share, "Kartevo.sqb")
    work = paths.work or os.path.dirname(paths.bin)
    os.makedirs(work, exist_ok=True)
    cached = os.path.join(work, "soak-clients-%d-%d.sqb" % (CLIENTS, os.stat(delivered).st_mtime_ns))
    if os.path.exists(cached):
        return cached
    for old in glob.glob(os.path.join(work, "soak-clients-*.sqb")):
        os.remove(old)
    partial = cached + ".%d.part" % os.getpid()
    with open(delivered, "rb") as source, open(partial, "wb") as target:
        target.write(source.read())
    connection = sqlite3.connect(partial)
    places = connection.execute("SELECT irsz, varos FROM irsz").fetchall()
    if not places:
        fail("the delivered database has no postal codes")
    rnd = random.Random(20240611)

    def person():
        return rnd.choice(SURNAMES) + " " + rnd.choice(GIVEN_NAMES)

    def rows():
        for key in range(1, CLIENTS + 1):
            company = rnd.randrange(3) == 0
            name = ("%s %s %s" % (rnd.choice(SURNAMES), rnd.choice(COMPANY_WORDS), rnd.choice(COMPANY_FORMS))
                    if company else person())
            contact = person() if company else None
            postal_code, town = rnd.choice(places)
            address = "%s %s %d." % (rnd.choice(STREETS), rnd.choice(STREET_KINDS), rnd.randint(1, 120))
            group = None if rnd.randrange(4) == 0 else rnd.choice(GROUPS)
            yield (key, name, contact, postal_code, town, address, sort_key(name), sort_key(town),
                   sort_key(contact), "N", group, sort_key(group))

    with connection:  # one transaction
        # The columns and the table the program's schema upgrade adds.
        connection.execute("ALTER TABLE ugyfel ADD jelolve CHAR(1)")
        connection.execute("ALTER TABLE ugyfel ADD csoport CHAR(50)")
        connection.execute("ALTER TABLE ugyfel ADD csoports CHAR(50)")
        connection.execute("CREATE TABLE csoport (csoport CHAR(50), csoports CHAR(50), PRIMARY KEY (csoport))")
        connection.executemany("INSERT INTO csoport (csoport, csoports) VALUES (?, ?)",
                               [(g, sort_key(g)) for g in GROUPS])
        connection.executemany(
            "INSERT INTO ugyfel (ugyfel, ugyfel_nev, kapcsolat, cim_irsz, cim_varos, cim_cim, ugyfel_nevs, "
            "cim_vaross, kapcsolats, jelolve, csoport, csoports) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            rows())
    connection.close()
    os.replace(partial, cached)
    return cached


class Folder:
    """A data folder that all runs of one kind share, and their times to the main window."""

    def __init__(self, name, home, data):
        self.name = name
        self.home = home
        self.data = data
        self.database = os.path.join(data, "Kartevo.sqb")
        self.ini = os.path.join(data, "Kartevo.ini")
        self.shown = []  # seconds from the start to the main window

    def mean_shown(self):
        return sum(self.shown) / len(self.shown) if self.shown else 0.5


def close_with_bezar(display, window):
    """The close command from the keyboard: Alt opens the menu bar, Return the first menu
    ("Kartevo"), Up goes round to its last item "Bezár"."""
    display.keys(window, "alt", "Return", "Up", "Return")


def wait_main_window(display, program, what):
    """The main window's id; fails at once, with the program's output, when it ends first."""
    def shown():
        if not program.running():
            fail("%s: kartevo ended (exit code %s) before its main window showed; its output:\n%s" % (
                what, program.process.returncode, program.output()))
        return (display.windows(MAIN_WINDOW) or [None])[0]
    return wait_until(shown, 60, "the main window (%s)" % what)


def run_once(paths, display, folder, index, how, delay):
    """One start ended as how says: "bezar", "term", "hup" (at the main window) or "early" (SIGTERM
    delay seconds after the start)."""
    what = "%s run %d (%s%s)" % (folder.name, index, how, " after %.3f s" % delay if how == "early" else "")
    # A fresh configuration without the window's section: the run has to write it.
    with open(folder.ini, "w", encoding="cp1250", newline="") as f:
        f.write(CONFIG_DEMO)
    open(os.path.join(folder.home, "kartevo.log"), "w").close()
    env = {"QT_MESSAGE_PATTERN": "%{type}: %{message}"}
    with Program(paths, display, folder.home, env=env) as program:
        started = time.monotonic()
        if how == "early":
            time.sleep(delay)
            program.signal(signal.SIGTERM)
        else:
            window = wait_main_window(display, program, what)
            folder.shown.append(time.monotonic() - started)
            if len(folder.shown) == 1 and "_NET_WM_ICON(CARDINAL)" not in display.property(window, "_NET_WM_ICON"):
                fail("%s: the main window has no icon" % what)
            if how == "bezar":
                close_with_bezar(display, window)
            else:
                program.signal(signal.SIGHUP if how == "hup" else signal.SIGTERM)
        try:
            code = program.process.wait(60)
        except subprocess.TimeoutExpired:
            shot = os.path.join(paths.work or folder.home, "soak-hang.png")
            display.screenshot(shot)
            fail("%s: kartevo did not end within 60 s (windows: %s; screen: %s); its output:\n%s" % (
                what, [display.title(w) for w in display.windows(".")], shot, program.output()))
        output = program.output()

    faults = [line for line in output.splitlines() if any(mark in line for mark in FAULT_MARKS)]
    if faults:
        fail("%s: the program reported a fault:\n%s" % (what, output))
    for suffix in ("-journal", "-wal"):
        if os.path.exists(folder.database + suffix):
            fail("%s: %s was left behind" % (what, os.path.basename(folder.database + suffix)))
    if how == "early" and code == -signal.SIGTERM:
        # Taken by the signal before the program had set up its handling: nothing may have been
        # written.
        with open(folder.ini, encoding="cp1250", newline="") as f:
            if f.read() != CONFIG_DEMO:
                fail("%s: killed by SIGTERM, yet Kartevo.ini was rewritten" % what)
        return False
    if code != 0:
        fail("%s: kartevo ended with %s; its output:\n%s" % (
            what, "signal %d" % -code if code < 0 else "exit code %d" % code, output))
    place = read_ini(folder.ini).get("frm_Main", {})
    if not all(key in place for key in ("Left", "Top", "Width", "Height")):
        fail("%s: [frm_Main] was not written: %r" % (what, place))
    return True


def main():
    paths = Paths()
    parser = argparse.ArgumentParser()
    parser.add_argument("starts", type=int, nargs="?", default=100)
    parser.add_argument("--seed", type=int, default=1, help="the moments of the start-up signals")
    args = parser.parse_args(paths.rest)
    rnd = random.Random(args.seed)
    # The program keeps an ignored SIGHUP ignored, and a soak started with nohup would hand that
    # on to it.
    signal.signal(signal.SIGHUP, signal.SIG_DFL)

    made = time.monotonic()
    clients = client_database(paths)
    made = time.monotonic() - made
    with temporary_folder(paths) as root, Display() as display:
        folders = []
        for name, database in (("demo", None), ("100,000 clients", clients)):
            home = os.path.join(root, str(len(folders)))
            folders.append(Folder(name, home, make_data_folder(paths, home, database=database)))
        counts = {}
        began = time.monotonic()
        for index in range(args.starts):
            folder = folders[index % 2]
            turn = (index // 2) % 10
            how = {9: "bezar", 4: "hup", 7: "early"}.get(turn, "term")
            # Early signals fall anywhere from the process's start to a little past its window.
            delay = rnd.uniform(0, 1.2 * folder.mean_shown())
            caught = run_once(paths, display, folder, index, how, delay)
            key = how if caught or how != "early" else "early, before the handlers"
            counts[key] = counts.get(key, 0) + 1
        total = time.monotonic() - began

    print("%d starts in %.1f s (the client database: %.1f s); ended by: %s" % (
        args.starts, total, made, ", ".join("%s %d" % item for item in sorted(counts.items()))))
    for folder in folders:
        if folder.shown:
            print("%s: %d windows, %.2f s to the window on average, %.2f s at most" % (
                folder.name, len(folder.shown), folder.mean_shown(), max(folder.shown)))
    print("ok")


main()
