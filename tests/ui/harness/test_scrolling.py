"""Scrolling the results list, in English: a wheel notch moves the rows by the program's
wheel step, deliberately not a whole number of rows, and a line down from there aligns the
next row to the top of the list. The rows' alternating colours show where each row starts."""

import unittest

from tests.ui.harness import driver

load_tests = driver.load_tests_in_order

DOCUMENTS = 1


class Scrolling(driver.WindowTest):

    def test_a_wheel_notch_then_a_line_down(self):
        d = self.defs
        self.search("report", 41)
        self.click_tag(DOCUMENTS)
        self.wait_state("title", self.matches_title(40))
        before = self.shot("before-scroll")
        step = d.number("list.wheel_step")
        self.move(600, 420)
        driver.xdotool("click", 5)
        wheel = self.shot("wheel")
        # Rows 0 and 2 are white, 1 and 3 in the odd-row colour.
        self.check("one wheel notch scrolls 100 pixels: row 2 ends at y 209",
                   wheel.pixel(3, d.row_top(3, step) - 1), d.colour("background"))
        self.check("one wheel notch scrolls 100 pixels: row 3 starts at y 210",
                   wheel.pixel(3, d.row_top(3, step)), d.colour("odd_row"))
        self.probe("linedown")
        line_down = self.shot("line-down")
        row_height = d.number("list.row_height")
        self.check("line down after the notch aligns row 3 to the top (offset 108)",
                   line_down.pixel(3, d.row_top(3, 3 * row_height) + 3), d.colour("odd_row"))
        self.check("rows scrolled", before.same_area(line_down, 0, d.row_top(0) + 2, 400, 300),
                   False)


if __name__ == "__main__":
    unittest.main()
