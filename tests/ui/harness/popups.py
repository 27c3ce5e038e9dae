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

Every wait here raises when it runs out, with what the probe or the display showed last.

Use it as a mixin before driver.WindowTest: ``class Tray(popups.Popups, driver.WindowTest)``.
"""

import re
import subprocess
import time

from tests.ui.harness.waits import wait_until

TRAY_TITLE = "^Wine System Tray$"
FRONT_TITLE = "^Kestrix probe front$"
# Places of a replica's items relative to the menu's top left, per kind of menu: the same
# menu opens elsewhere next time, its items keep their places within it.
_replicas = {}


def rect(value):
    return tuple(int(v) for v in value.split(","))


class Popups:
    """Tray, hotkey, menus, message boxes and other programs' windows, for a WindowTest."""

    # -- The tray icon.

    def tray_icon(self):
        """The screen point in the middle of the first icon, once Wine shows its tray."""
        geometry = self.x.geometry(self.x.find_window(TRAY_TITLE))
        return geometry["X"] + 10, geometry["Y"] + 10

    def mapped(self, pattern):
        return bool(self.x.search(pattern, visible_only=True))

    def tray_visible(self):
        return self.mapped(TRAY_TITLE)

    def wait_tray_gone(self):
        """Waits for Wine's tray window to leave the screen (it goes with the last icon)."""
        return wait_until("the tray to go", lambda: not self.tray_visible(), 10,
                          seen=self.x.window_names)

    def hide(self):
        """Minimises the window as its minimise box does."""
        self.probe("syscommand", 0xF020)

    # -- The hotkey.

    def start_front_window(self):
        """A window of the probe's own in front of everything, for a minute; its X id."""
        self.front_process = self.probe.start("front", "60000")
        self.front = self.x.find_window(FRONT_TITLE)
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
        self.x.xdotool("windowfocus", "--sync", self.front, timeout=10)
        self.x.xdotool("key", "alt+z")
        time.sleep(0.3)

    # -- Menus.

    def open_menu(self):
        """The screen rectangle of the program's open popup menu, or None."""
        line = self.probe.values("menu").get("menu")
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

        self.menu = wait_until("a popup menu", poll, seen=self.last_probe)
        return self.menu

    def last_probe(self):
        """What a wait here saw: the probe's last answer, and the visible top-level windows
        (one in front of the list takes the clicks meant for it)."""
        last = self.probe.last.strip()
        windows = [line[len("window="):] for line in self.probe("windows").splitlines()
                   if line.startswith("window=")]
        listed = "windows: " + (", ".join(windows) or "none")
        return listed if last.startswith("window=") else "%r; %s" % (last, listed)

    def open_tray_menu(self):
        icon = self.tray_icon()
        return self.wait_menu(lambda: self.x.click_at(*icon, 3))

    def open_list_menu(self, y, x=100):
        # After a window of another program closed, Wine can take the first click on the list
        # only as its activation, so a click that opened nothing is repeated.
        point = self.client_point(x, y)
        return self.wait_menu(lambda: self.x.click_at(*point, 3), retry_after=5)

    def close_menu(self):
        self.probe("menukey", 27)
        wait_until("the menu to close", lambda: self.open_menu() is None, seen=self.last_probe)

    def menu_matches_replica(self, kind, items, name=None):
        """Compares the open menu with a replica of items ("-" a separator), closing it; the
        replica's item places are kept for choose_item. Returns (same, shot of the menu)."""
        menu = self.menu
        name = name or kind
        shot = self.screen_shot(name)
        self.close_menu()
        replica = self.probe.start("showmenu", menu[0], menu[1], "4000", *items,
                                   env=self.language_env(), stdout=subprocess.PIPE)
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
        same = len(places) == len(items) and shot.same_area(replica_shot, *menu)
        return same, shot

    def item_area(self, kind, k, menu=None):
        x, y, w, h = _replicas[kind][k]
        menu = menu or self.menu
        return menu[0] + x, menu[1] + y, w, h

    def item_ink(self, shot, kind, k):
        """"black" or "gray": the darkest text of item k in a screenshot of the open menu."""
        return "black" if shot.ink(*self.item_area(kind, k), darker_than=0.25) else "gray"

    def choose_item(self, kind, k):
        """Clicks item k of the open menu (separators count), placed as the replica's."""
        x, y, w, h = self.item_area(kind, k)
        self.x.click_at(x + w // 2, y + h // 2)
        time.sleep(0.4)

    def choose_from_menu(self, kind, items, k, open_menu):
        """Opens a menu and clicks its item k; True once chosen. The replica is drawn first
        when this kind of menu has none yet."""
        open_menu()
        if kind not in _replicas:
            self.menu_matches_replica(kind, items)
            open_menu()
        self.choose_item(kind, k)
        return True

    # -- Message boxes.

    def box(self):
        """The probe's facts of the open box; its text with line feeds as the probe prints
        them, "\\n" (a path's backslashes are not escaped): compare with as_printed(text)."""
        return self.probe.values("box")

    def wait_box(self, caption=None):
        """The facts of the program's message box once one (with that caption) is open."""
        def poll():
            found = self.box()
            shown = found.get("box_caption")
            return found if shown is not None and caption in (None, shown) else None

        return wait_until("a message box %r" % (caption or ""), poll, seen=self.last_probe)

    def wait_box_closed(self):
        return wait_until("the box to close", lambda: "box_caption" not in self.box(),
                          seen=self.last_probe)

    def press_box(self, button):
        """Presses the box's button (1 OK, 6 Yes, 7 No) and waits for the box to close."""
        self.probe("boxpress", button)
        return self.wait_box_closed()

    def click_box_ok(self, box):
        """Clicks the box's OK button and waits for the box to close."""
        x, y, w, h = rect(box["box_ok"])
        self.x.click_at(x + w // 2, y + h // 2)
        return self.wait_box_closed()

    @staticmethod
    def icon_kind(shot, box):
        """The box icon's kind from its average colour: "error", "warning" or "information"."""
        red, green, blue = shot.mean_colour(*rect(box["box_icon"]))
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
        return wait_until("a %s window %r" % (window_class, title),
                          lambda: self.window_shown(window_class, title), interval=0.5,
                          seen=self.last_probe)

    def close_window(self, window_class, title, title_part):
        """Closes other programs' windows titled with title_part, until none of the class and
        title is left."""
        # A window left on top of the list would take the next right click.
        def closed():
            if not self.window_shown(window_class, title):
                return True
            self.probe("closetitled", title_part)
            time.sleep(0.5)
            return False

        wait_until("the %s window %r to close" % (window_class, title), closed, interval=0,
                   seen=self.last_probe)
        # With no window manager nobody hands the focus back, and the first click on a window
        # without it only activates it.
        self.x.xdotool("windowfocus", "--sync", self.main, timeout=10)
