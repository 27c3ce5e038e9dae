"""The window lives in the notification area: minimising hides it instead of leaving a
minimised window, ALT+Z shows and hides it from anywhere (also with another program's window
in front, which it must come in front of), and the tray icon shows it on a double-click only,
offers Show Window, About / Info and Exit Kestrix, and leaves with the program. A user who
loses the window here has no other way back to it."""

import time
import unittest

from tests.ui.harness import driver, popups
from tests.ui.harness.program import as_printed, unescape
from tests.ui.harness.xdisplay import title_pattern

load_tests = driver.load_tests_in_order

# The minimise box sends SC_MINIMIZE with low bits set; they must not matter.
MINIMISE_FROM_BOX = 0xF022


class TrayAndHotkey(popups.Popups, driver.WindowTest):

    def ready_title_pattern(self):
        return title_pattern(self.text("ReadyTitle"))

    def test_alt_z_hides_and_shows_the_window_over_another_one(self):
        self.show_window()
        self.expect_state("shown", "visible", "1")
        self.start_front_window()
        try:
            self.expect_state("another window in front", "foreground", "0")
            self.hotkey()
            self.expect_state("ALT+Z hides the visible window while another one is in front",
                              "visible", "0")
            self.hotkey()
            self.expect_state("ALT+Z shows it again", "visible", "1")
            self.expect_state("and brings it in front of the other window", "foreground", "1")
        finally:
            self.stop_front_window()

    def test_minimising_hides_into_the_tray_and_alt_z_brings_it_back(self):
        self.show_window()
        self.start_front_window()
        try:
            self.probe("syscommand", MINIMISE_FROM_BOX)
            self.expect_state("minimising hides the window", "visible", "0")
            self.check("hidden, not minimised", self.state().get("iconic"), "0")
            self.check("no X window mapped for the hidden window",
                       self.mapped(self.ready_title_pattern()), False)
            self.hotkey()
            self.expect_state("ALT+Z shows the minimised-away window", "visible", "1")
            self.expect_state("and brings it to the front", "foreground", "1")
            self.check("its X window is mapped again", self.mapped(self.ready_title_pattern()),
                       True)
        finally:
            self.stop_front_window()

    def test_only_a_double_click_on_the_tray_icon_shows_the_window(self):
        self.show_window()
        self.hide()
        self.expect_state("minimising hides the window again", "visible", "0")
        icon = self.expect("Wine shows the tray icon", self.tray_icon)
        if icon is None:
            return
        self.x.click_at(*icon)
        self.check("a single click on the icon does nothing",
                   self.state_after(1.5).get("visible"), "0")
        self.x.click_at(*icon, "--repeat", 2, "--delay", 80, 1)
        self.expect_state("a double-click on the icon shows the window", "visible", "1")
        self.expect_state("and brings it to the front", "foreground", "1")

    def state_after(self, seconds):
        time.sleep(seconds)
        return self.state()

    def tray_items(self):
        return [self.text("TrayShowWindow"), self.text("TrayAbout"), "-", self.text("TrayExit")]

    def choose_tray_item(self, k):
        return self.choose_from_menu("tray-menu-en", self.tray_items(), k, self.open_tray_menu)

    def test_tray_menu_items_and_show_window(self):
        self.show_window()
        self.hide()
        self.expect_state("hidden for the menu", "visible", "0")
        opened = self.expect("a right click on the icon opens the menu", self.open_tray_menu)
        if opened:
            same, _ = self.menu_matches_replica("tray-menu-en", self.tray_items())
            self.check("tray menu: Show Window, About / Info, a separator, Exit Kestrix", same,
                       True)
            self.check("the menu leaves the window hidden", self.state().get("visible"), "0")
        self.choose_tray_item(0)
        self.expect_state("Show Window shows the window", "visible", "1")
        self.expect_state("and brings it to the front", "foreground", "1")

    def test_about_box_from_the_tray_menu(self):
        self.show_window()
        self.hide()
        self.expect_state("hidden for the About box", "visible", "0")
        self.choose_tray_item(1)
        box = self.expect("About / Info opens the About box", self.wait_box)
        if box is None:
            return
        self.check("About box caption", box.get("box_caption"), self.text("AboutCaption"))
        self.check("About box text: four lines", box.get("box_text"),
                   as_printed(unescape(self.defs.values["about.en"])))
        self.check("About box has an OK button", box.get("box_ok_text"), "OK")
        self.screen_shot("about-en")
        self.expect("OK closes the About box", lambda: self.click_box_ok(box))

    def test_exit_from_the_tray_menu_ends_the_program_and_removes_the_icon(self):
        self.show_window()
        self.hide()
        self.wait_state("visible", "0")
        self.check("the icon is still there before exit", self.tray_visible(), True)
        chosen = self.expect("Exit Kestrix chosen from the tray menu",
                             lambda: self.choose_tray_item(3))
        if not chosen:
            self.probe("close")
        self.check("Exit Kestrix ends the program with exit code 0", self.process.wait_exit(), 0)
        self.expect("the tray icon is gone after exit", self.wait_tray_gone)


if __name__ == "__main__":
    unittest.main()
