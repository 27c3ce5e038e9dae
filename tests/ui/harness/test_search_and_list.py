"""Searching and the results list on the fixture volume, in English: the ready window, the
header band and rows painted with the list's own geometry and colours, the count in the title,
the status line and the tags, a click selecting a row, a file created on the simulated volume
showing up in the next search, an empty box, and the exit code. These are what a user sees
first; a wrong colour or a row off by a pixel is a visible fault."""

import os
import shutil
import time
import unittest

from tests.ui.harness import driver
from tests.ui.harness.environment import ROOT
from tests.ui.harness.waits import wait_until

load_tests = driver.load_tests_in_order


SC_MINIMIZE = 0xF020
WM_LBUTTONDBLCLK = 0x0203  # the tray icon's double-click, which shows the window


class SearchAndList(driver.WindowTest):
    # A file on Wine's C: whose removal the simulator turns into a journal record.
    program_env = {"KX_SIM_FOLLOW_DELETES": "1"}

    @classmethod
    def prepare(cls):
        cls.doomed = cls.machine.make_file("Photos", "photo-030.jpg")

    def test_ready_window_before_a_search(self):
        self.fresh_window()
        state = self.state()
        self.check("index ready: ready title", state.get("title"), self.text("ReadyTitle"))
        self.check("search box enabled", state.get("search_enabled"), "1")
        self.check("status line empty before a search", state.get("status"), "")

    def test_empty_list_paints_the_header_band_and_white(self):
        self.fresh_window()
        d = self.defs
        top, bottom = d.number("list.top"), d.number("list.header_bottom")
        middle = (top + bottom) // 2
        shot = self.shot("empty")
        self.check("header band from y 160", shot.pixel(3, top), d.colour("header"))
        self.check("header band to y 201", shot.pixel(3, bottom - 1), d.colour("header"))
        self.check("white above the header", shot.pixel(3, top - 1), d.colour("background"))
        self.check("line under the header at y 202", shot.pixel(3, bottom),
                   d.colour("header_line"))
        self.check("header separator at x 60", shot.pixel(d.column_right(0), middle),
                   d.colour("header_separator"))
        self.check("header separator at x 310", shot.pixel(d.column_right(1), middle),
                   d.colour("header_separator"))
        self.check("empty list paints white below the header",
                   shot.pixel(3, d.row_top(1)), d.colour("background"))

    def test_typing_shows_the_count_in_title_status_and_tags(self):
        self.start_over()
        self.type_text("report")
        self.expect_state("typing shows the count in the title", "title", self.matches_title(41))
        state = self.state()
        self.check("status line shows filter and count", state.get("status"),
                   self.status_text(0, 41))
        tags = state.tags()
        self.check("All Files counts directories", tags[0].caption, self.caption(0, 41))
        self.check("Documents counts files only", tags[1].caption, self.caption(1, 40))
        self.check("Images count", tags[2].caption, self.caption(2, 0))

    def test_rows_are_painted_edge_to_edge_in_alternating_colours(self):
        self.start_over("report", 41)
        d = self.defs
        row0, row1 = d.row_top(0), d.row_top(1)
        size_x = d.column_left(2) + 12
        size_w = d.column_widths[2] - 24
        height = d.number("list.row_height") - 4
        shot = self.shot("rows")
        self.check("row 0 white", shot.pixel(3, row0 + 4), d.colour("background"))
        self.check("row 1 in the odd-row colour", shot.pixel(3, row1 + 4), d.colour("odd_row"))
        # Each row's fill covers the grid line under the row above: rows meet edge to edge.
        self.check("row 0 ends at y 237", shot.pixel(3, row1 - 1), d.colour("background"))
        self.check("row 1 starts at y 238", shot.pixel(3, row1), d.colour("odd_row"))
        self.check("cell separator at x 60", shot.pixel(d.column_right(0), row0 + 18),
                   d.colour("grid"))
        self.check("row 0 is the directory: empty size cell",
                   shot.ink(size_x, row0 + 2, size_w, height), False)
        self.check("row 1 is a file: size cell has text",
                   shot.ink(size_x, row1 + 2, size_w, height), True)

    def test_a_click_selects_a_row(self):
        self.start_over("report", 41)
        row2 = self.defs.row_top(2)
        self.click(100, row2 + 10)
        shot = self.shot("selected")
        self.check("a click selects row 2", shot.pixel(3, row2 + 5),
                   self.defs.colour("selected_row"))

    def test_a_hit_whose_file_is_gone_shows_0_B_and_no_dates(self):
        d = self.defs
        # The file goes from the drive and from the index: the next test gets both back (the
        # simulator follows only files there when it started).
        self.addCleanup(self.put_back, self.doomed)
        # The last of the 31 rows, not painted yet, so its details are read only now.
        self.start_over("photo", 31)
        os.remove(self.doomed)
        time.sleep(2)
        last = self.origin[3] - d.number("list.row_height") // 2
        # Far enough down for any window height: the list stops with its last row at the bottom.
        self.move(d.column_left(0) + 10, last)
        self.x.xdotool("click", "--repeat", 15, "--delay", 30, 5)
        self.move(d.column_left(1) + 40, last)
        self.check("the deleted file's hit is still the last row", self.tip(),
                   "photo-030.jpg")
        self.move(d.column_left(2) + 40, last)
        self.check("a file whose attributes cannot be read: size 0 B", self.tip(), "0 B")
        self.move(d.column_left(3) + 40, last)
        self.check("a file whose attributes cannot be read: modified -", self.tip(), "-")
        self.move(d.column_left(4) + 40, last)
        self.check("a file whose attributes cannot be read: created -", self.tip(), "-")

    def test_a_client_area_of_160_pixels_or_less_paints_nothing(self):
        d = self.defs
        top = d.number("list.top")
        frame = 750 - self.resize(1200, 750).client[3]
        behind_controls = (3, top - 20)  # left of the search box, the tags and the status line
        painted = {}
        for client_height in (top + 10, top):
            # Hidden while resized, so that what shows after is only what the window paints.
            self.probe("syscommand", SC_MINIMIZE)
            self.wait_state("visible", "0")
            self.probe("resize", 1200, client_height + frame)
            self.probe("tray", WM_LBUTTONDBLCLK)
            self.wait_state("visible", "1")
            self.read_client_origin()
            shot = self.shot("client-%d" % client_height)
            painted[client_height] = shot.pixel(*behind_controls) == d.colour("background")
        self.check("a client area 170 high: the list paints its background", painted[top + 10],
                   True)
        self.check("a client area 160 high: the list paints nothing", painted[top], False)
        self.resize(1200, 750)

    def test_a_file_created_on_the_volume_shows_up_in_the_next_search(self):
        # A window that saw the trigger already holds the file.
        if os.path.exists(self.trigger):
            self.restart_program()
        self.start_over()
        self.type_text("journal")
        self.expect_state("a query with no hits: count 0", "title", self.matches_title(0))
        self.check("no hits: empty status line", self.state().get("status"), "")
        open(self.trigger, "w").close()

        def found():
            self.press("Return")
            time.sleep(0.5)
            return self.state().get("title") == self.matches_title(1)

        self.expect("a file created on the volume shows up in the next search",
                    lambda: wait_until("the created file's hit", found,
                                       seen=lambda: repr(self.state().get("title"))))

    def test_an_empty_box_keeps_the_hits_until_enter(self):
        # One change to an empty box: deleting key by key would search for each shorter
        # text on the way, and any of those may be the last that ends.
        self.start_over("notes", 1)
        self.probe("settext", "")
        time.sleep(0.5)
        self.check("emptying the box keeps the last results", self.state().get("title"),
                   self.matches_title(1))
        self.press("Return")
        self.expect_state("Enter in the empty box: idle title", "title", self.text("IdleTitle"))
        self.check("every count 0 after an empty search", self.tag(0).caption,
                   self.caption(0, 0))

    def test_the_last_screenshot_is_kept_in_the_artifacts(self):
        self.start_over()
        self.click_tag(0)
        self.type_text("report")
        self.expect_state("screenshot state: all files for report", "title",
                          self.matches_title(41))
        self.click_header(2)
        self.expect_state("screenshot state: sorted by size", "title", self.matches_title(41))
        self.click(100, self.defs.row_top(1) + 10)
        shot = self.shot("final-en")
        artifacts = os.path.join(ROOT, "tests", "artifacts")
        os.makedirs(artifacts, exist_ok=True)
        shutil.copy(shot.path, os.path.join(artifacts, "ui-en.png"))

    def test_closing_the_window_ends_with_exit_code_0(self):
        self.probe("close")
        self.check("closing the window ends with exit code 0", self.process.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
