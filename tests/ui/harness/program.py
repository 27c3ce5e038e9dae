"""The program under Wine and the probe that looks into its window.

The probe (tests/ui/probe/window_probe.cpp) is a console program run in the same prefix: each
run prints KEY=VALUE lines (texts with line feeds as \\n) and ends. Asked about the main
window, a box or a menu that is not there, it says "no window", "no box" or "no menu" and
exits with 1: an answer while polling, not a failure. A probe that does not end in time is
one: Wine or the window hangs, and a poll must not read that as "nothing there yet".
"""

import os
import re
import subprocess
from dataclasses import dataclass

from tests.ui.harness import environment
from tests.ui.harness.waits import HarnessError, TIMEOUT

PROBE = "window_probe.exe"


def unescape(value):
    """The probe prints line feeds inside texts as \\n."""
    return value.replace("\\n", "\n")


def as_printed(text):
    """A text as the probe prints it: line feeds as "\\n"."""
    return text.replace("\n", "\\n")


def parse_lines(output):
    values = {}
    for line in output.splitlines():
        key, sep, value = line.partition("=")
        if sep and key not in values:
            values[key] = value
    return values


class ProbeTimeout(HarnessError):
    """The probe did not end in time."""


class Probe:
    """window_probe.exe of a build, run in one prefix."""

    def __init__(self, bin_folder, prefix):
        self.path = os.path.join(bin_folder, PROBE)
        self.prefix = prefix
        self.last = ""  # the last answer, for what a wait that ran out saw

    def __call__(self, *args, env=None, timeout=20):
        """The probe's output for args; raises ProbeTimeout when it does not end in time."""
        try:
            out = subprocess.run(environment.wine(self.path, *args), env=env or self.prefix.env,
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                 stdin=subprocess.DEVNULL, timeout=timeout)
        except subprocess.TimeoutExpired as expired:
            partial = (expired.stdout or b"").decode("utf-8", "replace").strip()
            raise ProbeTimeout("the probe %s gave no answer in %d s (printed %r)" % (
                " ".join(str(a) for a in args), timeout, partial)) from None
        self.last = out.stdout.decode("utf-8", "replace").replace("\r", "")
        return self.last

    def values(self, *args, **kwargs):
        return parse_lines(self(*args, **kwargs))

    def start(self, *args, env=None, stdout=subprocess.DEVNULL):
        """The probe as a process of its own, for its commands that keep a window or a file
        open (front, showmenu, hold) until they are killed."""
        return subprocess.Popen(environment.wine(self.path, *args), env=env or self.prefix.env,
                                stdin=subprocess.DEVNULL, stdout=stdout,
                                stderr=subprocess.DEVNULL)


class Program:
    """kxsearch.exe or kxsearch_sim.exe running under Wine, with its output in a log."""

    def __init__(self, path, env, args, log_path):
        self.log_path = log_path
        self._log = open(log_path, "w")
        self.process = subprocess.Popen(environment.wine(path, *args), env=env,
                                        stdin=subprocess.DEVNULL, stdout=self._log,
                                        stderr=subprocess.STDOUT)

    def wait_exit(self, timeout=None):
        """The exit code, or None when the program is still running after the timeout (the
        checks of an exit code count that as a wrong code)."""
        try:
            code = self.process.wait(timeout=TIMEOUT if timeout is None else timeout)
        except subprocess.TimeoutExpired:
            return None
        self._log.close()
        return code

    @property
    def running(self):
        return self.process.poll() is None

    def describe(self):
        """Whether the program runs, for a wait that ran out."""
        code = self.process.poll()
        return "the program is running" if code is None else "the program exited with %d" % code

    def kill(self):
        if self.running:
            self.process.kill()
            self.process.wait()
        self._log.close()

    def output(self):
        with open(self.log_path, errors="replace") as reader:
            return reader.read()


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


class Definitions:
    """The program's own constants, as the probe prints them from the program's headers.

    Numbers are ints, colours "r,g,b" strings, texts with real line feeds. Keys as printed:
    list.top, list.header_bottom, list.row_height, list.wheel_step, list.column_widths (a
    list), colour.header ..., id.search_edit ..., tags.first_row_top ..., text.en.ReadyTitle,
    text.zh.ReadyTitle ..., categories.en.0 ..., about.en, product.web_address.
    """

    def __init__(self, values):
        if "text.en.ReadyTitle" not in values:
            raise HarnessError("the probe printed no definitions: %r" % values)
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


def read_definitions(bin_folder, prefix):
    """The definitions, from the probe run in a prefix whose server is then let go."""
    values = Probe(bin_folder, prefix).values("definitions", timeout=60)
    prefix.wait_server()
    return Definitions(values)
