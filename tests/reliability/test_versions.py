"""The whole life of the program once on each Windows version it is made for
(XP, 7, 10, each a prefix of its own): it starts centred at its scaled size,
asks for the start page, follows a drag of its title bar, comes back from a
minimize where it was, closes with exit code 0 and has put its shortcut on
the desktop."""

import os
import unittest

import radio
import reliability

# Designed client size (app/UnitMain.form); the one-pixel border stays.
CLIENT_WIDTH, CLIENT_HEIGHT = 454, 268
DRAG = (60, 40)


class MainScenario:
    version = None

    @classmethod
    def setUpClass(cls):
        cls.state = reliability.version_state(cls.version)
        radio.hold_session(cls.state, cls.addClassCleanup)

    def test_start_drag_minimize_restore_close(self):
        with reliability.Driver(self.state) as driver:
            self.assertEqual(driver.version(), reliability.WINDOWS_VERSIONS[self.version],
                             "the prefix does not report the Windows version it was set to")
        m = radio.text_height(self.state)
        shortcut = reliability.shortcut_path(self.state)
        if os.path.lexists(shortcut):
            os.remove(shortcut)

        with radio.RecordingProxy() as proxy, reliability.Run(
                self.state, env={"RADIO_HTTP_PROXY": proxy.url}) as run:
            width = radio.scaled(CLIENT_WIDTH, m) + 2
            height = radio.scaled(CLIENT_HEIGHT, m) + 2
            screen_width, screen_height = radio.screen_size()
            left, top = (screen_width - width) // 2, (screen_height - height) // 2
            self.assertEqual(run.rect(), [left, top, left + width, top + height],
                             "not centred at its scaled size")

            radio.poll(lambda: any(reliability.asks_for_start_page(line)
                                   for line, _ in proxy.recorded()),
                       20, what="the start page's request at the proxy")

            title_width, title_height = radio.size(run.layout.title["rect"])
            before, after = run.drag(run.point(title_width // 2, title_height // 2), DRAG)
            self.assertEqual(after, [before[0] + DRAG[0], before[1] + DRAG[1],
                                     before[2] + DRAG[0], before[3] + DRAG[1]],
                             "the drag did not move the window by its distance")

            run.minimize()
            run.restore()
            self.assertEqual(run.rect(), after, "restored somewhere else")
            self.assertTrue(run.driver.responsive(run.hwnd))

            code, _ = run.close()
            self.assertEqual(code, 0)

        self.assertTrue(os.path.isfile(shortcut), "no shortcut on the desktop")
        desktop = radio.probe("desktop", state=self.state)["path"]
        link = radio.probe("shortcut", desktop + "\\" + radio.SHORTCUT_NAME, state=self.state)
        self.assertTrue(link["loaded"])
        self.assertEqual(link["path"].strip('"'), radio.windows_path(radio.EXE, self.state))


class WindowsXPTest(MainScenario, unittest.TestCase):
    version = "winxp"


class Windows7Test(MainScenario, unittest.TestCase):
    version = "win7"


class Windows10Test(MainScenario, unittest.TestCase):
    version = "win10"


if __name__ == "__main__":
    unittest.main()
