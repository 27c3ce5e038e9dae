"""The real program on a machine without an NTFS volume: Wine answers the USN control codes
with ERROR_NOT_SUPPORTED, so kxsearch.exe must say, in its notice box over the window that
was building the index, that it found no NTFS volume, and end with exit code 1 once the box is
closed. (The administrator notice cannot be reached here: Wine runs every program as an
administrator.)"""

import unittest

from tests.ui.harness import driver


class NoNtfsVolume(driver.WindowTest):
    program = "exe"

    def test_notice_box_over_the_indexing_window_then_exit_code_1(self):
        box = driver.find_window("^%s$" % driver.ere_escape(self.text("NoticeCaption")))
        self.check("no-NTFS message box shown", box is not None, True)
        if box is None:
            return
        indexing = driver.xdotool("search", "--name",
                                  "^" + driver.ere_escape(self.text("IndexingTitle")), timeout=5)
        self.check("main window under the box has the building-the-index title",
                   bool(indexing), True)
        values = driver.parse_lines(self.probe("box"))
        self.check("the notice box's caption", values.get("box_caption"),
                   self.text("NoticeCaption"))
        self.check("the notice box says no NTFS volume was found",
                   driver.unescape(values.get("box_text", "")), self.text("NoNtfsVolume"))
        driver.xdotool("windowfocus", "--sync", box, timeout=10)
        driver.xdotool("key", "Return", timeout=10)
        self.check("kxsearch.exe ends with exit code 1", self.process.wait_exit(), 1)


if __name__ == "__main__":
    unittest.main()
