"""Renews the README's two screenshots, docs/screenshot-en.png and docs/screenshot-zh.png:
the simulator build on the window tests' fixture volume, in each language, after a typed
query, a click on the Size column's title and a click on the second row, cropped to the
window.

    python3 -m tests.ui.harness.readme_screenshots [FOLDER]     (default: docs)

Needs what the window tests need (KX_UI_BUILD names the build); not one of them, so the test
runner leaves it out.
"""

import os
import re
import shutil
import sys
import time
import unittest

from tests.ui.harness import driver
from tests.ui.harness.environment import ROOT
from tests.ui.harness.waits import log, wait_until

QUERY = "report"
SIZE_COLUMN = 2


class English(driver.WindowTest):
    folder = os.path.join(ROOT, "docs")

    def test_save_the_window(self):
        self.type_text(QUERY)
        hits = self.wait_title_with_hits()
        self.click_header(SIZE_COLUMN)
        self.wait_state("title", hits)
        self.click(100, self.defs.row_top(1) + self.defs.number("list.row_height") // 2)
        # Away from the rows, so that no hover tip stands over the list.
        self.x.xdotool("mousemove", 1270, 1010)
        time.sleep(1.5)
        state = self.read_client_origin()
        _, _, width, height = state.client
        shot = self.shot("window")
        cropped = shot.crop(0, 0, width, height)
        target = os.path.join(self.folder, "screenshot-%s.png" % self.language)
        shutil.copyfile(cropped, target)
        log("saved " + os.path.relpath(target, ROOT))

    def wait_title_with_hits(self):
        before, _, after = self.text("MatchesTitleFormat").partition("%lld")
        pattern = re.compile(re.escape(before) + r"\d+" + re.escape(after) + "$")

        def poll():
            title = self.state().get("title", "")
            return title if pattern.match(title) else None

        return wait_until("a title with the number of hits", poll)


class Chinese(English):
    language = "zh"


def main():
    if len(sys.argv) > 1:
        English.folder = os.path.abspath(sys.argv[1])
    os.makedirs(English.folder, exist_ok=True)
    suite = unittest.TestSuite([English("test_save_the_window"),
                                Chinese("test_save_the_window")])
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=1).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
