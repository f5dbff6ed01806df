"""The desktop shortcut: the first start writes "MURAVA电台.lnk" to the desktop,
pointing at the running program; a start with a file of that name (of any
content) leaves it as it is; once deleted, the next start writes it again.
Where it cannot be written (a folder of that name, a desktop that cannot be
written to) the program starts, runs and closes normally, writing nothing and
losing nothing.

The prefix's desktop is a link to the state folder's HOME; the tests keep to
it and clear up what they put there."""

import os
import pathlib
import shutil
import unittest

import radio

# A shell link: header size 0x4C, then CLSID_ShellLink.
LINK_MAGIC = bytes.fromhex("4c000000" "0114020000000000c000000000000046")
# root ignores permission bits; without these capabilities it does not.
NO_OVERRIDE = ("setpriv", "--bounding-set", "-dac_override,-dac_read_search",
               "--inh-caps", "-dac_override,-dac_read_search")


def snapshot(folder):
    """Every entry under `folder` (Wine's hidden dot files aside) with its
    kind, content and modification time."""
    entries = {}
    for root, dirs, files in os.walk(folder):
        dirs[:] = [d for d in dirs if not d.startswith(".")]
        for name in dirs + [f for f in files if not f.startswith(".")]:
            path = os.path.join(root, name)
            info = os.lstat(path)
            content = None if os.path.isdir(path) else pathlib.Path(path).read_bytes()
            entries[os.path.relpath(path, folder)] = (os.path.isdir(path), content,
                                                      info.st_mtime_ns)
    return entries


def remove(path):
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path)
    elif os.path.lexists(path):
        os.remove(path)


class DesktopFixture:
    wrapper = ()

    @classmethod
    def setUpClass(cls):
        cls.session = radio.Session(wrapper=cls.wrapper).__enter__()
        cls.addClassCleanup(cls.session.__exit__, None, None, None)
        desktop = radio.probe("desktop")
        cls.desktop = os.path.realpath(desktop["unix"])
        cls.desktop_windows = desktop["path"]
        cls.link = os.path.join(cls.desktop, radio.SHORTCUT_NAME)
        cls.exe_windows = radio.windows_path(radio.EXE)

    def setUp(self):
        remove(self.link)
        self.addCleanup(remove, self.link)

    def run_program(self, close=False):
        """Starts the program, waits for its window, then closes it by its
        close button (checking the normal end) or ends it."""
        with radio.Program(wrapper=self.wrapper) as program:
            radio.park_pointer()
            layout = radio.FormLayout(program.wait_for_form())
            if close:
                radio.click(*layout.centre(layout.close_button))
                self.assertEqual(program.wait_exit(), 0)
                self.assertEqual(program.windows(), [])

    def assertLinksToProgram(self):
        with open(self.link, "rb") as file:
            self.assertEqual(file.read(len(LINK_MAGIC)), LINK_MAGIC)
        link = radio.probe("shortcut", self.desktop_windows + "\\" + radio.SHORTCUT_NAME)
        self.assertTrue(link["loaded"], link)
        self.assertEqual(link["path"].lower(), self.exe_windows.lower())
        self.assertEqual(link["arguments"], "")


class ShortcutTest(DesktopFixture, unittest.TestCase):
    def test_written_at_first_start_kept_then_written_again_after_deletion(self):
        self.run_program()
        self.assertLinksToProgram()

        before = snapshot(self.desktop)
        self.run_program()
        self.assertEqual(snapshot(self.desktop), before)

        os.remove(self.link)
        self.run_program()
        self.assertLinksToProgram()

    def test_a_file_of_that_name_is_left_byte_for_byte(self):
        for content in (b"", b"not a link \x00\xff\xb5\xe7\r\n" * 50):
            with self.subTest(size=len(content)):
                with open(self.link, "wb") as file:
                    file.write(content)
                os.utime(self.link, ns=(10**18, 10**18))
                before = snapshot(self.desktop)
                self.run_program()
                self.assertEqual(snapshot(self.desktop), before)

    def test_a_folder_of_that_name_stops_nothing(self):
        os.mkdir(self.link)
        with open(os.path.join(self.link, "keep.txt"), "wb") as file:
            file.write(b"kept")
        before = snapshot(self.desktop)
        self.run_program(close=True)
        self.assertEqual(snapshot(self.desktop), before)


class ReadOnlyDesktopTest(DesktopFixture, unittest.TestCase):
    """The whole Wine session runs without the capabilities that would let
    root write anyway; the desktop folder itself is made read-only."""

    wrapper = NO_OVERRIDE if os.geteuid() == 0 else ()

    @classmethod
    def setUpClass(cls):
        desktop = radio.desktop_folder()
        remove(os.path.join(desktop, radio.SHORTCUT_NAME))
        notes = os.path.join(desktop, "notes.txt")
        with open(notes, "wb") as file:
            file.write(b"left alone")
        cls.addClassCleanup(remove, notes)
        mode = os.stat(desktop).st_mode & 0o7777
        os.chmod(desktop, 0o555)
        cls.addClassCleanup(os.chmod, desktop, mode)
        super().setUpClass()

    def setUp(self):
        # The link could not go now; the class starts without one.
        self.assertFalse(os.path.lexists(self.link))

    def test_a_read_only_desktop_stops_nothing(self):
        # The fixture works: Wine itself cannot write there.
        canary = os.path.join(self.desktop, "canary.txt")
        self.addCleanup(remove, canary)
        radio.run_wine(["cmd", "/c", f"echo x>{self.desktop_windows}\\canary.txt"], check=False)
        self.assertFalse(os.path.exists(canary), "the desktop folder can be written to")

        before = snapshot(self.desktop)
        self.run_program(close=True)
        self.assertEqual(snapshot(self.desktop), before)


if __name__ == "__main__":
    unittest.main()
