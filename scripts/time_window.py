#!/usr/bin/env python3
"""Times the real window as a user meets it: kxsearch_sim.exe under Wine on a virtual display,
over a simulated volume of names mirrored from this machine, a word typed one key at a time.
For every key it prints how long the title took to show that key's count, and the resident
memory of the program. A measurement, not a test: nothing here passes or fails.

    time_window.py BUILD_DIR RECORDS WORD [WORD ...]

Each word is typed into a cleared box. Environment: KX_TIME_ROOT, the tree whose names are
mirrored (default /usr); KX_TIME_KEEP=1 keeps the work folder.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

WINE = "/usr/lib/wine/wine64"
HERE = os.path.dirname(os.path.abspath(__file__))
MATCHES = re.compile(r"Kestrix - ([0-9]+) matches")


def run(*args, **kwargs):
    return subprocess.run(args, check=False, capture_output=True, text=True, **kwargs)


def window_name(window):
    return run("xdotool", "getwindowname", window).stdout.strip()


def resident_mib(name="kxsearch_sim.exe"):
    """The largest resident size among processes running the program: Wine's launcher carries
    the program's name in its command line too."""
    largest = 0.0
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if name.encode() not in f.read():
                    continue
            with open("/proc/%s/status" % pid) as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        largest = max(largest, int(line.split()[1]) / 1024.0)
        except OSError:
            continue
    return largest


def wait_for(what, test, seconds, describe=None):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.01)
    if describe:
        print(describe())
    sys.exit("time_window: gave up waiting for %s" % what)


def describe_start(process):
    """What a run that never saw the main window had instead: whether the program still runs,
    and the titles of the windows on the display."""
    titles = [window_name(w) for w in run("xdotool", "search", "--name", ".").stdout.split()]
    state = "running" if process.poll() is None else "exited with %s" % process.returncode
    return "time_window: the program is %s; windows: %s" % (
        state, ", ".join(repr(t) for t in titles if t) or "none")


def type_key(window, key, before):
    """Presses one key; returns (milliseconds until the title changed, the new title)."""
    start = time.monotonic()
    run("xdotool", "key", key)
    while True:
        title = window_name(window)
        if title != before and (MATCHES.search(title) or "Ready" in title):
            return (time.monotonic() - start) * 1000.0, title
        if time.monotonic() - start > 120:
            return float("inf"), title


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    build, records, words = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    program = os.path.join(build, "bin", "kxsearch_sim.exe")
    if not os.path.exists(program):
        sys.exit("time_window: %s is not built" % program)
    work = tempfile.mkdtemp(prefix="kx-time-")
    volume = os.path.join(work, "volume.mft")
    started = time.monotonic()
    subprocess.run([sys.executable, os.path.join(HERE, "mirror_volume.py"), volume, str(records),
                    os.environ.get("KX_TIME_ROOT", "/usr")], check=True)
    print("volume of %d records written in %.0f s" % (records, time.monotonic() - started))

    # A display number the server picks itself: a fixed one may be taken, or left locked by
    # an earlier run.
    read_end, write_end = os.pipe()
    display = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                "1280x1024x24", "-nolisten", "tcp"], stderr=subprocess.DEVNULL,
                               pass_fds=(write_end,))
    os.close(write_end)
    with os.fdopen(read_end) as pipe:
        number = pipe.readline().strip()
    if not number:
        sys.exit("time_window: Xvfb did not start")
    env = dict(os.environ, DISPLAY=":" + number, WINEPREFIX=os.path.join(work, "prefix"),
               WINEDEBUG="-all", LC_ALL="en_US.UTF-8")
    os.environ.update(DISPLAY=":" + number)
    program_process = None
    try:
        time.sleep(1)
        subprocess.run([WINE, "wineboot", "-i"], env=env, capture_output=True, timeout=180)
        started = time.monotonic()
        program_process = subprocess.Popen(
            [WINE, program], env=dict(env, KX_SIM_VOLUME="Z:" + volume.replace("/", "\\")),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = wait_for("the main window", lambda: run(
            "xdotool", "search", "--name", "^(Kestrix|Building|Initializing)").stdout.split()
            [:1], 120, lambda: describe_start(program_process))[0]
        wait_for("the index", lambda: "Ready" in window_name(window), 1800)
        print("index ready %.1f s after start, resident %.0f MiB" %
              (time.monotonic() - started, resident_mib()))
        # Keys go to the search box: the window takes the X focus and a click lands in the box.
        run("xdotool", "windowfocus", "--sync", window)
        geometry = dict(line.split("=") for line in
                        run("xdotool", "getwindowgeometry", "--shell", window).stdout.split())
        run("xdotool", "mousemove", str(int(geometry["X"]) + 300), str(int(geometry["Y"]) + 28),
            "click", "1")
        # The simulator indexes every path on the first attribute query, which the first paint
        # makes: a cost of the simulator alone (Windows answers from the file system), paid
        # here before anything is timed.
        run("xdotool", "key", "x")
        time.sleep(2.0 + records / 500000.0)
        times = []
        for word in words:
            title = window_name(window)
            # Clears the box. An emptied box keeps the last results on screen; Enter in it gives
            # the idle title, and only then can the first key's title be told from the last
            # word's, which may be the same count.
            run("xdotool", "key", "--repeat", "40", "--delay", "30", "BackSpace")
            run("xdotool", "key", "Return")
            deadline = time.monotonic() + 10
            while "matches" in window_name(window) and time.monotonic() < deadline:
                time.sleep(0.05)
            if "matches" in window_name(window):
                print("  (the cleared box still shows %r)" % window_name(window))
            time.sleep(1.0)
            title = window_name(window)
            for length in range(1, len(word) + 1):
                before_mib = resident_mib()
                elapsed, title = type_key(window, word[length - 1], title)
                times.append(elapsed)
                found = MATCHES.search(title)
                print("%-12s %8.0f ms  %10s hits  resident %6.0f MiB (%+.0f)" %
                      (word[:length], elapsed, found.group(1) if found else "-", resident_mib(),
                       resident_mib() - before_mib))
                time.sleep(0.3)
        times.sort()
        print("keys: %d, median %.0f ms, slowest %.0f ms, peak resident %.0f MiB" %
              (len(times), times[len(times) // 2], times[-1], resident_mib()))
    finally:
        if program_process:
            program_process.kill()
        run(os.path.join(os.path.dirname(WINE), "wineserver"), "-k", env=env)
        display.kill()
        if os.environ.get("KX_TIME_KEEP") != "1":
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
