"""Sorting by a click on a column title and resizing a column by dragging its edge, in
English: the arrow the header draws, the order of the rows, a selection kept across a re-sort,
a click on the row-number title doing nothing, a drag that moves the edge and is not taken for
a click. The header is painted by the program itself, so screenshots are the only witness."""

import unittest

from tests.ui.harness import driver

load_tests = driver.load_tests_in_order

NAME = 1
SIZE = 2
PATH = 5
SC_MINIMIZE = 0xF020
WM_LBUTTONDBLCLK = 0x0203  # the tray icon's double-click, which shows the window


class SortingAndColumns(driver.WindowTest):

    def header_area(self, column):
        """The title cell of a column, inside its edges: where its sort arrow is drawn."""
        d = self.defs
        top, bottom = d.number("list.top"), d.number("list.header_bottom")
        return d.column_left(column) + 2, top + 2, d.column_widths[column] - 4, bottom - top - 4

    def size_cell(self, row):
        d = self.defs
        return (d.column_left(SIZE) + 12, d.row_top(row) + 2, d.column_widths[SIZE] - 24,
                d.number("list.row_height") - 4)

    def sorted_by_name(self, name):
        """The report hits sorted by name after a sort by size, and their shot."""
        self.start_over("report", 41)
        self.click_header(SIZE)
        self.wait_state("title", self.matches_title(41))
        self.click_header(NAME)
        self.expect_state("Name title click re-sorts", "title", self.matches_title(41))
        return self.shot(name)

    def test_the_arrow_is_drawn_before_any_hits(self):
        self.fresh_window()
        empty = self.shot("no-hits")
        self.click_header(SIZE, settle=1)
        clicked = self.shot("no-hits-sorted")
        self.check("a click on Size draws its arrow before any hits",
                   empty.same_area(clicked, *self.header_area(SIZE)), False)

    def test_the_hover_tip_shows_the_name_and_the_path(self):
        # A new search drops the sort: the rows are in the volume's order, the directory first.
        self.start_over("report", 41)
        row1 = self.defs.row_top(1) + self.defs.number("list.row_height") // 2
        self.move(self.defs.column_left(NAME) + 40, row1)
        self.check("the tip over a name shows the name", self.tip(), "report-001.docx")
        self.move(self.defs.column_left(PATH) + 40, row1)
        self.check("the tip over a path shows the full path", self.tip(),
                   "C:\\Reports\\report-001.docx")

    def test_the_hover_tip_is_not_kept_across_hiding_the_window(self):
        self.start_over("report", 41)
        row1 = self.defs.row_top(1) + self.defs.number("list.row_height") // 2
        self.move(self.defs.column_left(NAME) + 40, row1)
        self.check("the tip shows the row under the pointer", self.tip(), "report-001.docx")
        # Hidden and shown at once, the pointer never seen leaving: only the hiding itself can
        # have forgotten the cell, so that a move within it shows the tip again.
        self.probe("hideshow")
        self.wait_state("visible", "1")
        self.x.xdotool("mousemove_relative", "--", 1, 0)
        self.check("hidden and shown at once over the same cell, the tip comes back",
                   self.tip(), "report-001.docx")
        self.probe("syscommand", SC_MINIMIZE)
        self.wait_state("visible", "0")
        # Other hits while the window is hidden; the pointer stays over the same cell.
        self.search("photo", 31)
        self.probe("tray", WM_LBUTTONDBLCLK)
        self.wait_state("visible", "1")
        self.x.xdotool("mousemove_relative", "--", 1, 0)
        self.check("shown again over the same cell, the tip shows that cell's new text",
                   self.tip(), "photo-001.jpg")

    def test_size_title_sorts_and_a_second_click_turns_the_arrow(self):
        self.start_over("report", 41)
        selected_y = self.defs.row_top(2) + 5
        self.click(100, selected_y + 5)
        unsorted = self.shot("rows")
        self.click_header(SIZE)
        self.expect_state("Size title click re-sorts and the title returns", "title",
                          self.matches_title(41))
        ascending = self.shot("sorted-ascending")
        self.check("sort shows an arrow after Size",
                   unsorted.same_area(ascending, *self.header_area(SIZE)), False)
        self.check("ascending by size: the directory first", ascending.ink(*self.size_cell(0)),
                   False)
        self.check("a re-sort keeps row 2 selected", ascending.pixel(3, selected_y),
                   self.defs.colour("selected_row"))
        self.click_header(SIZE)
        self.expect_state("second Size click re-sorts", "title", self.matches_title(41))
        descending = self.shot("sorted-descending", settle=1.5)
        self.check("descending by size: a file first", descending.ink(*self.size_cell(0)), True)
        self.check("the arrow turns",
                   ascending.same_area(descending, *self.header_area(SIZE)), False)

    def test_name_title_takes_the_arrow_from_size(self):
        self.start_over("report", 41)
        unsorted = self.shot("rows")
        by_name = self.sorted_by_name("sorted-name")
        self.check("the arrow leaves Size for Name",
                   unsorted.same_area(by_name, *self.header_area(SIZE)), True)

    def test_a_click_on_the_row_number_title_changes_nothing(self):
        by_name = self.sorted_by_name("sorted-name")
        self.click_header(0, settle=1)
        after = self.shot("row-number-click")
        top = self.defs.number("list.top")
        self.check("a click on the row-number title changes nothing",
                   by_name.same_area(after, 0, top, self.origin[2], 400), True)

    def test_dragging_a_column_edge_moves_it_and_does_not_sort(self):
        d = self.defs
        by_name = self.sorted_by_name("sorted-name")
        middle = (d.number("list.top") + d.number("list.header_bottom")) // 2
        edge = d.column_right(NAME)
        self.drag(edge - 2, middle, edge + 98)
        dragged = self.shot("dragged")
        self.check("dragging moves the Name edge to x 410", dragged.pixel(edge + 100, middle),
                   d.colour("header_separator"))
        self.check("no separator left at x 310", dragged.pixel(edge, middle),
                   d.colour("header"))
        self.check("a drag is not a sort",
                   by_name.same_area(dragged, 0, d.row_top(0) + 2, d.column_right(0), 400),
                   True)
        self.drag(edge + 98, middle, edge - 2)

    def test_the_pointer_turns_into_the_resize_cursor_on_a_column_edge(self):
        d = self.defs
        middle = (d.number("list.top") + d.number("list.header_bottom")) // 2
        sizing = self.system_cursor("sizewe")
        self.move(d.column_right(NAME) + d.number("list.resize_reach"), middle)
        on_edge = self.cursor()
        self.move(d.column_left(SIZE) + d.column_widths[SIZE] // 2, middle)
        on_title = self.cursor()
        self.check("on a column edge: the sizing cursor", on_edge == sizing, True)
        self.check("on a column title: not the sizing cursor", on_title == sizing, False)


if __name__ == "__main__":
    unittest.main()
