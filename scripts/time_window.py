#!/usr/bin/env python3
"""Times the real window as a user meets it: kxsearch_sim.exe under Wine on a virtual display,
over a simulated volume of names mirrored from this machine, a word typed one key at a time.
For every key it prints how long the title took to show that key's count, and the resident
memory of the program. A measurement, not a test: nothing here passes or fails.

    time_window.py BUILD_DIR RECORDS WORD [WORD ...]

Each word is typed into a cleared box. Environment: KX_TIME_ROOT, the tree whose names are
mirrored (default /usr); KX_TIME_VOLUME, a volume file written before (by mirror_volume.py) to
use instead, so that several builds are timed on the same names; KX_SCAN_WORKERS, the number of
scan workers the program uses instead of its machine's cores; KX_TIME_SHOTS, a folder where a
screenshot of the display is saved after each word (WORD.png), to look at what the user saw;
KX_TIME_KEEP=1 keeps the work folder.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
# The display, Wine and the probe as the window tests start and read them.
sys.path.insert(0, os.path.dirname(HERE))
from tests.ui.harness import environment, program
from tests.ui.harness.waits import WaitTimeout, wait_until
from tests.ui.harness.xdisplay import XDisplay, ascii_start, ere_escape


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


def program_figures(name="kxsearch_sim.exe"):
    """(resident MiB, minor page faults so far) of the largest process running the program:
    Wine's launcher carries the program's name in its command line too."""
    largest = (0.0, 0)
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if name.encode() not in f.read():
                    continue
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


def type_word(x, window, titles, word):
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
    shot(x, word)
    return times


def shot(x, name):
    """A screenshot of the display in KX_TIME_SHOTS, when that is set."""
    if os.environ.get("KX_TIME_SHOTS"):
        os.makedirs(os.environ["KX_TIME_SHOTS"], exist_ok=True)
        time.sleep(1.0)
        x.screenshot(os.path.join(os.environ["KX_TIME_SHOTS"], name + ".png"))


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    build, records, words = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
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

    display = machine = program_process = None
    try:
        display = environment.Display(os.path.join(work, "xvfb.log"))
        x = XDisplay(display.name)
        machine = environment.Prefix(os.path.join(work, "machine"), display.name)
        machine.boot()
        titles = Titles(program.read_definitions(bin_folder, machine))
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
        print("keys: %d, median %.0f ms, slowest %.0f ms, peak resident %.0f MiB" %
              (len(times), times[len(times) // 2], times[-1], resident_mib()))
    except WaitTimeout as error:
        sys.exit("time_window: " + str(error))
    finally:
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
