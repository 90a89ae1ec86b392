"""Drives the real programs from outside: a virtual X server, a prepared data folder, the desktop
program started in it and keys sent to its windows with xdotool.

The end-to-end tests import this module. A test that cannot run here (no Xvfb, no xdotool, no
print spooler) ends with exit code 77, which CTest reports as skipped, unless the environment
variable CI is set: there a missing tool is a failure, so CI never skips them silently.
"""
import contextlib
import os
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
    """Polls predicate until it returns something true; fails naming what was awaited."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            fail("timed out after %g s waiting for %s" % (timeout, what))
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
        read_end, write_end = os.pipe()
        # -noreset: an X server resets itself whenever its last client has gone, and a program
        # that connects during that reset is refused (Qt then aborts with "could not connect to
        # display"). Between two runs of the program there is often no client at all.
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.kill()
            skip("Xvfb did not start")
        self.name = ":" + number
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()

    def xdotool(self, *args, check=True, timeout=30):
        result = subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=self.name),
                                capture_output=True, text=True, timeout=timeout)
        if check and result.returncode != 0:
            fail("xdotool %s: %s" % (" ".join(args), result.stderr.strip()))
        return result.stdout

    def windows(self, name):
        """Ids of the visible windows whose title matches the regular expression name."""
        out = self.xdotool("search", "--onlyvisible", "--name", name, check=False)
        return [w for w in out.split()]

    def wait_window(self, name, timeout=60):
        return wait_until(lambda: (self.windows(name) or [None])[0], timeout, "a window named %r" % name)

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
        """Types ASCII text (capital accented letters do not survive a bare X server)."""
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("type", "--delay", "20", text)

    def property(self, window, name):
        """The X property name of window as xprop prints it ("" when it has none)."""
        require_tools("xprop")
        result = subprocess.run(["xprop", "-id", str(window), name], env=dict(os.environ, DISPLAY=self.name),
                                capture_output=True, text=True, timeout=30)
        return result.stdout if result.returncode == 0 and "not found" not in result.stdout else ""

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.name, "-window", "root", path], check=False)


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
