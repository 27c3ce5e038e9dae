"""The window in Chinese (a zh_CN locale built for the run, Wine's font substitution for the
program's face): titles, status line, default tag names, column titles drawn as glyphs, the
tray menu, the About box, the close box, and the no-NTFS notice of the real program. The
program is also started with a command line it must ignore. Chinese is the program's first
language: a text left in English, or drawn as empty boxes, is what its users see first."""

import unittest

from tests.ui.harness import driver, popups
from tests.ui.harness.program import as_printed, unescape

load_tests = driver.load_tests_in_order

MINIMISE = 0xF020
CLOSE = 0xF060


class Chinese(popups.Popups, driver.WindowTest):
    language = "zh"
    # Whatever the command line holds, the program does not look at it.
    program_args = ("report", r"/select,C:\Projects", "--help")

    def test_titles_status_line_and_tags_in_chinese(self):
        self.fresh_window()
        state = self.state()
        self.check("Chinese ready title", state.get("title"), self.text("ReadyTitle"))
        self.check("Chinese default tag names", state.tags()[1].caption, self.category(1))
        self.type_text("report")
        self.expect_state("Chinese matches title", "title", self.matches_title(41))
        state = self.state()
        self.check("Chinese status line", state.get("status"), self.status_text(0, 41))
        self.check("Chinese tag count", state.tags()[1].caption, self.caption(1, 40))

    def test_column_titles_are_drawn_in_chinese_glyphs(self):
        self.start_over("report", 41)
        self.click_header(2)
        self.expect_state("Chinese title after a sort", "title", self.matches_title(41))
        self.click(100, self.defs.row_top(1) + 10)
        top, bottom = self.defs.number("list.top"), self.defs.number("list.header_bottom")
        shot = self.shot("final-zh")
        self.check("Chinese header band", shot.pixel(3, top + 10),
                   self.defs.colour("header"))
        name = self.defs.column_left(1)
        self.check("Chinese column titles are drawn as glyphs",
                   shot.ink(name + 10, top + 5, 60, bottom - top - 10), True)

    def test_tray_menu_and_about_box_in_chinese(self):
        self.probe("syscommand", MINIMISE)
        self.expect_state("Chinese: minimising hides the window", "visible", "0")
        items = [self.text("TrayShowWindow"), self.text("TrayAbout"), "-",
                 self.text("TrayExit")]
        opened = self.expect("Chinese: a right click on the tray icon opens the menu",
                             self.open_tray_menu)
        if not opened:
            return
        same, _ = self.menu_matches_replica("tray-menu-zh", items)
        self.check("Chinese tray menu: %s, %s, a separator, %s" % tuple(items[:2] + items[3:]),
                   same, True)
        self.choose_from_menu("tray-menu-zh", items, 1, self.open_tray_menu)
        box = self.expect("Chinese: %s opens the About box" % items[1], self.wait_box)
        if box is None:
            return
        self.check("Chinese About box caption", box.get("box_caption"), self.text("AboutCaption"))
        self.check("Chinese About box text: four lines", box.get("box_text"),
                   as_printed(unescape(self.defs.values["about.zh"])))
        self.screen_shot("about-zh")
        self.expect("OK closes the Chinese About box", lambda: self.click_box_ok(box))

    def test_the_close_box_ends_the_program_and_removes_the_icon(self):
        # What the close box sends, to the window shown or hidden.
        self.probe("syscommand", CLOSE)
        self.check("the close box ends the Chinese window with exit code 0",
                   self.process.wait_exit(), 0)
        self.expect("and its tray icon is gone", self.wait_tray_gone)


class NoNtfsVolumeInChinese(popups.Popups, driver.WindowTest):
    """The real program's notice that no NTFS volume was found, in Chinese."""

    program = "exe"
    language = "zh"

    def test_the_no_ntfs_notice_in_chinese(self):
        values = self.wait_box()
        self.check("the Chinese notice box's caption", values.get("box_caption"),
                   self.text("NoticeCaption"))
        self.check("the Chinese notice box's exact text",
                   unescape(values.get("box_text", "")), self.text("NoNtfsVolume"))
        self.probe("boxok")
        self.check("kxsearch.exe in Chinese ends with exit code 1", self.process.wait_exit(), 1)


if __name__ == "__main__":
    unittest.main()
