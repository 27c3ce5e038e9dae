"""The base of every window test: the run that a process of tests shares, one prefix and one
window per test class, counted checks, and the order of a class's tests.

One run (one Python process) starts one Xvfb display, boots one template Wine prefix (with the
font replacements the Chinese texts need), builds a zh_CN.UTF-8 locale, writes the fixture
volume and reads the program's own definitions (geometry, colours, control ids, texts) from the
probe. Each test class then gets a fresh copy of the template prefix and a HOME of its own,
so that no module depends on what another one left behind; each test gets a folder of its own
in the class's for its screenshots and the crops read from them.

The parts: environment (display, Wine, locale, prefixes), program (the program's process, the
probe and what it prints), xdisplay (xdotool, windows by name, screenshots, the pointer's
image), kestrix_window (texts, state and input of this window), popups (tray, menus, boxes,
other programs' windows), waits (polling that fails at its cause).

Writing a test module
---------------------
One module per behaviour area, tests/ui/harness/test_AREA.py, runnable alone with
``python3 -m tests.ui.harness.run test_AREA`` (or one class, ``test_AREA.Class``, or one of its
tests, ``test_AREA.Class.test_name``). Open it with a docstring saying why the area matters.

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
(a failed check fails the test method at its end, through subTest). Every wait raises
waits.WaitTimeout naming what it waited for and what it saw last; ``wait_state`` polls the
probe until a key has a value. ``expect_state`` and ``expect(description, wait)`` are the same
as counted checks: a wait that runs out is a FAILED check carrying its message, and the test
goes on. Values of the program (colours, geometry, texts) come from ``self.defs``
(program.Definitions) and ``self.text(name)``, never typed into a test.

The window is started once per class (setUpClass, waiting for the ready title of the
simulator build), and again before a test when one before it closed it; with
``start_program = False`` the tests start it themselves through ``start_class_program`` or
``launch``. Tests within a class share that window and run in the order they are written, but
none relies on another: each sets up what it checks, through ``start_over(text, hits)`` (a new
list: the box holding text, every category shown, unsorted, nothing selected),
``fresh_window()`` (the window as it starts, restarted unless the test is the first on it) or
``restart_program()``, and a test that changes what others rely on (a file deleted, a
filters.ini reset) puts it back, with addCleanup. After each test the class checks that it
left no window, menu or box but the main window, its hover tip and Wine's tray, and no process
it started still running: a test that did fails, naming what it left, and that is ended so
that the next test starts clean.

What a test reaches: ``self.probe(...)`` runs the window probe (tests/ui/probe/window_probe.cpp)
in the class's prefix; ``self.x`` is the display (xdotool, find_window, search); the input,
reading and screenshot helpers are kestrix_window's: ``click``, ``move``, ``drag``,
``type_text``, ``press``, ``click_tag``, ``click_header``, ``resize``; ``state()``, ``tags()``,
``tip()``, ``cursor()``, ``system_cursor(name)``; ``shot = self.shot("name")`` returns a Shot
whose ``pixel(x, y)`` (client coordinates, "r,g,b"), ``ink(x, y, w, h)`` and
``same_area(other, x, y, w, h)`` read it.

Environment: KX_UI_BUILD (default build/windows-x64: bin/kxsearch.exe, bin/kxsearch_sim.exe,
bin/window_probe.exe, bin/run_marker.exe; build/windows-x86 for the 32-bit programs, which
run with Wine's 32-bit loader), KX_UI_EXE (another kxsearch.exe to drive, such as
the one of a release zip), KX_UI_TIMEOUT (default 60 s, bounds every wait),
KX_UI_KEEP=1 keeps the work folder (prefixes, screenshots, program logs) and names it.
"""

import atexit
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from tests.ui.harness import environment, program
from tests.ui.harness.kestrix_window import KestrixWindow
from tests.ui.harness.waits import HarnessError, WaitTimeout, log
from tests.ui.harness.xdisplay import XDisplay, title_pattern

KEEP = os.environ.get("KX_UI_KEEP", "0") == "1"
# Wine draws the program's faces with this one when Windows' own are not there.
FONT_REPLACEMENTS = {"Microsoft YaHei UI": "WenQuanYi Micro Hei",
                     "Microsoft YaHei": "WenQuanYi Micro Hei"}
PROGRAMS = ("kxsearch.exe", "kxsearch_sim.exe", program.PROBE, "run_marker.exe")


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


class Run:
    """What one process of tests shares: display, template prefix, locale, fixture, the
    program's definitions."""

    def __init__(self):
        build = os.environ.get("KX_UI_BUILD",
                               os.path.join(environment.ROOT, "build", "windows-x64"))
        self.bin = os.path.join(os.path.abspath(build), "bin")
        self.programs = {name: os.path.join(self.bin, name) for name in PROGRAMS}
        if os.environ.get("KX_UI_EXE"):
            self.programs["kxsearch.exe"] = os.path.abspath(os.environ["KX_UI_EXE"])
        for path in self.programs.values():
            if not os.path.isfile(path):
                raise HarnessError("%s not found" % path)
        if environment.pe_machine(self.programs["kxsearch.exe"]) == "i386":
            environment.require_32_bit()
        self.work = tempfile.mkdtemp(prefix="kx-ui-")
        self.display = None
        self.prefixes = []
        atexit.register(self.close)
        started = time.monotonic()
        self.display = environment.Display(os.path.join(self.work, "xvfb.log"))
        self.x = XDisplay(self.display.name)
        self.locale = environment.build_locale(os.path.join(self.work, "locale"))
        self.fixture_mft = os.path.join(self.work, "fixture.mft")
        self.fixture_sidecar = os.path.join(self.work, "fixture.sidecar")
        subprocess.run([sys.executable, os.path.join(environment.ROOT, "tests", "ui",
                                                     "make_fixture_volume.py"),
                        self.fixture_mft, self.fixture_sidecar], check=True)
        self.template = environment.Prefix(os.path.join(self.work, "template"),
                                           self.display.name)
        self.template.boot(FONT_REPLACEMENTS)
        self.defs = program.read_definitions(self.bin, self.template)
        log("== set-up (display %s) took %.0f s" % (self.display.name,
                                                    time.monotonic() - started))

    def new_machine(self, name):
        """A fresh copy of the template prefix with its own HOME, shut down with the run."""
        machine = environment.Prefix(os.path.join(self.work, name), self.display.name)
        self.prefixes.append(machine.copy_of(self.template))
        return machine

    def close(self):
        for machine in self.prefixes:
            machine.shutdown()
        self.prefixes = []
        if self.display is not None:
            self.display.close()
            self.display = None
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


class WindowTest(KestrixWindow, unittest.TestCase):
    """One Wine prefix and, unless start_program is False, one running window per class."""

    program = "sim"  # "sim": kxsearch_sim.exe on the fixture volume; "exe": kxsearch.exe
    language = "en"
    program_env = {}
    program_args = ()
    start_program = True
    ready_timeout = None
    tests_on_window = 0

    @classmethod
    def setUpClass(cls):
        cls.harness = run()
        cls.defs = cls.harness.defs
        cls.x = cls.harness.x
        name = "%s-%s" % (cls.__module__.rsplit(".", 1)[-1], cls.__name__)
        cls.machine = cls.harness.new_machine(name)
        cls.probe = program.Probe(cls.harness.bin, cls.machine)
        cls.trigger = os.path.join(cls.machine.folder, "journal-trigger")
        cls.process = None
        cls.main = None
        cls.origin = (0, 0, 0, 0)
        cls._started = time.monotonic()
        log("== " + name.replace("-", "."))
        try:
            cls.prepare()
            if cls.start_program:
                cls.start_class_program()
        except BaseException:
            # unittest skips tearDownClass after a failed setUpClass: a window left running
            # would answer the next class's searches for its title.
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.stop_class_program()
        cls.machine.shutdown()
        log("  (%s: %.0f s)" % (cls.__name__, time.monotonic() - cls._started))

    def setUp(self):
        cls = type(self)
        self.test_folder = os.path.join(self.machine.folder, self._testMethodName)
        os.makedirs(self.test_folder, exist_ok=True)
        # A test before this one closed the window (or it died): this one gets a new one.
        if cls.start_program and (cls.process is None or not cls.process.running):
            cls.start_class_program()
        cls.tests_on_window += 1
        self.processes_before = set(environment.windows_processes(cls.machine.prefix))

    def tearDown(self):
        left = self.left_behind()
        if not left:
            return
        text = "%s left behind: %s" % (self._testMethodName, "; ".join(left))
        Results.record(False, text)
        self.clear_what_was_left()
        raise self.failureException(text)

    # -- What a test leaves behind.

    # Visible top-level windows that outlast a test: the program's main window and its hover
    # tip, and Wine's tray. Any other (a box, a menu, a folder window, a console) would take
    # the next test's clicks or keys.
    LASTING_WINDOWS = ("KESTRIXWND|", "tooltips_class32|", "__winex11_standalone_tray|")

    def visible_windows(self):
        return [line[len("window="):] for line in self.probe("windows").splitlines()
                if line.startswith("window=")]

    def started_processes(self):
        """Processes of the prefix started during the test and still running, but the window
        of a class that keeps one for its tests."""
        own = None
        if self.start_program and self.process is not None:
            own = self.process.process.pid
        return {pid: command for pid, command in
                environment.windows_processes(self.machine.prefix).items()
                if pid not in self.processes_before and pid != own}

    def left_behind(self, grace=5):
        """Windows and processes the test left, once they had grace seconds to go."""
        def leftovers():
            windows = [w for w in self.visible_windows()
                       if not w.startswith(self.LASTING_WINDOWS)]
            processes = self.started_processes()
            return (["window %r" % w for w in windows] +
                    ["process %d %r" % item for item in sorted(processes.items())])

        deadline = time.monotonic() + grace
        while True:
            left = leftovers()
            if not left or time.monotonic() >= deadline:
                return left
            time.sleep(0.5)

    def clear_what_was_left(self):
        """Ends what a test left, so that the next test starts clean: the processes it started
        and, when a window of the program's own was left open, the program too (the next test
        starts it again)."""
        for pid in self.started_processes():
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        if self.process is not None and any(not w.startswith(self.LASTING_WINDOWS)
                                            for w in self.visible_windows()):
            self.process.kill()
            self.machine.shutdown()

    @classmethod
    def prepare(cls):
        """Before the program starts: files in the prefix, a filters.ini, ..."""

    @classmethod
    def language_env(cls, extra=None):
        return cls.machine.language_env(cls.language, cls.harness.locale, extra)

    @classmethod
    def launch_env(cls, extra=None):
        env = {}
        if cls.program == "sim":
            env.update(KX_SIM_VOLUME=environment.winpath(cls.harness.fixture_mft),
                       KX_SIM_SIDECAR=environment.winpath(cls.harness.fixture_sidecar),
                       KX_SIM_TRIGGER=environment.winpath(cls.trigger))
        env.update(cls.program_env)
        env.update(extra or {})
        return cls.language_env(env)

    @classmethod
    def launch(cls, exe, env, args=(), log_name="program"):
        """Starts a program of the build in the class's prefix; its output goes to a log."""
        return program.Program(cls.harness.programs[exe], env, args,
                               os.path.join(cls.machine.folder, log_name + ".log"))

    @classmethod
    def start_class_program(cls, extra_env=None):
        exe = "kxsearch_sim.exe" if cls.program == "sim" else "kxsearch.exe"
        cls.starts = getattr(cls, "starts", 0) + 1
        cls.tests_on_window = 0
        cls.process = cls.launch(exe, cls.launch_env(extra_env), cls.program_args,
                                 log_name="program" if cls.starts == 1 else
                                 "program-%d" % cls.starts)
        if cls.program == "sim":
            cls.wait_state("title", cls.text("ReadyTitle"), cls.ready_timeout)
            cls.wait_state("search_enabled", "1", cls.ready_timeout)
            cls.main = cls.x.find_window(title_pattern(cls.text("ReadyTitle")))
            cls.read_client_origin()

    @classmethod
    def stop_class_program(cls):
        if cls.process is not None and cls.process.running:
            cls.probe("close")
            cls.process.wait_exit(10)
        if cls.process is not None:
            cls.process.kill()

    @classmethod
    def restart_program(cls):
        """The class's program started anew: a new index of the fixture volume (and none of
        the journal trigger's file), no search, nothing selected; the files on the machine stay
        as they are."""
        cls.stop_class_program()
        if os.path.exists(cls.trigger):
            os.remove(cls.trigger)
        cls.start_class_program()
        cls.tests_on_window = 1

    def put_back(self, path):
        """A file the test deleted made again, and the window started anew, so that the
        simulator (which follows only files there when it starts) lists and watches it."""
        open(path, "w").close()
        self.restart_program()

    def fresh_window(self):
        """The window as it starts, for a test that checks what a user sees before anything
        else: restarted unless this test is the first on it."""
        if self.tests_on_window > 1:
            self.restart_program()

    # -- Checks.

    def check(self, description, actual, expected):
        ok = actual == expected
        text = description if ok else "%s: got %r, expected %r" % (description, actual, expected)
        Results.record(ok, text)
        with self.subTest(description):
            self.assertEqual(actual, expected, description)

    def expect(self, description, wait):
        """A counted check that wait() ends with something true; returns that. A wait that
        runs out is a FAILED check with the wait's message, and None."""
        try:
            value = wait()
        except WaitTimeout as error:
            Results.record(False, "%s: %s" % (description, error))
            with self.subTest(description):
                self.fail("%s: %s" % (description, error))
            return None
        self.check(description, bool(value), True)
        return value

    def expect_state(self, description, key, value, timeout=None):
        try:
            state = self.wait_state(key, value, timeout)
            self.check(description, state.get(key), value)
        except WaitTimeout:
            self.check(description, self.state().get(key), value)


def load_tests_in_order(loader, standard_tests, pattern):
    """A module's load_tests (``load_tests = driver.load_tests_in_order``): its classes'
    tests in the order they are written.

    A class drives one window through a scenario, so a test may build on the state the one
    above it left (a search typed, a row selected); unittest's default order is by name.
    """
    del loader, pattern
    classes = []
    for case in flatten(standard_tests):
        if type(case) not in classes:
            classes.append(type(case))
    classes.sort(key=_first_line)
    suite = unittest.TestSuite()
    for cls in classes:
        suite.addTest(unittest.TestSuite(cls(name) for name in tests_in_order(cls)))
    return suite


def tests_in_order(cls):
    """The names of a class's tests in the order they are written."""
    names = unittest.TestLoader().getTestCaseNames(cls)
    return sorted(names, key=lambda name: getattr(cls, name).__code__.co_firstlineno)


def flatten(suite):
    """The tests of a suite, in its order."""
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from flatten(item)
        else:
            yield item


def _first_line(cls):
    lines = [value.__code__.co_firstlineno for value in vars(cls).values()
             if callable(value) and hasattr(value, "__code__")]
    return min(lines) if lines else 0
