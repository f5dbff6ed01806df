"""Start and close, again and again (10 times here; RADIO_RUNS sets the number,
and scripts/soak.sh runs 100): every run ends with exit code 0 and leaves
exactly one shortcut on the desktop, no process and no window behind, and
nothing else in the prefix's users and temp folders."""

import os
import unittest

import radio
import reliability

RUNS = int(os.environ.get("RADIO_RUNS", "10"))


class RepeatedRunsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.state = reliability.plain_state()
        radio.hold_session(cls.state, cls.addClassCleanup)
        cls.proxy = radio.RecordingProxy().__enter__()
        cls.addClassCleanup(cls.proxy.__exit__, None, None, None)
        cls.desktop = radio.desktop_folder(cls.state)

    def leftovers(self):
        """What a run must not leave: processes of the exe in the prefix, and
        its windows."""
        return reliability.exe_processes(self.state), self.program_windows()

    def program_windows(self):
        return radio.probe("windows", reliability.EXE_NAME, state=self.state)

    def shortcuts(self):
        return sorted(name for name in os.listdir(self.desktop) if name.lower().endswith(".lnk"))

    def test_every_run_ends_cleanly_and_leaves_nothing_behind(self):
        self.assertEqual(self.leftovers(), ([], []), "something left before the first run")
        desktop_before = set(os.listdir(self.desktop)) - {radio.SHORTCUT_NAME}
        files_before, _ = reliability.user_files(self.state)
        store_after_first = None
        failures = []
        for number in range(1, RUNS + 1):
            with reliability.Run(self.state, env={"RADIO_HTTP_PROXY": self.proxy.url}) as run:
                code, _ = run.close()
            if code != 0:
                failures.append(f"run {number}: exit code {code}")
            try:
                radio.poll(lambda: self.leftovers() == ([], []), 10, interval=0.3,
                           what="the run's process and windows to go")
            except AssertionError:
                failures.append(f"run {number}: left behind {self.leftovers()}")
            if self.shortcuts() != [radio.SHORTCUT_NAME]:
                failures.append(f"run {number}: shortcuts on the desktop: {self.shortcuts()}")
            if number == 1:
                _, store_after_first = reliability.user_files(self.state)
            if len(failures) >= 5:
                break
        self.assertEqual(failures, [])

        self.assertEqual(set(os.listdir(self.desktop)) - {radio.SHORTCUT_NAME}, desktop_before)
        files_after, store_after = reliability.user_files(self.state)
        changes = reliability.differences(files_before, files_after)
        changes["added"] = [path for path in changes["added"]
                            if os.path.basename(path) != radio.SHORTCUT_NAME]
        self.assertEqual(changes, {"added": [], "removed": [], "changed": []})
        # The browser's own store changes with every page load; it must not grow.
        self.assertLessEqual(len(store_after), len(store_after_first),
                             sorted(store_after - store_after_first))


if __name__ == "__main__":
    unittest.main()
