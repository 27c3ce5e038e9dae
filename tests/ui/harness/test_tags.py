"""The filter tag bar, in English: the buttons' places in one row, what a click on a tag does
to the title, the status line and the marks, and how a narrow window wraps the tags into a
second row and hides those that fit in neither. Child controls are not X windows under Wine,
so the probe reads their places, marks and captions."""

import os
import subprocess
import sys
import time
import unittest

from tests.ui.harness import driver
from tests.ui.harness.environment import ROOT, winpath
from tests.ui.harness.waits import wait_until

load_tests = driver.load_tests_in_order

DOCUMENTS = 1
SC_MINIMIZE = 0xF020
WM_LBUTTONDBLCLK = 0x0203  # the tray icon's double-click, which shows the window


class TagBar(driver.WindowTest):
    # A file on Wine's C: whose removal the simulator turns into a journal record.
    program_env = {"KX_SIM_FOLLOW_DELETES": "1"}

    @classmethod
    def prepare(cls):
        cls.doomed = cls.machine.make_file("Reports", "report-040.docx")

    def test_tags_before_a_search(self):
        self.fresh_window()
        tags = self.tags()
        self.check("tag captions carry no count before a search", tags[DOCUMENTS].caption,
                   self.category(DOCUMENTS))
        d = self.defs
        in_row = all(tags[k + 1].x == tags[k].x + tags[k].width + d.number("tags.gap")
                     for k in range(len(tags) - 1))
        in_row = in_row and all(tag.y == d.number("tags.first_row_top") for tag in tags)
        in_row = in_row and tags[0].x == d.number("tags.row_left")
        self.check("seven tags in one row at y 55 from x 15, 10 pixels apart",
                   (len(tags), in_row), (int(d.values["categories.en.count"]), True))
        self.check("no tag is marked before the first click",
                   [tag.marked for tag in tags], [False] * len(tags))

    def test_a_tag_click_filters_and_marks_the_tag(self):
        self.start_over("report", 41)
        self.click_tag(DOCUMENTS)
        self.expect_state("a tag click filters the title", "title", self.matches_title(40))
        state = self.state()
        self.check("status line names the tag", state.get("status"),
                   self.status_text(DOCUMENTS, 40))
        tags = state.tags()
        self.check("the clicked tag is marked", tags[DOCUMENTS].marked, True)
        self.check("the other tags are not", tags[0].marked, False)

    def test_a_narrow_window_wraps_the_tags_and_hides_some(self):
        # Captions with counts: which tags fit in a row depends on their widths.
        self.start_over("report", 41)
        d = self.defs
        first, step = d.number("tags.first_row_top"), d.number("tags.row_step")
        width = 400
        self.resize(width, 750)
        tags = self.tags()
        client_width = self.origin[2]
        right = client_width - d.number("tags.right_margin")
        shown = [tag for tag in tags if tag.visible]
        wrapped = all(tag.y in (first, first + step) and tag.x + tag.width <= right
                      for tag in shown)
        self.check("narrow window: two rows of tags inside the right margin", wrapped, True)
        hidden = len(tags) - len(shown)
        self.check("narrow window hides %d tags" % hidden, hidden > 0, True)
        self.check("narrow window: first tag of the second row at x 15, y 95",
                   (tags[2].x, tags[2].y), (d.number("tags.row_left"), first + step))
        self.resize(1200, 750)
        back = [tag for tag in self.tags() if tag.visible and tag.y == first]
        self.check("widened again: every tag back in the first row", len(back), len(tags))

    def test_counts_leave_out_a_hit_deleted_after_the_search(self):
        # The file goes from the drive and from the index: the next test gets both back (the
        # simulator follows only files there when it started).
        self.addCleanup(self.put_back, self.doomed)
        self.start_over()
        self.click_tag(0)
        self.search("report", 41)
        os.remove(self.doomed)
        documents = self.caption(DOCUMENTS, 39)

        def counted_again():
            # A re-sort counts the tags again on the hits the search kept.
            self.click_header(2, settle=1)
            return self.tag(DOCUMENTS).caption == documents

        wait_until("the Documents count without the deleted file", counted_again,
                   seen=lambda: repr(self.tag(DOCUMENTS).caption))
        tags = self.tags()
        self.check("a category leaves out the hit deleted after the search",
                   tags[DOCUMENTS].caption, documents)
        self.check("All Files still counts every hit of the search", tags[0].caption,
                   self.caption(0, 41))

    def test_a_tag_click_with_an_empty_box_counts_nothing(self):
        # The box emptied in one change keeps the hits; a tag click searches for nothing.
        self.probe("settext", "")
        self.click_tag(DOCUMENTS)
        self.wait_state("title", self.text("IdleTitle"))
        tags = self.tags()
        self.check("a tag click with an empty box: every count 0",
                   [tag.caption for tag in tags],
                   [self.caption(k, 0) for k in range(len(tags))])


class TagBarPicture(driver.WindowTest):
    """What the tag bar shows, not only what its buttons hold: counts that gain or lose digits
    move and resize the buttons on every key, and the strip must then show the new captions
    alone, as a window drawn afresh shows them. Over the names of a real tree (this machine's
    /usr, mirrored to 200,000 records), whose counts move some buttons without resizing them:
    the fixture volume's counts are too even for that."""

    RECORDS = 200000
    WORDS = ("config", "kern")

    @classmethod
    def prepare(cls):
        volume = os.path.join(cls.machine.folder, "mirror.mft")
        subprocess.run([sys.executable, os.path.join(ROOT, "scripts", "mirror_volume.py"),
                        volume, str(cls.RECORDS), "/usr"], check=True,
                       stdout=subprocess.DEVNULL)
        cls.program_env = {"KX_SIM_VOLUME": winpath(volume), "KX_SIM_SIDECAR": ""}

    def test_captions_are_drawn_whole_after_their_widths_change(self):
        d = self.defs
        # Typed as a user types, one key at a time, the box cleared between words: captions
        # grow on the first keys of a word and shrink on the later ones.
        for word in self.WORDS:
            self.press("BackSpace", 40)
            self.press("Return")
            time.sleep(1)
            for key in word:
                self.x.xdotool("type", "--", key)
                time.sleep(0.4)
        top = d.number("tags.first_row_top") - 2
        strip = (0, top, self.origin[2], d.number("tags.row_step") +
                 d.number("tags.button_height") + 4)
        typed = self.shot("strip-typed", settle=1)
        # Hidden and shown again, the window paints all of itself and every button.
        self.probe("syscommand", SC_MINIMIZE)
        self.wait_state("visible", "0")
        self.probe("tray", WM_LBUTTONDBLCLK)
        self.wait_state("visible", "1")
        fresh = self.shot("strip-fresh", settle=1)
        self.check("after counts of other widths the tag bar shows its captions alone",
                   typed.same_area(fresh, *strip), True)

if __name__ == "__main__":
    unittest.main()
