"""Faults around the program: a start page that cannot be reached, that fails,
or that never comes; an exe in a folder whose name has a blank and Chinese
characters. In each the program starts, stays responsive, closes with exit
code 0 within a few seconds and leaves the files of the prefix's users
intact."""

import os
import shutil
import time
import unittest

import radio
import reliability

# Seconds from the close button's click to the program's end.
PROMPT_EXIT = 10
DRAG = (40, 30)


def setUpModule():
    global STATE
    STATE = reliability.plain_state()
    radio.hold_session(STATE)


class FaultChecks(unittest.TestCase):
    def assert_nothing_lost_or_damaged(self, before, after):
        """Only the shortcut may be new (the program's one output, written when
        missing); nothing else may come, go or change."""
        changes = reliability.differences(before, after)
        changes["added"] = [path for path in changes["added"]
                            if os.path.basename(path) != radio.SHORTCUT_NAME]
        self.assertEqual(changes, {"added": [], "removed": [], "changed": []})

    def assert_responsive_and_closes(self, run):
        """The form answers, follows a drag of its title bar, and closes with
        exit code 0 in a few seconds."""
        self.assertTrue(run.driver.responsive(run.hwnd), "the form's thread does not answer")
        title_width, title_height = radio.size(run.layout.title["rect"])
        before, after = run.drag(run.point(title_width // 3, title_height // 2), DRAG)
        self.assertEqual(after, [before[0] + DRAG[0], before[1] + DRAG[1],
                                 before[2] + DRAG[0], before[3] + DRAG[1]])
        code, _ = run.close(timeout=PROMPT_EXIT)
        self.assertEqual(code, 0)
        radio.poll(lambda: not reliability.exe_processes(STATE), 5,
                   what="the program's process to go")


class StartPageFaultTest(FaultChecks):
    def check_fault(self, proxy_url, requests=None, hanging=None):
        before, _ = reliability.user_files(STATE)
        with reliability.Run(STATE, env={"RADIO_HTTP_PROXY": proxy_url}) as run:
            if requests:
                radio.poll(lambda: any(map(reliability.asks_for_start_page, requests())), 20,
                           what="the start page's request")
            else:
                time.sleep(2)  # the refused connection comes and goes
            self.assert_responsive_and_closes(run)
            if hanging:
                self.assertTrue(hanging(), "the start page stopped hanging before the close")
        after, _ = reliability.user_files(STATE)
        self.assert_nothing_lost_or_damaged(before, after)

    def test_start_page_unreachable(self):
        self.check_fault(reliability.closed_port_url())

    def test_start_page_answers_server_error(self):
        with reliability.FaultyProxy("error") as proxy:
            self.check_fault(proxy.url, proxy.recorded)

    def test_start_page_never_answers(self):
        with reliability.FaultyProxy("hang", hold=40) as proxy:
            self.check_fault(proxy.url, proxy.recorded, hanging=proxy.holding)


class AwkwardPathTest(FaultChecks):
    """The exe copied into "C:\\电台 程序": it runs from there, and the shortcut
    it writes points there."""

    FOLDER = "电台 程序"

    def setUp(self):
        self.folder = os.path.join(STATE, "prefix", "drive_c", self.FOLDER)
        os.makedirs(self.folder, exist_ok=True)
        self.exe = os.path.join(self.folder, os.path.basename(radio.EXE))
        shutil.copy(radio.EXE, self.exe)
        self.shortcut = reliability.shortcut_path(STATE)
        # Else the existing shortcut stays and points elsewhere.
        if os.path.lexists(self.shortcut):
            os.remove(self.shortcut)
        # Afterwards no shortcut points into a folder that is gone: the next
        # start anywhere writes its own.
        self.addCleanup(shutil.rmtree, self.folder, ignore_errors=True)
        self.addCleanup(lambda: os.path.lexists(self.shortcut) and os.remove(self.shortcut))

    def test_runs_from_a_folder_with_a_blank_and_chinese_characters(self):
        before, _ = reliability.user_files(STATE)
        with reliability.Run(STATE, exe=self.exe) as run:
            self.assert_responsive_and_closes(run)
        after, _ = reliability.user_files(STATE)
        self.assert_nothing_lost_or_damaged(before, after)

        self.assertTrue(os.path.isfile(self.shortcut), "no shortcut on the desktop")
        desktop = radio.probe("desktop", state=STATE)["path"]
        link = radio.probe("shortcut", desktop + "\\" + radio.SHORTCUT_NAME, state=STATE)
        self.assertTrue(link["loaded"])
        self.assertEqual(link["path"].strip('"'), "C:\\" + self.FOLDER + "\\MuravaRadio.exe")
        self.assertEqual(link["path"].strip('"'), radio.windows_path(self.exe, STATE))


if __name__ == "__main__":
    unittest.main()
