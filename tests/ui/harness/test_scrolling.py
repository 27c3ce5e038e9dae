"""Scrolling the results list, in English: a wheel notch moves the rows by the program's
wheel step, deliberately not a whole number of rows, and a line down from there aligns the
next row to the top of the list. The rows' alternating colours show where each row starts."""

import unittest

from tests.ui.harness import driver

load_tests = driver.load_tests_in_order

DOCUMENTS = 1


class Scrolling(driver.WindowTest):

    def test_row_numbers_follow_the_rows_when_scrolled_one_row(self):
        d = self.defs
        self.start_over("report", 41)
        top = d.row_top(0) + 2
        width, height = d.column_right(0) - 4, d.number("list.row_height") - 4
        before = self.shot("numbers-before")
        self.check("the first row's number cell differs from the second's",
                   before.same_area(before, 2, top, width, height, other_y=top + d.number(
                       "list.row_height")), False)
        self.probe("linedown")
        after = self.shot("numbers-after")
        # Row 1 (number 2) now at the top, in its own colour: the same pixels as before.
        self.check("one row down, the top row shows the number the second row showed",
                   after.same_area(before, 2, top, width, height,
                                   other_y=top + d.number("list.row_height")), True)

    def test_a_wheel_notch_then_a_line_down(self):
        d = self.defs
        self.start_over("report", 41)
        self.click_tag(DOCUMENTS)
        self.wait_state("title", self.matches_title(40))
        before = self.shot("before-scroll")
        step = d.number("list.wheel_step")
        self.move(600, 420)
        self.x.xdotool("click", 5)
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
