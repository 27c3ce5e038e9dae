"""The real program on a machine without an NTFS volume: Wine answers the USN control codes
with ERROR_NOT_SUPPORTED, so kxsearch.exe must say, in its notice box over the window that
was building the index, that it found no NTFS volume, and end with exit code 1 once the box is
closed. (The administrator notice cannot be reached here: Wine runs every program as an
administrator.)"""

import unittest

from tests.ui.harness import driver
from tests.ui.harness.program import unescape
from tests.ui.harness.xdisplay import ere_escape


class NoNtfsVolume(driver.WindowTest):
    program = "exe"

    def test_notice_box_over_the_indexing_window_then_exit_code_1(self):
        box = self.expect("no-NTFS message box shown", lambda: self.x.find_window(
            "^%s$" % ere_escape(self.text("NoticeCaption"))))
        if box is None:
            return
        indexing = self.x.search("^" + ere_escape(self.text("IndexingTitle")))
        self.check("main window under the box has the building-the-index title",
                   bool(indexing), True)
        values = self.probe.values("box")
        self.check("the notice box's caption", values.get("box_caption"),
                   self.text("NoticeCaption"))
        self.check("the notice box says no NTFS volume was found",
                   unescape(values.get("box_text", "")), self.text("NoNtfsVolume"))
        self.x.xdotool("windowfocus", "--sync", box, timeout=10)
        self.x.xdotool("key", "Return", timeout=10)
        self.check("kxsearch.exe ends with exit code 1", self.process.wait_exit(), 1)


if __name__ == "__main__":
    unittest.main()
