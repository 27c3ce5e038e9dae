"""What a window test does with Kestrix's own window: its texts in the test's language, its
state as the probe reads it, input to its search box, tags, column titles and list, and
screenshots of it in the window's client coordinates.

A mixin of driver.WindowTest, which gives it the class's probe, X display (x), definitions
(defs), language, client origin and main window id.
"""

import os
import time

from tests.ui.harness.program import State, unescape
from tests.ui.harness.waits import TIMEOUT, wait_until
from tests.ui.harness.xdisplay import Shot

# Matches no name of the fixture volume.
NO_HITS = "qqzzx"
WM_LBUTTONDBLCLK = 0x0203  # the tray icon's double-click, which shows the window


class KestrixWindow:
    """Texts, state, input and screenshots of the main window."""

    # -- Texts of the program, in the class's language.

    @classmethod
    def text(cls, name):
        return cls.defs.text(cls.language, name)

    def matches_title(self, count):
        return self.text("MatchesTitleFormat").replace("%lld", str(count))

    def status_text(self, category, count):
        return self.text("StatusFormat").replace("%ls", self.category(category)).replace(
            "%lld", str(count))

    def category(self, k):
        return self.defs.category(self.language, k)

    def caption(self, k, count):
        return "%s\n(%d)" % (self.category(k), count)

    # -- Reading the window.

    @classmethod
    def state(cls):
        return State(cls.probe.values("state"))

    @classmethod
    def wait_state(cls, key, value, timeout=None):
        """Polls until the state's key has the value; returns the state, or raises naming it
        and what the key, the title and the program were at the end."""
        found = {}

        def poll():
            found["state"] = cls.state()
            return found["state"] if found["state"].get(key) == value else None

        def seen():
            state = found.get("state", {})
            shown = "%s %r" % (key, state.get(key))
            if key != "title":
                shown += ", title %r" % state.get("title")
            return "%s; %s" % (shown, cls.process.describe() if cls.process else "no program")

        return wait_until("%s to be %r" % (key, value), poll, timeout, seen=seen)

    @classmethod
    def read_client_origin(cls):
        state = cls.state()
        cls.origin = state.client
        return state

    def tags(self):
        return self.state().tags()

    def tag(self, k):
        return self.tags()[k]

    def tip(self, settle=0.8):
        """The hover tip's text once the pointer has rested; "" when no tip is shown."""
        time.sleep(settle)
        values = self.probe.values("tip")
        return unescape(values.get("tip_text", "")) if values.get("tip_visible") == "1" else ""

    def cursor(self, settle=0.5):
        """The pointer's shape where it is now (see XDisplay.cursor_image)."""
        time.sleep(settle)
        return self.x.cursor_image()

    def system_cursor(self, name):
        """How Wine draws a system cursor ("sizewe", "arrow"): the probe shows a window of its
        own with that cursor, and the pointer rests over it."""
        # The window outlives the wait for it: under load Wine may take long to map it.
        helper = self.probe.start("front", int((TIMEOUT + 10) * 1000), name)

        def seen():
            code = helper.poll()
            return "%s; the probe %s" % (self.x.window_names(), "runs" if code is None
                                         else "exited with %d" % code)

        try:
            self.x.find_window("^Kestrix probe front$", visible_only=True, seen=seen)
            # The probe's window is placed at 600,100 and is 300 by 200.
            self.x.xdotool("mousemove", 750, 200)
            return self.cursor(1)
        finally:
            helper.kill()
            helper.wait()

    # -- Input, in client coordinates.

    def client_point(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def move(self, x, y):
        self.x.xdotool("mousemove", *self.client_point(x, y))

    def click(self, x, y, button=1, settle=0.4):
        self.x.click_at(*self.client_point(x, y), button)
        time.sleep(settle)

    def drag(self, x0, y, x1):
        self.x.xdotool("mousemove", *self.client_point(x0, y), "mousedown", 1)
        self.x.xdotool("mousemove", *self.client_point((x0 + x1) // 2, y))
        self.x.xdotool("mousemove", *self.client_point(x1, y), "mouseup", 1)

    def focus_search(self):
        # Keys go to the search box: the window gets the X focus, and a click in the box takes
        # the keyboard focus back from a tag button clicked before.
        self.x.xdotool("windowfocus", "--sync", self.main)
        edit_y = self.defs.number("tags.first_row_top") // 2
        self.x.click_at(*self.client_point(300, edit_y))
        self.x.xdotool("key", "End")

    def type_text(self, text):
        self.focus_search()
        self.x.xdotool("type", "--delay", 60, "--", text)

    def press(self, key, repeat=1):
        self.focus_search()
        self.x.xdotool("key", "--repeat", repeat, "--delay", 40, key)

    def search(self, text, hits=None):
        """Sets the box's text as typing would and waits for the title of that many hits."""
        self.probe("settext", text)
        if hits is not None:
            return self.wait_state("title", self.matches_title(hits))
        return None

    def start_over(self, text=None, hits=None):
        """A new list as a user's new search makes it: the box holds text (or nothing), every
        category shown, the rows in the volume's order, none selected, scrolled to the top.

        A query without hits comes first, so that the wait for text's title cannot be met by
        the list before it. The window is shown if a test before hid it, and the pointer rests
        above the list, so that no hover tip of the list before stays."""
        self.show_window()
        self.move(3, 3)
        self.search(NO_HITS, 0)
        if any(tag.marked for tag in self.tags()[1:]):
            self.click_tag(0)
            self.wait_state("title", self.matches_title(0))
        if text is None:
            self.probe("settext", "")
            return self.state()
        return self.search(text, hits)

    def show_window(self):
        """Shows the window, as the tray icon's double-click does, if it is hidden."""
        if self.state().get("visible") != "1":
            self.probe("tray", WM_LBUTTONDBLCLK)
            self.wait_state("visible", "1")
            self.read_client_origin()

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

    # -- Screenshots, in the test's own folder.

    def screen_shot(self, name, settle=0.5):
        """The whole display, in screen coordinates."""
        time.sleep(settle)
        return Shot(self.x.screenshot(os.path.join(self.test_folder, name + ".png")))

    def shot(self, name, settle=0.6):
        """The whole display, read in the window's client coordinates."""
        return Shot(self.screen_shot(name, settle).path, self.origin)
