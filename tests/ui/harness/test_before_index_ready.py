"""The window before its index is ready, in Chinese, whose idle title differs from its ready
title: the simulated C: answers nothing until the test lets it, so the window stays in its
building state for as long as a test needs. A user can type, click a tag or close the window
while a large volume is still being read; none of these may act on an index that is not there,
and closing must not wait for the build."""

import os
import unittest

from tests.ui.harness import driver
from tests.ui.harness.environment import winpath

load_tests = driver.load_tests_in_order


class BeforeIndexReady(driver.WindowTest):
    language = "zh"
    start_program = False

    def start_held(self):
        """Starts the program with C: holding its answers until the release file exists."""
        release = os.path.join(self.machine.folder, "release-index")
        if os.path.exists(release):
            os.remove(release)
        cls = type(self)
        cls.starts = getattr(cls, "starts", 0) + 1
        cls.process = self.launch(
            "kxsearch_sim.exe", self.launch_env({"KX_SIM_HOLD_INDEX": winpath(release)}),
            log_name="held-start-%d" % cls.starts)
        return release

    def wait_indexing_title(self):
        return self.wait_state("title", self.text("IndexingTitle"))

    def test_search_waits_for_the_index_and_a_tag_click_gives_the_idle_title(self):
        release = self.start_held()
        shown = self.expect("the indexing title while the volume answers nothing",
                            self.wait_indexing_title)
        if shown:
            state = self.read_client_origin()
            self.check("the search box takes no input yet", state.get("search_enabled"), "0")
            self.click_tag(0)
            self.expect_state("a tag click before the index: the idle title", "title",
                              self.text("IdleTitle"))
            open(release, "w").close()
            self.expect_state("then the ready title once the index is built", "title",
                              self.text("ReadyTitle"))
            self.expect_state("and the search box is enabled", "search_enabled", "1")
        self.probe("close")
        self.check("closing ends with exit code 0", self.process.wait_exit(), 0)

    def test_closing_while_the_index_is_still_being_built(self):
        self.start_held()
        self.wait_indexing_title()
        self.probe("close")
        self.check("closing while the index is still being built: exit code 0",
                   self.process.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
