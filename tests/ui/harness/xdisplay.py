"""The X side of the display: input through xdotool, windows found by their names, screenshots
and what is read from them, and the pointer's image.

A failed xdotool, import or convert raises with its own error text. "Nothing found" is not a
failure of xdotool search (it exits with 1 and says nothing), so search returns an empty list
for it; a wait for a window that never comes raises with the windows the display did have.
"""

import ctypes
import os
import re
import subprocess

from tests.ui.harness.waits import HarnessError, wait_until


class CommandError(HarnessError):
    """An X or image command failed: its command line, exit code and error output."""

    def __init__(self, args, code, stderr):
        super().__init__("%s failed (exit %d): %s" % (
            " ".join(str(a) for a in args), code, stderr.strip() or "no error output"))


def run_command(args, env=None, timeout=30, expected=(0,)):
    """Runs args; its output, or CommandError unless its exit code is one of expected."""
    return _run(args, env, timeout, expected)[1]


def _run(args, env, timeout, expected):
    args = [str(a) for a in args]
    result = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=timeout)
    if result.returncode not in expected:
        raise CommandError(args, result.returncode, result.stderr.decode("utf-8", "replace"))
    return result.returncode, result.stdout.decode("utf-8", "replace").strip()


def ascii_start(title):
    """What xdotool surely reads of a title: it may read a Latin-1 WM_NAME, where a character
    such as the middle dot is one byte."""
    return re.match(r"[\x20-\x7e]*", title).group(0)


def title_pattern(title):
    """A pattern for xdotool that finds a window by the ASCII start of its title."""
    return "^" + ere_escape(ascii_start(title))


def ere_escape(text):
    """text as a POSIX extended regular expression matching it literally, for xdotool."""
    return re.sub(r"([.\[\]()*+?{}|^$\\])", r"\\\1", text)


class XDisplay:
    """One X display, named as DISPLAY names it."""

    def __init__(self, name):
        self.name = name
        self.env = dict(os.environ, DISPLAY=name)

    def xdotool(self, *args, timeout=20):
        return run_command(["xdotool"] + list(args), self.env, timeout)

    def search(self, pattern, visible_only=False):
        """The ids of the windows whose names match the regular expression; [] for none."""
        found = run_command(["xdotool", "search"] + (["--onlyvisible"] if visible_only else [])
                            + ["--name", pattern], self.env, 5, expected=(0, 1))
        return found.split()

    def window_names(self):
        """Every named window of the display, for a wait that ran out."""
        tree = run_command(["xwininfo", "-root", "-tree"], self.env)
        names = re.findall(r'^\s*0x[0-9a-f]+ "(.*)":', tree, re.MULTILINE)
        return "windows: " + (", ".join(repr(name) for name in names) or "none")

    def find_window(self, pattern, timeout=None, visible_only=False, seen=None):
        """The X id of the first window whose name matches, once there is one; seen says what
        a wait that runs out saw (default: the display's windows)."""
        kind = "a visible window" if visible_only else "a window"
        found = wait_until("%s named %r" % (kind, pattern),
                           lambda: self.search(pattern, visible_only), timeout,
                           seen=seen or self.window_names)
        return found[0]

    def geometry(self, window):
        """The window's X, Y, WIDTH and HEIGHT on the screen, as ints."""
        values = dict(line.split("=", 1) for line in self.xdotool(
            "getwindowgeometry", "--shell", window).splitlines() if "=" in line)
        return {key: int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT")}

    def click_at(self, x, y, *click):
        """Moves the pointer to the screen point and clicks (click: xdotool's click options,
        default the left button once)."""
        self.xdotool("mousemove", x, y, "click", *(click or (1,)))

    def screenshot(self, path):
        """The whole display into path; returns path."""
        run_command(["import", "-window", "root", path], self.env)
        return path

    def cursor_image(self):
        """The pointer's current shape, as (width, height, hot spot x, y, pixels).

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
        display = x11.XOpenDisplay(self.name.encode())
        if not display:
            raise HarnessError("cannot open display " + self.name)
        try:
            image = xfixes.XFixesGetCursorImage(display)
            if not image:
                raise HarnessError("XFixes gave no cursor image on " + self.name)
            shape = image.contents
            pixels = tuple(shape.pixels[k] & 0xFFFFFFFF for k in range(shape.width * shape.height))
            result = (shape.width, shape.height, shape.xhot, shape.yhot, pixels)
            x11.XFree(image)
            return result
        finally:
            x11.XCloseDisplay(display)


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort),
                ("yhot", ctypes.c_ushort), ("cursor_serial", ctypes.c_ulong),
                ("pixels", ctypes.POINTER(ctypes.c_ulong)), ("atom", ctypes.c_ulong),
                ("name", ctypes.c_char_p)]


def convert(*args):
    return run_command(["convert"] + list(args), timeout=60)


class Shot:
    """A screenshot of the whole display. Coordinates are relative to origin: the window's
    client area for the window's own parts, (0, 0) for screen coordinates."""

    def __init__(self, path, origin=(0, 0)):
        self.path = path
        self.origin = origin

    def _geometry(self, x, y, w, h):
        return "%dx%d+%d+%d" % (w, h, self.origin[0] + x, self.origin[1] + y)

    def _area(self, x, y, w, h, *operations):
        return convert(self.path, "-crop", self._geometry(x, y, w, h), "+repage", *operations)

    def pixel(self, x, y):
        return self._area(x, y, 1, 1, "-format",
                          "%[fx:int(255*r+0.5)],%[fx:int(255*g+0.5)],%[fx:int(255*b+0.5)]",
                          "info:")

    def ink(self, x, y, w, h, darker_than=0.5):
        """True when the rectangle holds something darker than darker_than (1 is white):
        text, by default darker than mid grey."""
        return self._area(x, y, w, h, "-colorspace", "gray", "-format",
                          "%%[fx:minima<%g?1:0]" % darker_than, "info:") == "1"

    def mean_colour(self, x, y, w, h):
        """The rectangle's average colour as (r, g, b), 0 to 255."""
        return tuple(int(v) for v in self._area(
            x, y, w, h, "-scale", "1x1", "-format",
            "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]", "info:").split())

    def crop(self, x, y, w, h):
        """The rectangle as a picture of its own, beside the screenshot, named for both."""
        stem = os.path.splitext(self.path)[0]
        out = "%s.%s.png" % (stem, self._geometry(x, y, w, h))
        self._area(x, y, w, h, out)
        return out

    def same_area(self, other, x, y, w, h, other_y=None):
        """True when both shots hold the same pixels there (other's area may start lower)."""
        a = self.crop(x, y, w, h)
        b = other.crop(x, y if other_y is None else other_y, w, h)
        # compare: exit 0 when the same, 1 when not, 2 when it cannot compare.
        code, _ = _run(["compare", "-metric", "AE", a, b, "null:"], None, 60, (0, 1))
        return code == 0
