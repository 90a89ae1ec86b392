"""Drives the real programs from outside: a virtual X server, a prepared data folder, the desktop
program started in it and keys sent to its windows with xdotool.

The end-to-end tests import this module. A test that cannot run here (no Xvfb, no xdotool, no
print spooler) ends with exit code 77, which CTest reports as skipped, unless the environment
variable CI is set: there a missing tool is a failure, so CI never skips them silently.
"""
import contextlib
import glob
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

SKIPPED = 77


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def skip(message):
    if os.environ.get("CI"):
        fail(message + " (CI never skips this test)")
    print("SKIP: " + message, flush=True)
    sys.exit(SKIPPED)


def require_tools(*names):
    missing = [n for n in names if shutil.which(n) is None]
    if missing:
        skip("missing: " + ", ".join(missing) + " (scripts/install-deps.sh installs them)")


def wait_until(predicate, timeout, what):
    """Polls predicate until it returns something true; fails naming what was awaited (a text,
    or a function giving it, to tell what was seen last)."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            fail("timed out after %g s waiting for %s" % (timeout, what() if callable(what) else what))
        time.sleep(0.05)


class Paths:
    """The build tree's programs and installation files, from the command line of a test:
    TEST --bin BIN_DIR --share SHARE_DIR --source SOURCE_DIR [--work WORK_DIR]."""

    def __init__(self, argv=None):
        import argparse
        parser = argparse.ArgumentParser()
        parser.add_argument("--bin", required=True)
        parser.add_argument("--share", required=True)
        parser.add_argument("--source", required=True)
        parser.add_argument("--work", default=None)
        args, self.rest = parser.parse_known_args(argv)
        self.bin = os.path.abspath(args.bin)
        self.share = os.path.abspath(args.share)
        self.source = os.path.abspath(args.source)
        self.work = os.path.abspath(args.work) if args.work else None
        self.kartevo = os.path.join(self.bin, "kartevo")
        self.batch = os.path.join(self.bin, "kartevo-batch")


@contextlib.contextmanager
def temporary_folder(paths):
    """A fresh folder removed afterwards (inside --work when given, so it stays in the build tree)."""
    if paths.work:
        os.makedirs(paths.work, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="e2e-", dir=paths.work)
    try:
        yield folder
    finally:
        shutil.rmtree(folder, ignore_errors=True)


CONFIG_DEMO = "[Screen]\r\nFullScreen=0\r\nFontSize=9\r\n[Defaults]\r\nSender=1\r\nOnly1Sender=1\r\nUsePrinter=0\r\n"


def make_data_folder(paths, home, demo=True, config=CONFIG_DEMO, database=None):
    """HOME/Kartevo with the delivered database (with the demo's clients, groups and senders when
    demo is true, or a copy of database), the language files and a Kartevo.ini (none when config
    is None). Returns the data folder."""
    data = os.path.join(home, "Kartevo")
    os.makedirs(os.path.join(data, "Lang"), exist_ok=True)
    lang = os.path.join(paths.share, "Lang")
    if os.path.isdir(lang):
        for name in os.listdir(lang):
            shutil.copy(os.path.join(lang, name), os.path.join(data, "Lang", name))
    target = os.path.join(data, "Kartevo.sqb")
    shutil.copy(database or os.path.join(paths.share, "Kartevo.sqb"), target)
    os.chmod(target, 0o600)
    if demo and database is None:
        with open(os.path.join(paths.source, "data", "demo", "demo.sql"), encoding="utf-8") as f:
            script = f.read()
        connection = sqlite3.connect(target)
        connection.executescript(script)
        connection.close()
    if config is not None:
        with open(os.path.join(data, "Kartevo.ini"), "w", encoding="cp1250", newline="") as f:
            f.write(config)
    return data


def query(database, sql, parameters=()):
    connection = sqlite3.connect("file:%s?mode=ro" % database, uri=True)
    try:
        return connection.execute(sql, parameters).fetchall()
    finally:
        connection.close()


def wait_query(database, sql, expected, timeout=30, parameters=()):
    """Polls a query until its rows equal expected (a list of tuples); fails with the rows last
    seen. A database locked by the program's own write counts as not yet."""
    seen = [None]

    def matches():
        try:
            seen[0] = query(database, sql, parameters)
        except sqlite3.OperationalError as error:
            seen[0] = str(error)
            return False
        return seen[0] == expected

    wait_until(matches, timeout, lambda: "%s to give %r; last seen: %r" % (sql, expected, seen[0]))
    return expected


def wait_files(folder, count, timeout=30, pattern="*"):
    """Polls until folder holds count files matching pattern (more is a failure too); returns
    them sorted by name. Files written under a temporary name and renamed in place are whole
    once they show up."""
    def files():
        return sorted(glob.glob(os.path.join(folder, pattern)))

    wait_until(lambda: len(files()) >= count, timeout,
               lambda: "%d files in %s; found: %r" % (count, folder, [os.path.basename(f) for f in files()]))
    found = files()
    if len(found) != count:
        fail("expected %d files in %s, found %r" % (count, folder, [os.path.basename(f) for f in found]))
    return found


PT_MM = 25.4 / 72.0


class PdfPage:
    """One page as pdftotext -bbox reads it: its size and its words with their boxes, in
    millimetres from the top left corner."""

    def __init__(self, width, height, words):
        self.width = width
        self.height = height
        self.words = words  # [(text, x_min, y_min, x_max, y_max)]

    def text(self):
        return " ".join(w[0] for w in self.words)

    def find(self, phrase):
        """The box (x_min, y_min, x_max, y_max) of the first run of words spelling phrase, or None."""
        wanted = phrase.split()
        texts = [w[0] for w in self.words]
        for i in range(len(texts) - len(wanted) + 1):
            if texts[i:i + len(wanted)] == wanted:
                run = self.words[i:i + len(wanted)]
                return (min(w[1] for w in run), min(w[2] for w in run),
                        max(w[3] for w in run), max(w[4] for w in run))
        return None


def pdf_pages(path):
    """The pages of a PDF file (pdftotext -bbox of poppler-utils); fails when it cannot be read."""
    require_tools("pdftotext")
    result = subprocess.run(["pdftotext", "-bbox", path, "-"], capture_output=True, timeout=60)
    if result.returncode != 0:
        fail("pdftotext cannot read %s: %s" % (path, result.stderr.decode("utf-8", "replace").strip()))
    xml = result.stdout.decode("utf-8", "replace")
    unescape = {"&lt;": "<", "&gt;": ">", "&quot;": '"', "&apos;": "'", "&amp;": "&"}
    pages = []
    for chunk in xml.split("<page ")[1:]:
        size = re.match(r'width="([0-9.]+)" height="([0-9.]+)"', chunk)
        words = []
        for m in re.finditer(r'<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>',
                             chunk):
            text = re.sub(r"&[a-z]+;", lambda e: unescape.get(e.group(0), e.group(0)), m.group(5))
            words.append((text, *(float(m.group(i)) * PT_MM for i in range(1, 5))))
        pages.append(PdfPage(float(size.group(1)) * PT_MM, float(size.group(2)) * PT_MM, words))
    return pages


def batch_pdf(paths, home, database, target, *command):
    """Prints with kartevo-batch (XDG_DATA_HOME=home) on database into the PDF file target, as
    the reference of what the desktop program prints; fails naming kartevo-batch's message."""
    result = subprocess.run([paths.batch, "--db", database, *command, "--pdf", target],
                            env=dict(os.environ, XDG_DATA_HOME=home, HOME=home, LC_ALL="C.UTF-8"),
                            capture_output=True, text=True, timeout=60)
    if result.returncode != 0:
        fail("kartevo-batch %s: %s" % (" ".join(command), result.stderr.strip()))
    return target


def snapshot_pdf(path, name):
    """The first page of a PDF as NAME.png (50 dpi) into the folder named by KARTEVO_E2E_SHOTS,
    when it is set: to look at what was printed."""
    folder = os.environ.get("KARTEVO_E2E_SHOTS")
    if folder:
        os.makedirs(folder, exist_ok=True)
        subprocess.run(["pdftoppm", "-r", "50", "-png", "-singlefile", path, os.path.join(folder, name)],
                       check=False)


def read_ini(path):
    """The sections of a Kartevo.ini (code page 1250, CRLF) as {section: {key: value}}."""
    sections = {}
    current = None
    with open(path, encoding="cp1250", newline="") as f:
        for line in f.read().split("\r\n"):
            if line.startswith("[") and line.endswith("]"):
                current = sections.setdefault(line[1:-1], {})
            elif current is not None and "=" in line:
                key, value = line.split("=", 1)
                current[key] = value
    return sections


class Display:
    """A virtual X server of its own (the first free display number), stopped at the end."""

    def __init__(self, size="1280x1024x24"):
        self.size = size
        self.process = None
        self.name = None

    def __enter__(self):
        require_tools("Xvfb", "xdotool")
        # Other X servers start and stop on the same machine: a server that went away or does
        # not take a client at once is replaced by a new one on another number. -noreset: a
        # server that resets when its last client leaves refuses the clients that come meanwhile
        # (the probe below, a program started after another one ended).
        for attempt in range(3):
            if self.start():
                return self
            self.stop()
        skip("Xvfb did not start or took no client; its output:\n" + self.log)

    def start(self):
        read_end, write_end = os.pipe()
        self.output = tempfile.TemporaryFile()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=self.output)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            return False
        self.name = ":" + number
        end = time.monotonic() + 10
        while self.process.poll() is None and time.monotonic() < end:
            if self.xdotool("getdisplaygeometry", check=False):
                return True
            time.sleep(0.1)
        return False

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.output.seek(0)
        self.log = self.output.read().decode("utf-8", "replace")[-4000:]
        self.output.close()

    def state(self):
        """Whether the server still runs, for failure messages."""
        if self.process.poll() is None:
            return "the X server %s still runs" % self.name
        return "the X server %s ended with exit code %s" % (self.name, self.process.returncode)

    def __exit__(self, *exc):
        self.stop()

    def xdotool(self, *args, check=True, timeout=30):
        result = subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.name),
                                capture_output=True, text=True, timeout=timeout)
        if check and result.returncode != 0:
            fail("xdotool %s: %s (%s)" % (" ".join(args), result.stderr.strip(), self.state()))
        return result.stdout

    def windows(self, name):
        """Ids of the visible windows whose title matches the regular expression name."""
        out = self.xdotool("search", "--onlyvisible", "--name", name, check=False)
        return [w for w in out.split()]

    def wait_window(self, name, timeout=60, program=None):
        """The first window whose title matches name; with program given, its end stops the wait."""
        def found():
            if program is not None and not program.running():
                fail("kartevo ended with exit code %s while a window named %r was awaited (%s); its output:\n%s"
                     % (program.process.returncode, name, self.state(), program.output()))
            return (self.windows(name) or [None])[0]
        return wait_until(found, timeout, "a window named %r" % name)

    def wait_no_window(self, name, timeout=60):
        wait_until(lambda: not self.windows(name), timeout, "the window %r to close" % name)

    def title(self, window):
        return self.xdotool("getwindowname", window).strip()

    def keys(self, window, *keys):
        """Focuses window (there is no window manager: the focus is set directly) and sends key
        names (xdotool's names: ctrl+m, F3, Insert, Return, Tab, …)."""
        self.xdotool("windowfocus", "--sync", window)
        for key in keys:
            self.xdotool("key", "--clearmodifiers", key)
            time.sleep(0.1)

    def type(self, window, text):
        """Types ASCII text (capital accented letters do not survive a bare X server); a text
        starting with "-" is typed too, not taken for an option."""
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("type", "--delay", "20", "--", text)

    def property(self, window, name):
        """The X property name of window as xprop prints it ("" when it has none)."""
        require_tools("xprop")
        result = subprocess.run(["xprop", "-id", str(window), name], env=dict(os.environ, DISPLAY=self.name),
                                capture_output=True, text=True, timeout=30)
        return result.stdout if result.returncode == 0 and "not found" not in result.stdout else ""

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.name, "-window", "root", path], check=False)

    def snapshot(self, name):
        """A screenshot NAME.png into the folder named by KARTEVO_E2E_SHOTS, when it is set: to
        look at what a test does as a user would see it."""
        folder = os.environ.get("KARTEVO_E2E_SHOTS")
        if folder:
            os.makedirs(folder, exist_ok=True)
            self.screenshot(os.path.join(folder, name + ".png"))


@contextlib.contextmanager
def evidence_on_failure(paths, display, program, name):
    """When the block fails (or raises), saves a screenshot of the display into the work folder
    as NAME-failure.png and prints the program's output, both named in the test's output."""
    try:
        yield
    except BaseException as error:
        if isinstance(error, SystemExit) and error.code in (0, None, SKIPPED):
            raise
        folder = paths.work or os.getcwd()
        os.makedirs(folder, exist_ok=True)
        shot = os.path.join(folder, name + "-failure.png")
        display.screenshot(shot)
        print("screenshot of the failure: %s (%s)" % (shot, display.state()), flush=True)
        if program is not None:
            print("kartevo's output:\n" + program.output(), flush=True)
        raise


class Program:
    """The desktop program on a display with XDG_DATA_HOME=home; its output goes to a log file
    that is printed when the test fails."""

    def __init__(self, paths, display, home, env=None, args=()):
        self.env = dict(os.environ, DISPLAY=display.name, XDG_DATA_HOME=home, HOME=home,
                        LC_ALL="C.UTF-8", QT_QPA_PLATFORM="xcb")
        self.env.pop("KARTEVO_PRINT_DIR", None)
        self.env.update(env or {})
        self.log_path = os.path.join(home, "kartevo.log")
        self.log = open(self.log_path, "ab")
        self.process = subprocess.Popen([paths.kartevo, *args], env=self.env, stdout=self.log,
                                        stderr=subprocess.STDOUT)

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process.poll() is None

    def output(self):
        self.log.flush()
        with open(self.log_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def signal(self, number=signal.SIGTERM):
        self.process.send_signal(number)

    def wait(self, timeout=60):
        """The exit code (negative: killed by that signal); fails when it does not end."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            fail("kartevo did not end within %g s; its output:\n%s" % (timeout, self.output()))

    def expect_clean_end(self, timeout=60):
        code = self.wait(timeout)
        if code != 0:
            fail("kartevo ended with %s; its output:\n%s" % (
                "signal %d" % -code if code < 0 else "exit code %d" % code, self.output()))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.running():
            self.process.kill()
            self.process.wait()
        self.log.close()


CUPS_EXEC = "/usr/lib/cups/daemon/cups-exec"

CAPTURE_BACKEND = """#!/bin/sh
# Lists itself without arguments; saves every job's data unchanged as job-N.data.
if [ $# -eq 0 ]; then
  echo 'direct capture "Capture" "Capture backend"'
  exit 0
fi
out=%(folder)s
if [ $# -ge 6 ]; then cp "$6" "$out/.job-$1"; else cat > "$out/.job-$1"; fi || exit 1
mv "$out/.job-$1" "$out/job-$1.data"
"""

CUPSD_CONF = """Listen %(socket)s
LogLevel info
Browsing No
WebInterface No
DefaultAuthType None
MaxJobs 0
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
"""

CUPS_FILES_CONF = """ServerRoot %(root)s/etc
ServerBin %(root)s/lib
DataDir /usr/share/cups
RequestRoot %(root)s/spool
TempDir %(root)s/spool/tmp
CacheDir %(root)s/cache
StateDir %(root)s/state
AccessLog %(root)s/log/access_log
ErrorLog %(root)s/log/error_log
PageLog %(root)s/log/page_log
Printcap %(root)s/printcap
"""


class Spooler:
    """A print scheduler of its own (cupsd -f with a temporary ServerRoot, listening on a socket
    file only), with one raw queue "capture", the default printer, whose backend saves every
    job's data unchanged into self.jobs. The machine's own scheduler and its configuration are
    left alone; programs reach this one through self.env (CUPS_SERVER). Stopped by its process
    id at the end. Runs as any user: a scheduler started by root runs the private backend as
    root, one started by another user runs everything as that user."""

    def __init__(self):
        self.root = None
        self.process = None

    def __enter__(self):
        # cupsd and lpadmin live in /usr/sbin, outside a common user's PATH.
        search = os.environ.get("PATH", os.defpath) + os.pathsep + "/usr/sbin"
        missing = [n for n in ("cupsd", "lpadmin", "lpstat") if shutil.which(n, path=search) is None]
        if missing:
            skip("missing: " + ", ".join(missing) + " (scripts/install-deps.sh installs them)")
        if not os.path.exists(CUPS_EXEC):
            skip("%s is missing (scripts/install-deps.sh installs cups-daemon)" % CUPS_EXEC)
        # A short path: a socket's name is limited to about 100 characters. Only its owner
        # reaches the scheduler's folder, its socket included.
        self.root = tempfile.mkdtemp(prefix="kartevo-cups-")
        self.jobs = os.path.join(self.root, "jobs")
        self.socket = os.path.join(self.root, "cups.sock")
        self.env = dict(os.environ, CUPS_SERVER=self.socket, PATH=search)
        self.env.pop("PRINTER", None)
        self.env.pop("LPDEST", None)
        try:
            for folder in ("etc", "lib/backend", "lib/daemon", "spool/tmp", "cache", "state", "log", "jobs"):
                os.makedirs(os.path.join(self.root, folder))
            # The scheduler starts its backends through cups-exec; a raw queue needs no filters.
            os.symlink(CUPS_EXEC, os.path.join(self.root, "lib/daemon/cups-exec"))
            backend = os.path.join(self.root, "lib/backend/capture")
            with open(backend, "w") as f:
                f.write(CAPTURE_BACKEND % {"folder": self.jobs})
            os.chmod(backend, 0o700)  # private to its owner: the scheduler runs it as that user
            values = {"root": self.root, "socket": self.socket}
            with open(os.path.join(self.root, "etc/cupsd.conf"), "w") as f:
                f.write(CUPSD_CONF % values)
            with open(os.path.join(self.root, "etc/cups-files.conf"), "w") as f:
                f.write(CUPS_FILES_CONF % values)
            with open(os.path.join(self.root, "log/cupsd.out"), "wb") as out:
                self.process = subprocess.Popen(
                    [shutil.which("cupsd", path=search), "-f", "-c", os.path.join(self.root, "etc/cupsd.conf"),
                     "-s", os.path.join(self.root, "etc/cups-files.conf")],
                    stdout=out, stderr=subprocess.STDOUT)
            wait_until(lambda: self.process.poll() is not None or self.running(), 30, "the print scheduler to answer")
            if self.process.poll() is not None:
                skip("cupsd ended at start with exit code %s; %s" % (self.process.returncode, self.log()))
            self.lp("lpadmin", "-p", "capture", "-E", "-v", "capture:/", "-m", "raw")
            self.lp("lpadmin", "-d", "capture")
        except BaseException:
            self.__exit__()
            raise
        return self

    def running(self):
        """Whether the scheduler answers on its socket (lpstat -r ends well either way)."""
        result = subprocess.run(["lpstat", "-r"], env=dict(self.env, LC_ALL="C"), capture_output=True, text=True,
                                timeout=30)
        return result.stdout.strip() == "scheduler is running"

    def lp(self, *command, check=True):
        result = subprocess.run(command, env=self.env, capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            fail("%s: %s\n%s" % (" ".join(command), result.stderr.strip(), self.log()))
        return result.returncode

    def log(self):
        """The end of the scheduler's output and log, for failure messages."""
        text = ""
        for name in ("cupsd.out", "error_log"):
            try:
                with open(os.path.join(self.root, "log", name), errors="replace") as f:
                    text += f.read()
            except OSError:
                pass
        return "the scheduler's log:\n" + (text[-4000:] or "(empty)")

    def wait_jobs(self, count, timeout=60):
        """The captured jobs' files once count jobs have arrived, in job order."""
        def jobs():
            return glob.glob(os.path.join(self.jobs, "job-*.data"))

        wait_until(lambda: len(jobs()) >= count, timeout,
                   lambda: "%d print jobs, %d arrived; %s" % (count, len(jobs()), self.log()))
        return sorted(jobs(), key=lambda f: int(re.search(r"job-(\d+)\.data$", f).group(1)))

    def __exit__(self, *exc):
        if self.process is not None and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(15)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        if self.root:
            shutil.rmtree(self.root, ignore_errors=True)
