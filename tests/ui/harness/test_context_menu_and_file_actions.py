"""The results list's context menu and what its commands do to real files. The file commands
act on the row under the pointer and on nothing else (grayed below the rows and on the header;
a new list while the menu is open leaves them asking for a row); copy, open, open the folder,
properties, delete (after asking; a file in use and a directory give the system's code; a real
delete is reported and leaves the index), run as administrator and the double-click reach the
shell; the two filter commands open the configuration folder and reset the tags to the
defaults. These commands change the user's files: acting on the wrong row, or without asking,
is data lost.

Real files on Wine's C: stand at the simulated paths of C:\\Projects, so that the shell and
DeleteFileW act on files the index lists; KX_SIM_FOLLOW_DELETES carries a deletion over to the
simulated volume. The class writes its own filters.ini: the English defaults as the program
writes them on a first start, with the first category renamed and one more category after
them, so that a reset both renames the tags and shortens the category list. The tests that
change what others rely on (a real delete, a reset) put it back and start the window again.
"""

import os
import shutil
import subprocess
import time
import unittest

from tests.ui.harness import driver, popups
from tests.ui.harness.environment import run_wine
from tests.ui.harness.program import as_printed
from tests.ui.harness.waits import WaitTimeout, wait_until
from tests.ui.harness.xdisplay import Shot, run_command

load_tests = driver.load_tests_in_order

MENU = "list-menu-en"
OPEN, OPEN_FOLDER, DELETE, RUN_AS_ADMIN, COPY_PATH, PROPERTIES = 0, 1, 3, 4, 5, 6
OPEN_FILTER_FOLDER, RESET_FILTERS = 8, 9
ITEMS = (OPEN, OPEN_FOLDER, DELETE, RUN_AS_ADMIN, COPY_PATH, PROPERTIES, OPEN_FILTER_FOLDER,
         RESET_FILTERS)
YES, NO = 6, 7
NOTES = r"C:\Projects\notes.txt"
RENAMED_FIRST = "Everything"
# A category past the defaults: after a reset the list is one shorter than the tag bar.
SURPLUS_NAME = "Old"


def same_bytes(a, b):
    with open(a, "rb") as first, open(b, "rb") as second:
        return first.read() == second.read()


class ContextMenuAndFileActions(popups.Popups, driver.WindowTest):
    program_env = {"KX_SIM_FOLLOW_DELETES": "1"}

    @classmethod
    def prepare(cls):
        cls.config_dir = os.path.join(cls.machine.user_documents, "Kestrix", "config")
        cls.ini = os.path.join(cls.config_dir, "filters.ini")
        # A first start writes the English defaults, kept for the reset to be compared with.
        # They are written before the window is made: once it has a title the file is whole.
        first = cls.launch("kxsearch_sim.exe", cls.launch_env(), log_name="first-start")
        wait_until("the first start's window", lambda: cls.state().get("title"),
                   seen=first.describe)
        first.kill()
        cls.defaults = os.path.join(cls.machine.folder, "defaults-en.ini")
        shutil.copyfile(cls.ini, cls.defaults)
        with open(cls.defaults, "rb") as reader:
            text = reader.read()
        first = (cls.defs.category("en", 0) + "=").encode()
        custom = text.replace(first, (RENAMED_FIRST + "=").encode(), 1)
        custom += (SURPLUS_NAME + "=.old\r\n").encode()
        cls.custom = os.path.join(cls.machine.folder, "custom.ini")
        with open(cls.custom, "wb") as writer:
            writer.write(custom)
        cls.projects = os.path.join(cls.machine.drive_c, "Projects")
        shutil.rmtree(cls.projects, ignore_errors=True)
        os.makedirs(cls.projects)
        cls.put_back_prepared()
        # A fresh prefix knows txtfile (Notepad) but does not give .txt that class.
        run_wine(cls.machine.env, "reg", "add", r"HKCR\.txt", "/ve", "/t", "REG_SZ", "/d",
                 "txtfile", "/f")

    @classmethod
    def put_back_prepared(cls):
        """The custom filters.ini and the real files at the simulated paths, as the program
        must find them when it starts: it watches only files that exist then."""
        shutil.copyfile(cls.custom, cls.ini)
        for name, text in (("notes.txt", "notes\n"), ("README", "readme\n")):
            with open(os.path.join(cls.projects, name), "w") as writer:
                writer.write(text)
        shutil.copyfile(os.path.join(cls.harness.bin, "run_marker.exe"),
                        os.path.join(cls.projects, "tool.exe"))

    def start_again_as_prepared(self):
        self.put_back_prepared()
        self.restart_program()

    # -- Places and steps.

    def first_row_y(self):
        return self.defs.row_top(0) + 10

    def below_rows_y(self):
        return self.defs.row_top(3) + 10

    def header_y(self):
        return (self.defs.number("list.top") + self.defs.number("list.header_bottom")) // 2

    def menu_items(self):
        t = self.text
        return [t("MenuOpen"), t("MenuOpenFolder"), "-", t("MenuDelete"), t("MenuRunAsAdmin"),
                t("MenuCopyPath"), t("MenuProperties"), "-", t("MenuOpenFilterFolder"),
                t("MenuResetFilters")]

    def menu_inks(self, name):
        """Compares the open menu with the replica (closing it); the eight items' inks."""
        _, shot = self.menu_matches_replica(MENU, self.menu_items(), name)
        self.last_menu_shot = shot
        return [self.item_ink(shot, MENU, k) for k in ITEMS]

    def list_command(self, y, item):
        """A right click at client y on the list, then the menu's item."""
        self.choose_from_menu(MENU, self.menu_items(), item, lambda: self.open_list_menu(y))

    def search_for(self, text, hits, description=None):
        # Typed again when the box did not take it: Wine can take the first click after another
        # program's window closed only as the window's activation.
        for _ in range(3):
            self.press("BackSpace", 20)
            self.type_text(text)
            if self.state().get("search") == text:
                break
        self.check("the search box holds %r" % text, self.state().get("search"), text)
        self.expect_state(description or "one hit for %s" % text, "title",
                          self.matches_title(hits))

    def selected_at_row0(self, shot):
        return self.pixel_at(shot, 3, self.defs.row_top(0) + 4)

    def pixel_at(self, shot, x, y):
        """A pixel of a screen shot, in client coordinates."""
        return Shot(shot.path, self.origin).pixel(x, y)

    def confirm_delete(self):
        self.wait_box(self.text("DeleteCaption"))
        self.probe("boxpress", YES)

    def error_code(self, text_format, description):
        """Waits for the error box, checks that its text is the format with a code, and
        closes it."""
        box = self.wait_box(self.text("ErrorCaption"))
        prefix = as_printed(self.text(text_format).replace("%lu", ""))
        text = box.get("box_text", "")
        code = text[len(prefix):] if text.startswith(prefix) else ""
        self.check("%s (%s)" % (description, code or text), code.isdigit(), True)
        self.press_box(1)

    def wait_file(self, path):
        return wait_until(path, lambda: os.path.exists(path))

    # -- Tests, in the order of one user's session; each searches for what it acts on.

    def test_a_changed_filters_ini_is_loaded(self):
        self.read_client_origin()
        self.check("a changed filters.ini is loaded", self.tag(0).caption.split("\n")[0],
                   RENAMED_FIRST)
        self.search_for("notes", 1)

    def test_file_items_need_a_row_under_the_pointer(self):
        self.search_for("notes", 1)
        selected = self.defs.colour("selected_row")
        self.open_list_menu(self.first_row_y())
        inks = self.menu_inks("menu-row")
        self.check("menu on a row: all eight items enabled", inks, ["black"] * 8)
        self.check("the right-clicked row is selected before the menu opens",
                   self.selected_at_row0(self.last_menu_shot), selected)
        grayed_files = ["gray"] * 6 + ["black"] * 2
        self.open_list_menu(self.below_rows_y())
        inks = self.menu_inks("menu-below")
        self.check("below the last row: the six file items grayed, the two filter items not",
                   inks, grayed_files)
        self.check("a click below the rows keeps the selection",
                   self.pixel_at(self.last_menu_shot, 3, self.defs.row_top(0) + 4), selected)
        self.open_list_menu(self.header_y())
        self.check("on the header: the six file items grayed, the two filter items not",
                   self.menu_inks("menu-header"), grayed_files)

    def test_open_filter_config_folder(self):
        self.search_for("notes", 1)
        self.list_command(self.below_rows_y(), OPEN_FILTER_FOLDER)
        self.expect("Open Filter Config Folder opens a folder window on config",
                    lambda: self.wait_window("ExplorerWClass", "config$"))
        self.close_window("ExplorerWClass", "config$", "config")

    def test_copy_path_puts_the_full_path_on_both_clipboards(self):
        self.search_for("notes", 1)
        self.list_command(self.first_row_y(), COPY_PATH)
        box = self.wait_box(self.text("SuccessCaption"))
        path = NOTES
        self.check("copy path: notice", box.get("box_text"), as_printed(self.text("PathCopied")))
        shot = self.screen_shot("box-copied")
        self.check("copy path: information icon", self.icon_kind(shot, box), "information")
        clipboard = self.probe.values("clipboard")
        self.check("clipboard holds CF_UNICODETEXT", clipboard.get("clipboard_unicode"), "1")
        self.check("clipboard text is the full path", clipboard.get("clipboard_text"), path)
        x_clipboard = run_command(["xclip", "-o", "-selection", "clipboard"], self.x.env, 5)
        self.check("the X clipboard has the path", x_clipboard, path)
        self.press_box(1)

    def test_a_new_list_while_the_menu_is_open_leaves_the_commands_asking_for_a_row(self):
        # A new result list while the menu is open clears the selection, so a file command
        # then asks for a row instead of acting on whatever now stands in the old one.
        self.search_for("notes", 1)
        self.open_list_menu(self.first_row_y())
        self.probe("settext", "o")
        wait_until("a new list", lambda: self.state().get("title") != self.matches_title(1))
        self.choose_item(MENU, COPY_PATH)
        box = self.wait_box(self.text("InfoCaption"))
        self.check("a search while the menu is open: the command asks for a row",
                   box.get("box_text"), as_printed(self.text("SelectFileFirst")))
        self.press_box(1)

    def test_open_open_folder_and_properties_go_to_the_shell(self):
        self.search_for("notes", 1)
        self.list_command(self.first_row_y(), OPEN)
        self.expect("open: the shell starts Notepad on the file",
                    lambda: self.wait_window("Notepad", r"notes\.txt"))
        self.close_window("Notepad", r"notes\.txt", "Notepad")
        self.list_command(self.first_row_y(), OPEN_FOLDER)
        self.expect("open containing folder: a folder window on Projects",
                    lambda: self.wait_window("ExplorerWClass", "Projects$"))
        self.close_window("ExplorerWClass", "Projects$", "Projects")
        self.list_command(self.first_row_y(), PROPERTIES)
        # Wine's shell has no properties sheet for files: ShellExecuteExW fails and says why.
        # A shell that has one shows no box, which is as right.
        try:
            self.error_code("PropertiesFailedFormat",
                            "properties: the shell's failure shown with its code")
        except WaitTimeout:
            self.check("properties: the shell took the request without an error", True, True)

    def test_delete_asks_and_reports_a_file_in_use(self):
        notes = os.path.join(self.projects, "notes.txt")
        self.search_for("notes", 1)
        holder = self.probe.start("hold", NOTES, "60000", stdout=subprocess.PIPE)
        try:
            holder.stdout.readline()  # "holding" once the file is open
            self.list_command(self.first_row_y(), DELETE)
            box = self.wait_box(self.text("DeleteCaption"))
            self.check("delete asks with the path", box.get("box_text"),
                       as_printed(self.text("DeleteQuestion") + NOTES))
            self.check("delete question: Yes and No", box.get("box_buttons"),
                       "%d,%d" % (YES, NO))
            shot = self.screen_shot("box-question")
            self.check("delete question: warning icon", self.icon_kind(shot, box), "warning")
            self.press_box(NO)
            self.check("No leaves the file", os.path.exists(notes), True)
            self.list_command(self.first_row_y(), DELETE)
            self.confirm_delete()
            box = self.wait_box(self.text("ErrorCaption"))
            self.check("deleting a file in use: the system's code 32", box.get("box_text"),
                       as_printed(self.text("DeleteFailedFormat").replace("%lu", "32")))
            shot = self.screen_shot("box-in-use")
            self.check("delete error: error icon", self.icon_kind(shot, box), "error")
            self.press_box(1)
        finally:
            holder.kill()
            holder.wait()
        self.check("the file in use is still there", os.path.exists(notes), True)

    def test_a_real_delete_is_reported_and_the_file_leaves_the_index(self):
        self.search_for("notes", 1)
        # The file goes from the drive and from the index: the next test gets both back.
        self.addCleanup(self.start_again_as_prepared)
        selected, white = self.defs.colour("selected_row"), self.defs.colour("background")
        row0_y = self.defs.row_top(0) + 4
        self.list_command(self.first_row_y(), DELETE)
        self.confirm_delete()
        box = self.wait_box(self.text("SuccessCaption"))
        self.check("delete: notice", box.get("box_text"), as_printed(self.text("FileDeleted")))
        self.check("the file is gone from Wine's drive",
                   os.path.exists(os.path.join(self.projects, "notes.txt")), False)
        shot = self.screen_shot("box-deleted")
        self.check("the list waits for the notice: row 0 still selected",
                   self.pixel_at(shot, 3, row0_y), selected)
        self.press_box(1)
        self.expect("closing the notice searches again (selection cleared)",
                    lambda: wait_until("the selection to clear", lambda: self.pixel_at(
                        self.screen_shot("after-delete"), 3, row0_y) == white,
                        seen=lambda: "row 0 in " + self.pixel_at(
                            self.screen_shot("after-delete"), 3, row0_y)))

        def gone():
            if self.state().get("title") == self.matches_title(0):
                return True
            self.press("Return")
            time.sleep(0.5)
            return False

        self.expect("the deleted file leaves the index",
                    lambda: wait_until("0 matches", gone,
                                       seen=lambda: repr(self.state().get("title"))))

    def test_a_directory_is_not_deleted_and_opens_as_a_folder(self):
        self.search_for("Projects", 1, "one hit for the directory")
        self.list_command(self.first_row_y(), DELETE)
        self.confirm_delete()
        self.error_code("DeleteFailedFormat", "deleting a directory: the system's code")
        self.check("the directory is still there", os.path.isdir(self.projects), True)
        self.list_command(self.first_row_y(), OPEN)
        self.expect("open on a directory: a folder window on it",
                    lambda: self.wait_window("ExplorerWClass", "Projects$"))
        self.close_window("ExplorerWClass", "Projects$", "Projects")

    def test_run_as_administrator_and_double_click_run_the_program(self):
        self.search_for("tool", 1, "one hit for tool.exe")
        marker = os.path.join(self.projects, "tool.exe.ran")
        if os.path.exists(marker):
            os.remove(marker)
        self.list_command(self.first_row_y(), RUN_AS_ADMIN)
        self.expect("run as administrator: the shell runs the program",
                    lambda: self.wait_file(marker))
        if os.path.exists(marker):
            os.remove(marker)
        self.x.click_at(*self.client_point(100, self.first_row_y()), "--repeat", 2, "--delay",
                        80, 1)
        self.expect("a double-click opens the hit", lambda: self.wait_file(marker))

    def test_reset_asks_in_chinese_and_no_keeps_the_custom_tags(self):
        self.search_for("notes", 1)
        self.list_command(self.below_rows_y(), RESET_FILTERS)
        box = self.wait_box(self.text("ResetFiltersCaption"))
        self.check("reset asks in Chinese under English", box.get("box_text"),
                   as_printed(self.defs.text("zh", "ResetFiltersQuestion")))
        self.check("reset question: Yes and No", box.get("box_buttons"), "%d,%d" % (YES, NO))
        self.press_box(NO)
        self.check("No leaves filters.ini", same_bytes(self.ini, self.custom), True)
        self.check("No leaves the tags", self.tag(0).caption, "%s\n(1)" % RENAMED_FIRST)

    def test_reset_yes_writes_the_defaults_and_renames_the_tags(self):
        categories = self.defs.number("categories.en.count")
        self.search_for("notes", 1)
        # The defaults replace the custom file: the next test gets it back.
        self.addCleanup(self.start_again_as_prepared)
        self.list_command(self.below_rows_y(), RESET_FILTERS)
        self.wait_box(self.text("ResetFiltersCaption"))
        self.press_box(YES)
        self.expect("Yes writes the defaults into filters.ini",
                    lambda: wait_until("the defaults in filters.ini",
                                       lambda: same_bytes(self.defaults, self.ini)))
        self.check("filters.bak keeps the start-up copy",
                   same_bytes(os.path.join(self.config_dir, "filters.bak"), self.custom), True)
        self.expect_state("Yes refreshes the tag bar", "title", self.matches_title(1))
        tags = self.tags()
        self.check("the first tag has its default name and count", tags[0].caption,
                   self.caption(0, 1))
        # The surplus tag stays as it was; a click on it is no category and changes nothing.
        surplus = tags[categories]
        self.check("the tag past the shorter list keeps its caption and place",
                   (surplus.caption, surplus.visible), ("%s\n(0)" % SURPLUS_NAME, True))
        self.check("every default category has its name back",
                   [tag.caption.split("\n")[0] for tag in tags[:categories]],
                   [self.category(k) for k in range(categories)])
        before = self.state()
        self.click(surplus.x + 10, surplus.y + surplus.height // 2)
        time.sleep(1)
        after = self.state()
        self.check("a click on the tag past the list changes neither filter nor title",
                   (after.get("title"), after.get("status"), after.tags()[categories].marked),
                   (before.get("title"), before.get("status"), False))

    def test_closing_ends_with_exit_code_0(self):
        self.probe("close")
        self.check("closing ends with exit code 0", self.process.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()
