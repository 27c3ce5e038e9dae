#!/usr/bin/env python3
"""Times the real window as a user meets it: kxsearch_sim.exe under Wine on a virtual display,
over a simulated volume of names mirrored from this machine, a word typed one key at a time.
For every key it prints how long the title took to show that key's count, and the resident
memory of the program. A measurement, not a test: nothing here passes or fails.

    time_window.py [--sort WORD:COLUMNS ...] [--rest] BUILD_DIR RECORDS [WORD ...]

Each word is typed into a cleared box. Then each --sort word is typed the same way and the
titles of its COLUMNS (name, size, modified, created, path; a column twice turns its order)
are clicked in the list's header one after another, as a user sorting the hits does: a line
for each click gives the ms from the press until the title showed the sorted list's count
again, the resident MiB 1 s later and the peak resident MiB from the press to then; e.g.
--sort e:name,name --sort con:name,size,size,modified,created,path.

With --rest the window is then hidden with ALT+Z, as a user puts it away, and shown again with
ALT+Z after 5 s: the resident MiB at hiding, 5 s later and once shown again tell how much
memory the program gives back at rest, and the words typed once more tell what that costs the
first keys.

Environment: KX_TIME_ROOT, the tree whose names are mirrored (default /usr); KX_TIME_VOLUME, a
volume file written before (by mirror_volume.py) to use instead, so that several builds are
timed on the same names; KX_SCAN_WORKERS, the number of scan workers the program uses instead
of its machine's cores; KX_TIME_SHOTS, a folder where a screenshot of the display is saved
after each word (WORD.png, WORD-shown.png once shown again) and each click on a column title
(WORD-N-COLUMN.png), to look at what the user saw; KX_TIME_KEEP=1 keeps the work folder.
"""
import ctypes
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
# The display, Wine and the probe as the window tests start and read them.
sys.path.insert(0, os.path.dirname(HERE))
from tests.ui.harness import environment, program
from tests.ui.harness.popups import FRONT_TITLE
from tests.ui.harness.waits import HarnessError, WaitTimeout, wait_until
from tests.ui.harness.xdisplay import XDisplay, ascii_start, ere_escape

# The list's columns as --sort names them, in the order of the header; the row number sorts
# nothing.
COLUMNS = ("#", "name", "size", "modified", "created", "path")


class Titles:
    """The window's English titles as the program defines them (read through the window
    tests' probe), as far as xdotool surely reads them: their ASCII starts."""

    def __init__(self, defs):
        def text(name):
            return ascii_start(defs.text("en", name))

        self.ready = text("ReadyTitle")
        before, _, after = defs.text("en", "MatchesTitleFormat").partition("%lld")
        self.matches = re.compile(re.escape(before) + "([0-9]+)" + re.escape(ascii_start(after)))
        # Any title the main window has from its start on.
        self.any = "^(%s)" % "|".join(ere_escape(text(name)) for name in (
            "InitializingTitle", "IndexingTitle", "ReadyTitle"))

    def counted(self, title):
        return self.matches.search(title) is not None or title.startswith(self.ready)


class TitleChanges:
    """The window's title each time the program sets it, as the X server reports it (Wine
    writes the window's _NET_WM_NAME on every SetWindowText), and clicks sent on the same
    connection. A poll of the title cannot tell that a sort has run when its progress text
    lasted a few ms; and xdotool sends a click some 10 ms after it starts, then waits 100 ms
    before it ends, so the click's time is taken here, when it goes to the server."""

    PROPERTY_CHANGE_MASK = 1 << 22
    PROPERTY_NOTIFY = 28

    def __init__(self, display_name, window):
        self.x11 = x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = xtst = ctypes.CDLL("libXtst.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        for function in (x11.XFlush, x11.XPending, x11.XConnectionNumber, x11.XFree,
                         x11.XCloseDisplay):
            function.argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_PropertyEvent)]
        x11.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
            ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                              ctypes.c_int, ctypes.c_ulong]
        xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                              ctypes.c_ulong]
        self.display = x11.XOpenDisplay(display_name.encode())
        if not self.display:
            raise HarnessError("cannot open display " + display_name)
        self.window = int(window)
        self.atom = x11.XInternAtom(self.display, b"_NET_WM_NAME", 0)
        x11.XSelectInput(self.display, self.window, self.PROPERTY_CHANGE_MASK)
        x11.XFlush(self.display)

    def close(self):
        self.x11.XCloseDisplay(self.display)

    def title(self):
        kind, unit, count, left = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_ulong(), \
            ctypes.c_ulong()
        data = ctypes.c_void_p()
        self.x11.XGetWindowProperty(self.display, self.window, self.atom, 0, 1024, 0, 0,
                                    kind, unit, count, left, data)
        if not data.value:
            return ""
        text = ctypes.string_at(data.value, count.value).decode("utf-8", "replace")
        self.x11.XFree(data)
        return text

    def move(self, point):
        self.xtst.XTestFakeMotionEvent(self.display, -1, point[0], point[1], 0)
        self.x11.XFlush(self.display)

    def click(self):
        """Clicks the left button where the pointer is, after forgetting the changes reported
        so far; returns the monotonic time of the press."""
        event = _PropertyEvent()
        while self.x11.XPending(self.display):
            self.x11.XNextEvent(self.display, event)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 1, 0)
        pressed = time.monotonic()
        self.x11.XFlush(self.display)
        self.xtst.XTestFakeButtonEvent(self.display, 1, 0, 0)
        self.x11.XFlush(self.display)
        return pressed

    def next(self, deadline):
        """(when it came, the title now) for the next change, or None at the monotonic
        deadline."""
        event = _PropertyEvent()
        while True:
            while self.x11.XPending(self.display):
                self.x11.XNextEvent(self.display, event)
                if event.type == self.PROPERTY_NOTIFY and event.atom == self.atom:
                    return time.monotonic(), self.title()
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([self.x11.XConnectionNumber(self.display)], [], [], left)


class _PropertyEvent(ctypes.Structure):
    # XPropertyEvent, padded to the size of an XEvent.
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("atom", ctypes.c_ulong), ("time", ctypes.c_ulong), ("state", ctypes.c_int),
                ("pad", ctypes.c_long * 16)]


def program_pids(name="kxsearch_sim.exe"):
    """The processes running the program: Wine's launcher carries its name in its command line
    too."""
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if name.encode() in f.read():
                    yield pid
        except OSError:
            continue


def program_figures():
    """(resident MiB, minor page faults so far) of the largest process running the program."""
    largest = (0.0, 0)
    for pid in program_pids():
        try:
            with open("/proc/%s/status" % pid) as f:
                resident = next(int(line.split()[1]) / 1024.0 for line in f
                                if line.startswith("VmRSS:"))
            with open("/proc/%s/stat" % pid) as f:
                # The fields after the command's closing parenthesis; minflt is the 10th field.
                faults = int(f.read().rpartition(")")[2].split()[7])
            largest = max(largest, (resident, faults))
        except (OSError, StopIteration, ValueError, IndexError):
            continue
    return largest


def resident_mib():
    return program_figures()[0]


def reset_peak():
    """Starts the program's peak resident size (VmHWM) anew from what it holds now."""
    for pid in program_pids():
        try:
            with open("/proc/%s/clear_refs" % pid, "w") as f:
                f.write("5")
        except OSError:
            continue


def peak_mib():
    """The program's peak resident MiB since the last reset_peak (or its start)."""
    peak = 0.0
    for pid in program_pids():
        try:
            with open("/proc/%s/status" % pid) as f:
                peak = max(peak, next(int(line.split()[1]) / 1024.0 for line in f
                                      if line.startswith("VmHWM:")))
        except (OSError, StopIteration, ValueError):
            continue
    return peak


def type_key(x, window, titles, key, before):
    """Presses one key; returns (milliseconds until the title changed, the new title)."""
    start = time.monotonic()
    x.xdotool("key", key)
    while True:
        title = x.xdotool("getwindowname", window)
        if title != before and titles.counted(title):
            return (time.monotonic() - start) * 1000.0, title
        if time.monotonic() - start > 120:
            return float("inf"), title


def focus_box(x, window):
    # Keys go to the search box: the window takes the X focus and a click lands in the box.
    x.xdotool("windowfocus", "--sync", window)
    geometry = x.geometry(window)
    x.click_at(geometry["X"] + 300, geometry["Y"] + 28)


def type_word(x, window, titles, word, shot_name=None):
    """Types word into the cleared box one key at a time, printing a line for each key;
    returns the keys' times."""
    # Clears the box. An emptied box keeps the last results on screen; Enter in it gives the
    # idle title, and only then can the first key's title be told from the last word's, which
    # may be the same count.
    x.xdotool("key", "--repeat", "40", "--delay", "30", "BackSpace")
    x.xdotool("key", "Return")
    try:
        wait_until("a title without a count", lambda: not titles.matches.search(
            x.xdotool("getwindowname", window)), 10, interval=0.05)
    except WaitTimeout:
        # A measurement goes on: the first key of this word may then read as slow.
        print("  (the cleared box still shows %r)" % x.xdotool("getwindowname", window))
    time.sleep(1.0)
    title = x.xdotool("getwindowname", window)
    times = []
    for length in range(1, len(word) + 1):
        before_mib, before_faults = program_figures()
        elapsed, title = type_key(x, window, titles, word[length - 1], title)
        times.append(elapsed)
        found = titles.matches.search(title)
        after_mib, after_faults = program_figures()
        print("%-12s %8.0f ms  %10s hits  resident %6.0f MiB (%+.0f)  %7d page faults" %
              (word[:length], elapsed, found.group(1) if found else "-", after_mib,
               after_mib - before_mib, after_faults - before_faults))
        time.sleep(0.3)
    shot(x, shot_name or word)
    return times


def click_column(changes, titles, point):
    """Clicks a column title; returns (milliseconds until the sorted list's title, that title).

    The matches title may be there already at the press, and a sort over a few hits is over
    before a poll would see its progress text. But a sort sets the title each time, first to
    its progress and last to the sorted list's matches, and nothing else sets it meanwhile: so
    the title, read as each change comes, shows the matches again only once the sort is over,
    whether or not its progress was seen."""
    changes.move(point)
    time.sleep(0.3)
    start = changes.click()
    while True:
        change = changes.next(start + 600)
        if change is None:
            return float("inf"), changes.title()
        if titles.matches.search(change[1]):
            return (change[0] - start) * 1000.0, change[1]


def time_sorts(x, changes, defs, origin, titles, word, columns):
    """Clicks the columns' titles in turn over word's hits, printing a line for each click:
    its time, the resident MiB 1 s after it and the peak resident MiB from the click on."""
    found = titles.matches.search(changes.title())
    if not found or found.group(1) == "0":
        print("%-12s no hits to sort" % word)
        return
    middle = origin[1] + (defs.number("list.top") + defs.number("list.header_bottom")) // 2
    peaks = []
    for number, name in enumerate(columns, 1):
        column = COLUMNS.index(name)
        point = (origin[0] + defs.column_left(column) + defs.column_widths[column] // 2, middle)
        reset_peak()
        elapsed, title = click_column(changes, titles, point)
        time.sleep(1.0)
        peaks.append(peak_mib())
        found = titles.matches.search(title)
        print("%-12s %-9s click %d %8.0f ms  %10s hits  resident %6.0f MiB  peak %6.0f MiB" %
              (word, name, number, elapsed, found.group(1) if found else "-", resident_mib(),
               peaks[-1]))
        shot(x, "%s-%d-%s" % (word, number, name))
    print("%-12s sorts: %d, peak resident %.0f MiB" % (word, len(peaks), max(peaks)))


def shot(x, name):
    """A screenshot of the display in KX_TIME_SHOTS, when that is set."""
    if os.environ.get("KX_TIME_SHOTS"):
        os.makedirs(os.environ["KX_TIME_SHOTS"], exist_ok=True)
        time.sleep(1.0)
        x.screenshot(os.path.join(os.environ["KX_TIME_SHOTS"], name + ".png"))


def rest(x, probe, window):
    """Hides the window with ALT+Z, waits 5 s and shows it with ALT+Z, printing the resident
    MiB at each step."""
    def visible(value):
        wait_until("the window's visible to be " + value,
                   lambda: probe.values("state").get("visible") == value, 60, interval=0.05)

    x.xdotool("windowfocus", "--sync", window)
    x.xdotool("key", "alt+z")
    visible("0")
    hidden = resident_mib()
    time.sleep(5.0)
    rested = resident_mib()
    # Wine sees ALT+Z only when X gives the key to one of its windows, and the hidden window
    # takes none: the key goes to another program's window, as on a desktop.
    front = probe.start("front", "60000")
    try:
        x.xdotool("windowfocus", "--sync", x.find_window(FRONT_TITLE, 60))
        x.xdotool("key", "alt+z")
        visible("1")
    finally:
        front.kill()
        front.wait()
    time.sleep(1.0)
    print("hidden: resident %.0f MiB at once, %.0f MiB after 5 s; shown again: %.0f MiB" %
          (hidden, rested, resident_mib()))


def sort_run(text):
    """(word, [column, ...]) from --sort's WORD:COLUMNS."""
    word, _, names = text.partition(":")
    columns = names.split(",")
    if not word or any(name not in COLUMNS[1:] for name in columns):
        sys.exit("time_window: --sort takes WORD:COLUMNS with columns of %s, not %r" %
                 (",".join(COLUMNS[1:]), text))
    return word, columns


def main():
    args = sys.argv[1:]
    sorts = []
    resting = False
    while args and (args[0] == "--rest" or args[0] == "--sort" and len(args) > 1):
        if args[0] == "--rest":
            resting = True
            args = args[1:]
        else:
            sorts.append(sort_run(args[1]))
            args = args[2:]
    if len(args) < 2 + (not sorts) or args[0].startswith("--"):
        sys.exit(__doc__)
    build, records, words = args[0], int(args[1]), args[2:]
    bin_folder = os.path.join(build, "bin")
    for name in ("kxsearch_sim.exe", program.PROBE):
        if not os.path.exists(os.path.join(bin_folder, name)):
            sys.exit("time_window: %s is not built in %s" % (name, bin_folder))
    work = tempfile.mkdtemp(prefix="kx-time-")
    volume = os.environ.get("KX_TIME_VOLUME") or os.path.join(work, "volume.mft")
    if not os.environ.get("KX_TIME_VOLUME"):
        started = time.monotonic()
        subprocess.run([sys.executable, os.path.join(HERE, "mirror_volume.py"), volume,
                        str(records), os.environ.get("KX_TIME_ROOT", "/usr")], check=True)
        print("volume of %d records written in %.0f s" % (records, time.monotonic() - started))
    environment_of_program = dict(KX_SIM_VOLUME=environment.winpath(volume))
    if os.environ.get("KX_SCAN_WORKERS"):
        environment_of_program["KX_SCAN_WORKERS"] = os.environ["KX_SCAN_WORKERS"]

    display = machine = program_process = changes = None
    try:
        display = environment.Display(os.path.join(work, "xvfb.log"))
        x = XDisplay(display.name)
        machine = environment.Prefix(os.path.join(work, "machine"), display.name)
        machine.boot()
        defs = program.read_definitions(bin_folder, machine)
        titles = Titles(defs)
        started = time.monotonic()
        program_process = program.Program(
            os.path.join(bin_folder, "kxsearch_sim.exe"),
            dict(machine.env, **environment_of_program), (),
            os.path.join(work, "program.log"))
        # A volume file the simulator refuses ends it with a box and a line saying why.
        window = wait_until("the main window", lambda: x.search(titles.any), 120,
                            interval=0.01, seen=lambda: "%s; %s; it said: %r" % (
                                program_process.describe(), x.window_names(),
                                program_process.output().strip()))[0]
        wait_until("the index", lambda: x.xdotool("getwindowname", window).startswith(
            titles.ready), 1800, interval=0.01)
        print("index ready %.1f s after start, resident %.0f MiB" %
              (time.monotonic() - started, resident_mib()))
        focus_box(x, window)
        # The simulator indexes every path on the first attribute query, which the first paint
        # makes: a cost of the simulator alone (Windows answers from the file system), paid
        # here before anything is timed.
        x.xdotool("key", "x")
        time.sleep(2.0 + records / 500000.0)
        times = []
        for word in words:
            times += type_word(x, window, titles, word)
        times.sort()
        if times:
            print("keys: %d, median %.0f ms, slowest %.0f ms, peak resident %.0f MiB" %
                  (len(times), times[len(times) // 2], times[-1], resident_mib()))
        probe = program.Probe(bin_folder, machine)
        if sorts:
            changes = TitleChanges(display.name, window)
            origin = program.State(probe.values("state")).client
        for word, columns in sorts:
            focus_box(x, window)
            type_word(x, window, titles, word)
            time.sleep(1.0)
            time_sorts(x, changes, defs, origin, titles, word, columns)
        if resting:
            rest(x, probe, window)
            focus_box(x, window)
            again = words or [word for word, _ in sorts]
            first = [type_word(x, window, titles, word, word + "-shown")[0] for word in again]
            print("first keys after showing again: " + ", ".join(
                "%s %.0f ms" % (word, elapsed) for word, elapsed in zip(again, first)))
    except WaitTimeout as error:
        sys.exit("time_window: " + str(error))
    finally:
        if changes:
            changes.close()
        if program_process:
            program_process.kill()
        if machine:
            machine.shutdown()
        if display:
            display.close()
        if os.environ.get("KX_TIME_KEEP") != "1":
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
