"""What the window tests reach outside the main window's own children: the tray icon in Wine's
tray window, the program's popup menus, its message boxes, and windows of other programs (the
shell's, and one of the probe's standing in front).

Under Wine without a window manager the notification icons sit in Wine's own "Wine System
Tray" window, which X clicks reach; it is only seen while the main window, stacked above it at
the top left, is hidden.

Menus are kept per process in Wine, so the probe cannot read the program's menu items: it
opens a replica with the expected texts at the same place, drawn by the same code, and the two
screenshots must match pixel for pixel. The replica's item places then say where to click, and
where to look for an item's ink (a grayed item is drawn in mid grey, an enabled one in black).

Use it as a mixin before driver.WindowTest: ``class Tray(popups.Popups, driver.WindowTest)``.
"""

import os
import re
import subprocess
import time

from tests.ui.harness import driver

TRAY_TITLE = "^Wine System Tray$"
# Places of a replica's items relative to the menu's top left, per kind of menu: the same
# menu opens elsewhere next time, its items keep their places within it.
_replicas = {}


def convert(*args):
    result = subprocess.run(["convert"] + [str(a) for a in args], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, timeout=60)
    return result.stdout.decode().strip()


def rect(value):
    return tuple(int(v) for v in value.split(","))


def same_pixels(path_a, path_b, area):
    """True when two full-display screenshots hold the same pixels in the screen rectangle."""
    x, y, w, h = area
    geometry = "%dx%d+%d+%d" % (w, h, x, y)
    folder = os.path.dirname(path_a)
    a, b = os.path.join(folder, "menu-a.png"), os.path.join(folder, "menu-b.png")
    convert(path_a, "-crop", geometry, "+repage", a)
    convert(path_b, "-crop", geometry, "+repage", b)
    result = subprocess.run(["compare", "-metric", "AE", a, b, "null:"],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return result.stdout.decode().split(" ")[0].strip() == "0"


def as_printed(text):
    """A text as the probe prints it: line feeds as "\\n"."""
    return text.replace("\n", "\\n")


class Popups:
    """Tray, hotkey, menus, message boxes and other programs' windows, for a WindowTest."""

    # -- Screenshots in screen coordinates.

    def screen_shot(self, name, settle=0.5):
        time.sleep(settle)
        path = os.path.join(self.machine.folder, name + ".png")
        subprocess.run(["import", "-window", "root", path], env=driver._x_env(), timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return path

    # -- The tray icon.

    def tray_icon(self):
        """The screen point in the middle of the first icon, or None when there is no tray."""
        tray = driver.find_window(TRAY_TITLE)
        if tray is None:
            return None
        geometry = {}
        for line in driver.xdotool("getwindowgeometry", "--shell", tray).splitlines():
            key, _, value = line.partition("=")
            geometry[key] = value
        return int(geometry["X"]) + 10, int(geometry["Y"]) + 10

    @staticmethod
    def tray_visible():
        return bool(driver.xdotool("search", "--onlyvisible", "--name", TRAY_TITLE, timeout=5))

    def tray_gone(self):
        """True once Wine's tray window has left the screen (it goes with the last icon)."""
        try:
            return driver.wait_until("the tray to go", lambda: not self.tray_visible(), 10)
        except TimeoutError:
            return False

    @staticmethod
    def mapped(pattern):
        return bool(driver.xdotool("search", "--onlyvisible", "--name", pattern, timeout=5))

    def hide(self):
        """Minimises the window as its minimise box does."""
        self.probe("syscommand", 0xF020)

    # -- The hotkey.

    def start_front_window(self):
        """A window of the probe's own in front of everything, for a minute; its X id."""
        self.front_process = subprocess.Popen(
            [driver.WINE, os.path.join(self.harness.bin, "window_probe.exe"), "front", "60000"],
            env=self.machine.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        self.front = driver.find_window("^Kestrix probe front$")
        return self.front

    def stop_front_window(self):
        if getattr(self, "front_process", None) is not None:
            self.front_process.kill()
            self.front_process.wait()
            self.front_process = None

    def hotkey(self):
        # Wine takes no X key grab for RegisterHotKey: it sees ALT+Z only when X gives the key
        # to one of its windows. With no window manager and the focus on the bare root window
        # the key is lost, so the presses go to another program's window, as on a desktop.
        driver.xdotool("windowfocus", "--sync", self.front, timeout=10)
        driver.xdotool("key", "alt+z")
        time.sleep(0.3)

    # -- Menus.

    def open_menu(self):
        """The screen rectangle of the program's open popup menu, or None."""
        line = driver.parse_lines(self.probe("menu")).get("menu")
        return rect(line) if line else None

    def wait_menu(self, click, retry_after=None):
        """Clicks, then waits for a menu; repeats the click every retry_after seconds."""
        click()
        clicked_at = time.monotonic()

        def poll():
            nonlocal clicked_at
            found = self.open_menu()
            if not found and retry_after and time.monotonic() - clicked_at >= retry_after:
                click()
                clicked_at = time.monotonic()
            return found

        try:
            self.menu = driver.wait_until("a popup menu", poll)
        except TimeoutError:
            self.menu = None
        return self.menu

    def open_tray_menu(self):
        icon = self.tray_icon()
        if icon is None:
            return None
        return self.wait_menu(lambda: driver.xdotool("mousemove", *icon, "click", 3))

    def open_list_menu(self, y, x=100):
        # After a window of another program closed, Wine can take the first click on the list
        # only as its activation, so a click that opened nothing is repeated.
        point = self.client_point(x, y)
        return self.wait_menu(lambda: driver.xdotool("mousemove", *point, "click", 3),
                              retry_after=5)

    def close_menu(self):
        self.probe("menukey", 27)
        try:
            driver.wait_until("the menu to close", lambda: self.open_menu() is None)
        except TimeoutError:
            pass

    def menu_matches_replica(self, kind, items, name=None):
        """Compares the open menu with a replica of items ("-" a separator), closing it; the
        replica's item places are kept for choose_item. Returns (same, shot of the menu)."""
        menu = self.menu
        name = name or kind
        shot = self.screen_shot(name)
        self.close_menu()
        replica = subprocess.Popen(
            [driver.WINE, os.path.join(self.harness.bin, "window_probe.exe"), "showmenu",
             str(menu[0]), str(menu[1]), "4000"] + list(items),
            env=self.machine.program_env(self.language), stdin=subprocess.DEVNULL,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        places = {}
        # The places arrive while the replica is open; the last one says it is drawn.
        for raw in replica.stdout:
            key, _, value = raw.decode("utf-8", "replace").strip().partition("=")
            if key.startswith("item"):
                x, y, w, h = rect(value)
                places[int(key[4:])] = (x - menu[0], y - menu[1], w, h)
                if len(places) == len(items):
                    break
        replica_shot = self.screen_shot(name + "-replica")
        # Shot: the replica has served, no need to wait the seconds it stays open.
        replica.kill()
        replica.wait(timeout=30)
        replica.stdout.close()
        _replicas[kind] = places
        same = len(places) == len(items) and same_pixels(shot, replica_shot, menu)
        return same, shot

    def item_area(self, kind, k, menu=None):
        x, y, w, h = _replicas[kind][k]
        menu = menu or self.menu
        return menu[0] + x, menu[1] + y, w, h

    def item_ink(self, shot, kind, k):
        """"black" or "gray": the darkest text of item k in a screenshot of the open menu."""
        x, y, w, h = self.item_area(kind, k)
        dark = convert(shot, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", "-colorspace",
                       "gray", "-format", "%[fx:minima<0.25?1:0]", "info:")
        return "black" if dark == "1" else "gray"

    def choose_item(self, kind, k):
        """Clicks item k of the open menu (separators count), placed as the replica's."""
        x, y, w, h = self.item_area(kind, k)
        driver.xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)
        time.sleep(0.4)

    def choose_from_menu(self, kind, items, k, open_menu):
        """Opens a menu and clicks its item k; True when it opened. The replica is drawn
        first when this kind of menu has none yet."""
        if not open_menu():
            return False
        if kind not in _replicas:
            self.menu_matches_replica(kind, items)
            if not open_menu():
                return False
        self.choose_item(kind, k)
        return True

    # -- Message boxes.

    def box(self):
        """The probe's facts of the open box; its text with line feeds as the probe prints
        them, "\\n" (a path's backslashes are not escaped): compare with as_printed(text)."""
        return driver.parse_lines(self.probe("box"))

    def wait_box(self, caption=None):
        """The facts of the program's message box once one (with that caption) is open."""
        found = {}

        def poll():
            found["box"] = self.box()
            shown = found["box"].get("box_caption")
            return found["box"] if shown is not None and caption in (None, shown) else None

        try:
            return driver.wait_until("a message box %r" % (caption or ""), poll)
        except TimeoutError:
            return None

    def wait_box_closed(self):
        try:
            return driver.wait_until("the box to close", lambda: "box_caption" not in self.box())
        except TimeoutError:
            return False

    def press_box(self, button):
        """Presses the box's button (1 OK, 6 Yes, 7 No); True once the box has closed."""
        self.probe("boxpress", button)
        return self.wait_box_closed()

    def click_box_ok(self, box):
        x, y, w, h = rect(box["box_ok"])
        driver.xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)
        return "closed" if self.wait_box_closed() else "open"

    @staticmethod
    def icon_kind(shot, box):
        """The box icon's kind from its average colour: "error", "warning" or "information"."""
        x, y, w, h = rect(box["box_icon"])
        red, green, blue = (int(v) for v in convert(
            shot, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", "-scale", "1x1", "-format",
            "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]", "info:").split())
        if blue > red:
            return "information"
        return "error" if red - green > 65 else "warning"

    # -- Windows of other programs.

    def window_shown(self, window_class, title):
        """True while a visible top-level window of the class has a title matching the
        regular expression (from its start)."""
        pattern = re.compile(re.escape(window_class) + r"\|" + title)
        return any(pattern.match(line[len("window="):])
                   for line in self.probe("windows").splitlines()
                   if line.startswith("window="))

    def wait_window(self, window_class, title):
        try:
            return driver.wait_until("a %s window %r" % (window_class, title),
                                     lambda: self.window_shown(window_class, title),
                                     interval=0.5)
        except TimeoutError:
            return False

    def close_window(self, window_class, title, title_part):
        """Closes other programs' windows titled with title_part, until none of the class and
        title is left."""
        # A window left on top of the list would take the next right click.
        deadline = time.monotonic() + driver.TIMEOUT
        while time.monotonic() < deadline and self.window_shown(window_class, title):
            self.probe("closetitled", title_part)
            time.sleep(0.5)
        # With no window manager nobody hands the focus back, and the first click on a window
        # without it only activates it.
        driver.xdotool("windowfocus", "--sync", self.main, timeout=10)
