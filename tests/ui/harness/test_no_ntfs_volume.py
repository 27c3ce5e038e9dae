"""The real program on a machine without an NTFS volume: Wine answers the USN control codes
with ERROR_NOT_SUPPORTED, so kxsearch.exe must say, in its notice box over the window that
was building the index, that it found no NTFS volume, and end with exit code 1 once the box is
closed. (The administrator notice cannot be reached here: Wine runs every program as an
administrator.) The simulator build's refusal of a volume file it cannot use is checked here
too: it must not look like this notice."""

import os
import unittest

from tests.ui.harness import driver
from tests.ui.harness.environment import winpath
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


class RefusedVolumeFile(driver.WindowTest):
    """The simulator build over a volume file it cannot use: it names the file and why, on
    standard error and in a box, and ends with exit code 3, instead of passing for a machine
    without NTFS (which would hide a measurement that never ran)."""

    start_program = False

    def test_a_missing_volume_file_is_named_and_ends_the_program(self):
        missing = os.path.join(self.machine.folder, "missing.mft")
        cls = type(self)
        cls.process = self.launch("kxsearch_sim.exe",
                                  self.launch_env({"KX_SIM_VOLUME": winpath(missing)}),
                                  log_name="refused")
        box = self.expect("a box says the volume file cannot be used",
                          lambda: self.x.find_window("^Kestrix simulator$"))
        if box is None:
            return
        self.check("no main window behind it", self.x.search("^Kestrix"), [box])
        self.x.xdotool("windowfocus", "--sync", box, timeout=10)
        self.x.xdotool("key", "Return", timeout=10)
        self.check("refused: exit code 3", self.process.wait_exit(), 3)
        said = self.process.output()
        self.check("standard error names the file and why",
                   (winpath(missing) in said, "cannot be opened" in said), (True, True))


if __name__ == "__main__":
    unittest.main()
