"""Drives the real Kestrix window under Wine on a virtual X display, for the window tests.

One run (one Python process) starts one Xvfb display, boots one template Wine prefix (with the
font replacements the Chinese texts need), builds a zh_CN.UTF-8 locale, writes the fixture
volume and reads the program's own definitions (geometry, colours, control ids, texts) from the
probe. Each test class then gets a fresh copy of the template prefix and a HOME of its own,
so that no module depends on what another one left behind.

Writing a test module
---------------------
One module per behaviour area, tests/ui/harness/test_AREA.py, runnable alone with
``python3 -m unittest tests.ui.harness.test_AREA`` or with the others through
``python3 -m tests.ui.harness.run``. Open it with a docstring saying why the area matters.

    from tests.ui.harness import driver

    load_tests = driver.load_tests_in_order  # a class's tests run in the order written

    class TagBar(driver.WindowTest):
        language = "en"                      # "zh": the Chinese locale and texts
        # program = "exe"                    # kxsearch.exe instead of kxsearch_sim.exe
        # program_env = {"KX_SIM_FOLLOW_DELETES": "1"}

        @classmethod
        def prepare(cls):                    # optional: before the program starts
            ...                              # e.g. files below cls.machine.drive_c

        def test_a_tag_click_filters_the_list(self):
            self.search("report", 41)        # sets the box's text, waits for 41 hits' title
            self.click_tag(1)
            self.wait_state("title", self.matches_title(40))
            self.check("the clicked tag is marked", self.tag(1).marked, True)

Every comparison goes through ``self.check(description, actual, expected)``: it prints
"ok: ..." or "FAILED: ...", counts one check for the summary line, and lets the test go on
(a failed check fails the test method at its end, through subTest). ``wait_state`` polls the
probe until a key has a value and raises naming what it waited for; ``expect_state`` is the
same as a counted check. Values of the program (colours, geometry, texts) come from
``self.defs`` (see Definitions) and ``self.text(name)``, never typed into a test.

The window is started once per class (setUpClass, waiting for the ready title of the
simulator build); with ``start_program = False`` the tests start it themselves through
``start_class_program``. Tests within a class share that window and, with load_tests as
above, run as a scenario in the order they are written; a test says in a comment what it
takes over from the one before.

Input: ``click``, ``move``, ``drag`` (client coordinates), ``type_text``, ``press``,
``click_tag``, ``click_header``, ``resize``; ``self.probe(...)`` runs the window probe
(tests/ui/probe/window_probe.cpp) in the class's prefix. Reading: ``state()``, ``tags()``,
``tip()`` (the hover tip's text), ``cursor()`` and ``system_cursor(name)`` (the pointer's
shape as the X server shows it). Screenshots: ``shot = self.shot("name")`` returns a Shot
whose ``pixel(x, y)`` (client coordinates, "r,g,b"), ``ink(x, y, w, h)`` and
``same_area(other, x, y, w, h)`` read it.

Environment: KX_UI_BUILD (default build/windows-x64: bin/kxsearch.exe, bin/kxsearch_sim.exe,
bin/window_probe.exe, bin/run_marker.exe), KX_UI_EXE (another kxsearch.exe to drive, such as
the one of a release zip), KX_UI_TIMEOUT (default 60 s, bounds every wait),
KX_UI_KEEP=1 keeps the work folder (prefixes, screenshots, program logs) and names it.
"""

import atexit
import ctypes
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from dataclasses import dataclass

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
WINE = "/usr/lib/wine/wine64"
WINESERVER = "/usr/lib/wine/wineserver"
TIMEOUT = float(os.environ.get("KX_UI_TIMEOUT", "60"))
KEEP = os.environ.get("KX_UI_KEEP", "0") == "1"
SCREEN = "1280x1024x24"
# Wine draws the program's faces with this one when Windows' own are not there.
FONT_REPLACEMENTS = ("Microsoft YaHei UI", "Microsoft YaHei")
REPLACEMENT_FONT = "WenQuanYi Micro Hei"


class HarnessError(RuntimeError):
    """The harness itself could not be set up: no display, no prefix, no build."""


class Results:
    """Counts checks across every module of the run, for the summary line."""

    passed = 0
    failed = 0

    @classmethod
    def record(cls, ok, text):
        if ok:
            cls.passed += 1
            print("  ok: " + text, flush=True)
        else:
            cls.failed += 1
            print("  FAILED: " + text, flush=True)


def log(text):
    print(text, flush=True)


def unescape(value):
    """The probe prints line feeds inside texts as \\n."""
    return value.replace("\\n", "\n")


def parse_lines(output):
    values = {}
    for line in output.splitlines():
        key, sep, value = line.partition("=")
        if sep and key not in values:
            values[key] = value
    return values


def wait_until(what, poll, timeout=None, interval=0.3):
    """Calls poll until it returns something true; returns that, or raises naming what."""
    deadline = time.monotonic() + (TIMEOUT if timeout is None else timeout)
    last = None
    while True:
        last = poll()
        if last:
            return last
        if time.monotonic() >= deadline:
            raise TimeoutError("timed out after %.0f s waiting for %s" % (
                TIMEOUT if timeout is None else timeout, what))
        time.sleep(interval)


class Definitions:
    """The program's own constants, as the probe prints them from the program's headers.

    Numbers are ints, colours "r,g,b" strings, texts with real line feeds. Keys as printed:
    list.top, list.header_bottom, list.row_height, list.wheel_step, list.column_widths (a
    list), colour.header ..., id.search_edit ..., tags.first_row_top ..., text.en.ReadyTitle,
    text.zh.ReadyTitle ..., categories.en.0 ..., about.en, product.web_address.
    """

    def __init__(self, values):
        self.values = values

    def number(self, key):
        return int(self.values[key])

    def colour(self, name):
        return self.values["colour." + name]

    def text(self, language, name):
        return unescape(self.values["text.%s.%s" % (language, name)])

    def category(self, language, k):
        return unescape(self.values["categories.%s.%d" % (language, k)])

    @property
    def column_widths(self):
        return [int(w) for w in self.values["list.column_widths"].split(",")]

    def column_left(self, column):
        return sum(self.column_widths[:column])

    def column_right(self, column):
        return sum(self.column_widths[: column + 1])

    def row_top(self, row, offset=0):
        """Client y of the top of row k when the list is scrolled by offset pixels."""
        return self.number("list.header_bottom") + row * self.number("list.row_height") - offset


class Run:
    """What one process of tests shares: display, template prefix, locale, fixture, probe."""

    def __init__(self):
        build = os.environ.get("KX_UI_BUILD", os.path.join(ROOT, "build", "windows-x64"))
        self.build = os.path.abspath(build)
        self.bin = os.path.join(self.build, "bin")
        self.programs = {name: os.path.join(self.bin, name) for name in (
            "kxsearch.exe", "kxsearch_sim.exe", "window_probe.exe", "run_marker.exe")}
        if os.environ.get("KX_UI_EXE"):
            self.programs["kxsearch.exe"] = os.path.abspath(os.environ["KX_UI_EXE"])
        for path in self.programs.values():
            if not os.path.isfile(path):
                raise HarnessError("%s not found" % path)
        self.work = tempfile.mkdtemp(prefix="kx-ui-")
        self.xvfb = None
        self.prefixes = []
        atexit.register(self.close)
        started = time.monotonic()
        self.display = self._start_display()
        self.locale = self._build_locale()
        self.fixture_mft = os.path.join(self.work, "fixture.mft")
        self.fixture_sidecar = os.path.join(self.work, "fixture.sidecar")
        subprocess.run([sys.executable, os.path.join(ROOT, "tests", "ui", "make_fixture_volume.py"),
                        self.fixture_mft, self.fixture_sidecar], check=True)
        self.template = os.path.join(self.work, "template-prefix")
        self._boot_template()
        self.defs = Definitions(parse_lines(self._probe_in_template("definitions")))
        log("== set-up (display %s) took %.0f s" % (self.display, time.monotonic() - started))

    def base_env(self, prefix, home):
        env = dict(os.environ)
        env.update(DISPLAY=self.display, WINEPREFIX=prefix, WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree=;mshtml=", HOME=home, LC_ALL="en_US.UTF-8")
        return env

    def _start_display(self):
        read_end, write_end = os.pipe()
        with open(os.path.join(self.work, "xvfb.log"), "w") as xvfb_log:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN, "-nolisten",
                 "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=xvfb_log)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            raise HarnessError("Xvfb did not start")
        return ":" + number

    def _build_locale(self):
        # Built for the run, so that no system locale needs installing: Wine takes the UI
        # language from the process's locale.
        locale = os.path.join(self.work, "locale")
        os.makedirs(locale)
        result = subprocess.run(["localedef", "-i", "zh_CN", "-f", "UTF-8",
                                 os.path.join(locale, "zh_CN.UTF-8")],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if result.returncode > 1:  # 1: warnings only, the locale is written
            raise HarnessError("cannot build the zh_CN.UTF-8 locale")
        return locale

    def _boot_template(self):
        home = self.template_home = os.path.join(self.work, "template-home")
        os.makedirs(home)
        env = self.base_env(self.template, home)
        subprocess.run([WINE, "wineboot", "-i"], env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
        for face in FONT_REPLACEMENTS:
            subprocess.run([WINE, "reg", "add", r"HKCU\Software\Wine\Fonts\Replacements",
                            "/v", face, "/t", "REG_SZ", "/d", REPLACEMENT_FONT, "/f"],
                           env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           check=True, timeout=60)
        self._template_env = env
        # The registry reaches the files only when the prefix's server ends.
        subprocess.run([WINESERVER, "-w"], env=env, timeout=120)

    def _probe_in_template(self, *args):
        out = subprocess.run([WINE, os.path.join(self.bin, "window_probe.exe")] + list(args),
                             env=self._template_env, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, timeout=60)
        subprocess.run([WINESERVER, "-w"], env=self._template_env, timeout=120)
        return out.stdout.decode("utf-8", "replace").replace("\r", "")

    def new_machine(self, name):
        return Machine(self, name)

    def close(self):
        for machine in list(self.prefixes):
            machine.shutdown()
        if self.xvfb is not None:
            self.xvfb.kill()
            self.xvfb.wait()
            self.xvfb = None
        if KEEP:
            log("window tests: work folder kept: " + self.work)
        else:
            shutil.rmtree(self.work, ignore_errors=True)


_run = None


def run():
    """The run of this process, set up on first use."""
    global _run
    if _run is None:
        _run = Run()
    return _run


def winpath(path):
    """A Linux path as Wine's Z: drive names it."""
    return "Z:" + path.replace("/", "\\")


class Machine:
    """A fresh copy of the template prefix with its own HOME: one per test class."""

    def __init__(self, owner, name):
        self.run = owner
        self.folder = os.path.join(owner.work, name)
        os.makedirs(self.folder)
        self.prefix = os.path.join(self.folder, "prefix")
        self.home = os.path.join(self.folder, "home")
        os.makedirs(self.home)
        self._copy_template()
        self.env = owner.base_env(self.prefix, self.home)
        self.drive_c = os.path.join(self.prefix, "drive_c")
        owner.prefixes.append(self)

    def _copy_template(self):
        # The system folders are only read: hard links save copying most of the 700 MB.
        shared = {"system32", "syswow64"}
        template = self.run.template
        os.makedirs(self.prefix)
        for entry in os.listdir(template):
            if entry != "drive_c":
                subprocess.run(["cp", "-a", os.path.join(template, entry), self.prefix],
                               check=True)
        drive_c = os.path.join(self.prefix, "drive_c")
        os.makedirs(drive_c)
        for entry in os.listdir(os.path.join(template, "drive_c")):
            source = os.path.join(template, "drive_c", entry)
            if entry == "windows":
                target = os.path.join(drive_c, "windows")
                os.makedirs(target)
                for part in os.listdir(source):
                    flags = "-al" if part in shared else "-a"
                    subprocess.run(["cp", flags, os.path.join(source, part), target], check=True)
            else:
                subprocess.run(["cp", "-a", source, drive_c], check=True)
        # wineboot linked Documents, Desktop and the like to the template's HOME: each copy's
        # links go to its own HOME, or every module would share one filters.ini.
        users = os.path.join(drive_c, "users")
        for user in os.listdir(users):
            folder = os.path.join(users, user)
            for entry in os.listdir(folder):
                link = os.path.join(folder, entry)
                if os.path.islink(link) and os.readlink(link) == self.run.template_home:
                    os.remove(link)
                    os.symlink(self.home, link)

    def make_file(self, *parts):
        """An empty file below this prefix's C:, its folders made as needed; returns its path."""
        path = os.path.join(self.drive_c, *parts)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        open(path, "w").close()
        return path

    @property
    def user_documents(self):
        # A link to this machine's HOME (see _copy_template), seen from inside the prefix.
        return os.path.join(self.drive_c, "users", os.environ.get("USER") or _user(), "Documents")

    def program_env(self, language="en", extra=None):
        env = dict(self.env)
        if language == "zh":
            env.update(LOCPATH=self.run.locale, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
        env.update(extra or {})
        return env

    def start(self, exe, env=None, args=(), log_name="program"):
        return Program(self, exe, env or self.env, args, log_name)

    def probe(self, *args, env=None, timeout=20):
        try:
            out = subprocess.run([WINE, os.path.join(self.run.bin, "window_probe.exe")]
                                 + [str(a) for a in args], env=env or self.env,
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                 stdin=subprocess.DEVNULL, timeout=timeout)
        except subprocess.TimeoutExpired:
            return ""
        return out.stdout.decode("utf-8", "replace").replace("\r", "")

    def shutdown(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)
        if self in self.run.prefixes:
            self.run.prefixes.remove(self)


def _user():
    import pwd
    return pwd.getpwuid(os.getuid()).pw_name


class Program:
    """kxsearch.exe or kxsearch_sim.exe running under Wine, with its output in a log."""

    def __init__(self, machine, exe, env, args, log_name):
        self.log_path = os.path.join(machine.folder, log_name + ".log")
        self._log = open(self.log_path, "w")
        self.process = subprocess.Popen([WINE, machine.run.programs[exe]] + list(args),
                                        env=env, stdin=subprocess.DEVNULL, stdout=self._log,
                                        stderr=subprocess.STDOUT)

    def wait_exit(self, timeout=None):
        """The exit code, or None when the program is still running after the timeout."""
        try:
            code = self.process.wait(timeout=TIMEOUT if timeout is None else timeout)
        except subprocess.TimeoutExpired:
            return None
        self._log.close()
        return code

    @property
    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running:
            self.process.kill()
            self.process.wait()
        self._log.close()

    def output(self):
        with open(self.log_path, errors="replace") as reader:
            return reader.read()


# ---- X input and screenshots.

def xdotool(*args, timeout=20):
    result = subprocess.run(["xdotool"] + [str(a) for a in args], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=timeout, env=_x_env())
    return result.stdout.decode("utf-8", "replace").strip()


def _x_env():
    env = dict(os.environ)
    env["DISPLAY"] = run().display
    return env


def find_window(pattern, timeout=None, visible_only=False):
    """The X window id whose name matches the regular expression, waiting for it; or None."""
    args = ["search"] + (["--onlyvisible"] if visible_only else []) + ["--name", pattern]

    def poll():
        found = xdotool(*args, timeout=5)
        return found.splitlines()[0] if found else None

    try:
        return wait_until("a window named %r" % pattern, poll, timeout)
    except TimeoutError:
        return None


@dataclass
class Tag:
    x: int
    y: int
    width: int
    height: int
    visible: bool
    marked: bool
    caption: str


class State(dict):
    """The probe's "state": title, visible, search, search_enabled, status, client, tags."""

    @property
    def client(self):
        return tuple(int(v) for v in self["client"].split(","))

    def tags(self):
        found = []
        for k in range(64):
            line = self.get("tag%d" % k)
            if line is None:
                break
            match = re.match(r"(-?\d+),(-?\d+),(\d+),(\d+) visible=(\d) marked=(\d) caption=(.*)$",
                             line)
            x, y, w, h, visible, marked, caption = match.groups()
            found.append(Tag(int(x), int(y), int(w), int(h), visible == "1", marked == "1",
                             unescape(caption)))
        return found


class Shot:
    """A screenshot of the whole display; coordinates are in the window's client area."""

    def __init__(self, path, origin):
        self.path = path
        self.origin = origin

    def _geometry(self, x, y, w, h):
        return "%dx%d+%d+%d" % (w, h, self.origin[0] + x, self.origin[1] + y)

    def pixel(self, x, y):
        return _convert(self.path, "-crop", self._geometry(x, y, 1, 1), "+repage", "-format",
                        "%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]",
                        "info:")

    def ink(self, x, y, w, h):
        """True when the rectangle holds something darker than mid grey (text)."""
        return _convert(self.path, "-crop", self._geometry(x, y, w, h), "+repage",
                        "-colorspace", "gray", "-format", "%[fx:minima<0.5?1:0]", "info:") == "1"

    def crop(self, x, y, w, h, name):
        out = os.path.join(os.path.dirname(self.path), name)
        _convert(self.path, "-crop", self._geometry(x, y, w, h), "+repage", out)
        return out

    def same_area(self, other, x, y, w, h, other_y=None):
        """True when both shots hold the same pixels there (other's area may start lower)."""
        a = self.crop(x, y, w, h, "crop-a.png")
        b = other.crop(x, y if other_y is None else other_y, w, h, "crop-b.png")
        result = subprocess.run(["compare", "-metric", "AE", a, b, "null:"],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        return result.stdout.decode().split(" ")[0].strip() == "0"


def _convert(*args):
    result = subprocess.run(["convert"] + list(args), stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=60)
    return result.stdout.decode().strip()


# ---- The base class of every window test.

class WindowTest(unittest.TestCase):
    """One Wine prefix and, unless start_program is False, one running window per class."""

    program = "sim"  # "sim": kxsearch_sim.exe on the fixture volume; "exe": kxsearch.exe
    language = "en"
    program_env = {}
    program_args = ()
    start_program = True
    ready_timeout = None

    @classmethod
    def setUpClass(cls):
        cls.harness = run()
        cls.defs = cls.harness.defs
        cls.machine = cls.harness.new_machine(cls.__module__.rsplit(".", 1)[-1] + "-" + cls.__name__)
        cls.trigger = os.path.join(cls.machine.folder, "journal-trigger")
        cls.process = None
        cls.origin = (0, 0, 0, 0)
        cls.shots = 0
        cls._started = time.monotonic()
        log("== %s.%s" % (cls.__module__.rsplit(".", 1)[-1], cls.__name__))
        cls.prepare()
        if cls.start_program:
            cls.start_class_program()

    @classmethod
    def tearDownClass(cls):
        if cls.process is not None and cls.process.running:
            cls.machine.probe("close")
            cls.process.wait_exit(10)
        if cls.process is not None:
            cls.process.kill()
        cls.machine.shutdown()
        log("  (%s: %.0f s)" % (cls.__name__, time.monotonic() - cls._started))

    @classmethod
    def prepare(cls):
        """Before the program starts: files in the prefix, a filters.ini, ..."""

    @classmethod
    def launch_env(cls, extra=None):
        env = {}
        if cls.program == "sim":
            env.update(KX_SIM_VOLUME=winpath(cls.harness.fixture_mft),
                       KX_SIM_SIDECAR=winpath(cls.harness.fixture_sidecar),
                       KX_SIM_TRIGGER=winpath(cls.trigger))
        env.update(cls.program_env)
        env.update(extra or {})
        return cls.machine.program_env(cls.language, env)

    @classmethod
    def start_class_program(cls, extra_env=None):
        exe = "kxsearch_sim.exe" if cls.program == "sim" else "kxsearch.exe"
        cls.process = cls.machine.start(exe, cls.launch_env(extra_env), cls.program_args)
        if cls.program == "sim":
            wait_until("the ready title", cls._ready_window, cls.ready_timeout)
            cls.main = find_window(title_pattern(cls.text("ReadyTitle")))
            cls.read_client_origin()

    @classmethod
    def _ready_window(cls):
        state = State(parse_lines(cls.machine.probe("state")))
        return state.get("title") == cls.text("ReadyTitle") and state.get("search_enabled") == "1"

    @classmethod
    def read_client_origin(cls):
        state = State(parse_lines(cls.machine.probe("state")))
        cls.origin = state.client
        return state

    # -- Texts of the program, in the class's language.

    @classmethod
    def text(cls, name):
        return cls.harness.defs.text(cls.language, name)

    def matches_title(self, count):
        return self.text("MatchesTitleFormat").replace("%lld", str(count))

    def status_text(self, category, count):
        return self.text("StatusFormat").replace("%ls", self.category(category)).replace(
            "%lld", str(count))

    def category(self, k):
        return self.defs.category(self.language, k)

    def caption(self, k, count):
        return "%s\n(%d)" % (self.category(k), count)

    # -- Checks.

    def check(self, description, actual, expected):
        ok = actual == expected
        text = description if ok else "%s: got %r, expected %r" % (description, actual, expected)
        Results.record(ok, text)
        with self.subTest(description):
            self.assertEqual(actual, expected, description)

    def expect_state(self, description, key, value, timeout=None):
        try:
            state = self.wait_state(key, value, timeout)
            self.check(description, state.get(key), value)
        except TimeoutError:
            self.check(description, self.state().get(key), value)

    # -- The probe.

    def probe(self, *args):
        return self.machine.probe(*args)

    def state(self):
        return State(parse_lines(self.probe("state")))

    def wait_state(self, key, value, timeout=None):
        """Polls until the state's key has the value; returns the state or raises naming it."""
        found = {}

        def poll():
            found["state"] = self.state()
            return found["state"] if found["state"].get(key) == value else None

        try:
            return wait_until("%s to be %r" % (key, value), poll, timeout)
        except TimeoutError as error:
            last = found.get("state", {}).get(key)
            raise TimeoutError("%s (last %r)" % (error, last)) from None

    def tags(self):
        return self.state().tags()

    def tip(self, settle=0.8):
        """The hover tip's text once the pointer has rested; "" when no tip is shown."""
        time.sleep(settle)
        values = parse_lines(self.probe("tip"))
        return unescape(values.get("tip_text", "")) if values.get("tip_visible") == "1" else ""

    def cursor(self, settle=0.5):
        """The pointer's shape where it is now (see cursor_image)."""
        time.sleep(settle)
        return cursor_image()

    def system_cursor(self, name):
        """How Wine draws a system cursor ("sizewe", "arrow"): the probe shows a window of its
        own with that cursor, and the pointer rests over it."""
        helper = subprocess.Popen([WINE, os.path.join(self.harness.bin, "window_probe.exe"),
                                   "front", "20000", name], env=self.machine.env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            if find_window("^Kestrix probe front$", visible_only=True) is None:
                return None
            # The probe's window is placed at 600,100 and is 300 by 200.
            xdotool("mousemove", 750, 200)
            return self.cursor(1)
        finally:
            helper.kill()
            helper.wait()

    def tag(self, k):
        return self.tags()[k]

    # -- Input.

    def client_point(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def move(self, x, y):
        xdotool("mousemove", *self.client_point(x, y))

    def click(self, x, y, button=1, settle=0.4):
        xdotool("mousemove", *self.client_point(x, y), "click", button)
        time.sleep(settle)

    def drag(self, x0, y, x1):
        xdotool("mousemove", *self.client_point(x0, y), "mousedown", 1)
        xdotool("mousemove", *self.client_point((x0 + x1) // 2, y))
        xdotool("mousemove", *self.client_point(x1, y), "mouseup", 1)

    def focus_search(self):
        # Keys go to the search box: the window gets the X focus, and a click in the box takes
        # the keyboard focus back from a tag button clicked before.
        xdotool("windowfocus", "--sync", self.main)
        edit_y = self.defs.number("tags.first_row_top") // 2
        xdotool("mousemove", *self.client_point(300, edit_y), "click", 1)
        xdotool("key", "End")

    def type_text(self, text):
        self.focus_search()
        xdotool("type", "--delay", 60, text)

    def press(self, key, repeat=1):
        self.focus_search()
        xdotool("key", "--repeat", repeat, "--delay", 40, key)

    def search(self, text, hits=None):
        """Sets the box's text as typing would and waits for the title of that many hits."""
        self.probe("settext", text)
        if hits is not None:
            return self.wait_state("title", self.matches_title(hits))
        return None

    def click_tag(self, k):
        tag = self.tag(k)
        self.click(tag.x + 20, tag.y + tag.height // 2)

    def click_header(self, column, settle=0.4):
        """A click on the title of a column, away from its edges."""
        middle = (self.defs.number("list.top") + self.defs.number("list.header_bottom")) // 2
        self.click(self.defs.column_left(column) + self.defs.column_widths[column] // 2, middle,
                   settle=settle)

    def resize(self, width, height):
        self.probe("resize", width, height)
        time.sleep(1)
        return self.read_client_origin()

    # -- Screenshots.

    def shot(self, name, settle=0.6):
        time.sleep(settle)
        path = os.path.join(self.machine.folder, name + ".png")
        subprocess.run(["import", "-window", "root", path], env=_x_env(), timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return Shot(path, self.origin)


def title_pattern(title):
    """A pattern for xdotool that finds a window by the ASCII start of its title: xdotool may
    read a Latin-1 WM_NAME, where a character such as the middle dot is one byte."""
    ascii_start = re.match(r"[\x20-\x7e]*", title).group(0)
    return "^" + ere_escape(ascii_start)


def ere_escape(text):
    """text as a POSIX extended regular expression matching it literally, for xdotool."""
    return re.sub(r"([.\[\]()*+?{}|^$\\])", r"\\\1", text)


def load_tests_in_order(loader, standard_tests, pattern):
    """A module's load_tests (``load_tests = driver.load_tests_in_order``): its classes'
    tests in the order they are written.

    A class drives one window through a scenario, so a test may build on the state the one
    above it left (a search typed, a row selected); unittest's default order is by name.
    """
    del loader, pattern
    classes = []
    for case in _flatten(standard_tests):
        if type(case) not in classes:
            classes.append(type(case))
    classes.sort(key=_first_line)
    suite = unittest.TestSuite()
    for cls in classes:
        names = [name for name, value in vars(cls).items()
                 if name.startswith("test") and callable(value)]
        names.sort(key=lambda name: vars(cls)[name].__code__.co_firstlineno)
        suite.addTest(unittest.TestSuite(cls(name) for name in names))
    return suite


def _flatten(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from _flatten(item)
        else:
            yield item


def _first_line(cls):
    lines = [value.__code__.co_firstlineno for value in vars(cls).values()
             if callable(value) and hasattr(value, "__code__")]
    return min(lines) if lines else 0


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort),
                ("yhot", ctypes.c_ushort), ("cursor_serial", ctypes.c_ulong),
                ("pixels", ctypes.POINTER(ctypes.c_ulong)), ("atom", ctypes.c_ulong),
                ("name", ctypes.c_char_p)]


def cursor_image():
    """The pointer's current shape on the display, as (width, height, hot spot, pixels).

    Wine's cursor handles belong to the process that loaded them, so the probe cannot tell
    one cursor from another; the X server's XFixes extension shows the image Wine set.
    """
    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(run().display.encode())
    if not display:
        raise HarnessError("cannot open display " + run().display)
    try:
        image = xfixes.XFixesGetCursorImage(display)
        if not image:
            return None
        shape = image.contents
        pixels = tuple(shape.pixels[k] & 0xFFFFFFFF for k in range(shape.width * shape.height))
        result = (shape.width, shape.height, shape.xhot, shape.yhot, pixels)
        x11.XFree(image)
        return result
    finally:
        x11.XCloseDisplay(display)
