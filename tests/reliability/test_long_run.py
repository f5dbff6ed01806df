"""One long run: 200 minimize and restore cycles, 200 drags of the title bar
and 200 hovers over each title button. After every step the window answers
and is where it should be, and the program's resident memory does not grow
from the 20th cycle of an activity to its 200th.

It runs in a prefix set for speed, with the program's messages unchanged:
Wine manages no window (X11 Driver\\Managed = N), since with no window
manager on the test display hiding a managed window waits out Wine's
two-second withdrawn-state timeout; and the mouse hover time is 100 ms, the
period at which Wine looks whether the pointer has left a tracked window
(400 ms by default), so that a hover can be short and still end in a leave."""

import unittest

import radio
import reliability

CYCLES = 200
WARM = 20  # the cycle after which memory must stay flat
GROWTH_LIMIT_KB = 3 * 1024
DRAG = (60, 40)
HOVER_TIME_MS = 100
# A hover: on the button for ON seconds, then OFF seconds away, by when the
# button has seen the pointer leave.
ON, OFF = 0.05, 0.15
# Every this many cycles the pointer rests long enough on the close button
# for its tooltip.
TOOLTIP_EVERY = 10
TOOLTIP_REST = 0.8


class LongRunTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.state = reliability.prepared_state("long-run", [
            (r"HKCU\Software\Wine\X11 Driver", "/v", "Managed", "/d", "N"),
            (r"HKCU\Control Panel\Mouse", "/v", "MouseHoverTime", "/d", str(HOVER_TIME_MS)),
        ])
        radio.hold_session(cls.state, cls.addClassCleanup)
        cls.proxy = radio.RecordingProxy().__enter__()
        cls.addClassCleanup(cls.proxy.__exit__, None, None, None)
        cls.client = reliability.Run(cls.state, env={"RADIO_HTTP_PROXY": cls.proxy.url}).__enter__()
        cls.addClassCleanup(cls.client.__exit__, None, None, None)
        cls.home = cls.client.rect()
        cls.memory = {}

    @classmethod
    def tearDownClass(cls):
        # The numbers, for whoever reads the log.
        for activity, (warm, last) in sorted(cls.memory.items()):
            print(f"\n{activity}: {warm} kB at cycle {WARM}, {last} kB at cycle {CYCLES}", end="")

    def setUp(self):
        self.assertTrue(self.client.program.running(), "the program has ended")

    def assert_in_place(self, cycle, rect=None):
        window = self.client.driver.window(self.client.hwnd)
        self.assertTrue(window["visible"] and not window["iconic"], f"cycle {cycle}: {window}")
        self.assertEqual(window["rect"], rect or self.home, f"cycle {cycle}")
        self.assertTrue(self.client.driver.responsive(self.client.hwnd),
                        f"cycle {cycle}: the form does not answer")

    def record(self, activity, cycle):
        if cycle == WARM:
            self.memory[activity] = (self.client.rss_kb(), None)
        elif cycle == CYCLES:
            warm = self.memory[activity][0]
            last = self.client.rss_kb()
            self.memory[activity] = (warm, last)
            self.assertLess(last - warm, GROWTH_LIMIT_KB,
                            f"{activity}: resident memory grew from {warm} kB to {last} kB")

    def test_a_minimize_and_restore(self):
        for cycle in range(1, CYCLES + 1):
            # Alternate spots: two clicks on one spot make a double-click.
            self.client.minimize(side=6 if cycle % 2 else -6)
            self.client.restore()
            self.assert_in_place(cycle)
            self.record("minimize and restore", cycle)

    def test_b_drag(self):
        title_width, title_height = radio.size(self.client.layout.title["rect"])
        grip = (title_width // 2, title_height // 2)
        for cycle in range(1, CYCLES + 1):
            # There and back, so that every press lands somewhere else.
            delta = DRAG if cycle % 2 else (-DRAG[0], -DRAG[1])
            before, after = self.client.drag(self.client.point(*grip), delta)
            expected = [before[0] + delta[0], before[1] + delta[1],
                        before[2] + delta[0], before[3] + delta[1]]
            self.assert_in_place(cycle, expected)
            self.record("drag", cycle)
        self.assertEqual(self.client.rect(), self.home)

    def test_c_hover_over_the_title_buttons(self):
        layout = self.client.layout
        buttons = (layout.min_button, layout.close_button)
        off = self.client.point(layout.min_button["rect"][0] - 40, layout.title["rect"][3] // 2)
        tooltip = next(w["hwnd"] for w in self.client.program.windows()
                       if w["class"] == "tooltips_class32")
        for button in buttons:
            self.assert_hover_changes_the_picture(button, off)
        for cycle in range(1, CYCLES + 1):
            steps = []
            for button in buttons:
                steps += [*reliability.approach(*self.client.button_point(button)),
                          ("sleep", ON), ("mousemove", *off), ("sleep", OFF)]
            if cycle % TOOLTIP_EVERY == 0:
                # Rest on the close button and look for its tooltip there.
                steps[-2:] = [("sleep", TOOLTIP_REST)]
                reliability.xdo(*steps)
                self.assertTrue(self.client.driver.window(tooltip)["visible"],
                                f"cycle {cycle}: no tooltip")
                reliability.xdo(("mousemove", *off), ("sleep", OFF))
            else:
                reliability.xdo(*steps)
            self.assert_in_place(cycle)
            self.record("hover", cycle)

    def assert_hover_changes_the_picture(self, button, off):
        """A hover really reaches the button: its picture changes, and
        changes back when the pointer leaves."""
        l, t, r, b = button["rect"]
        left, top = self.client.point(l, t)
        rect = (left, top, left + r - l, top + b - t)

        def pixels():
            shot = radio.Screenshot()
            return [shot.pixel(x, y)
                    for x in range(rect[0], rect[2]) for y in range(rect[1], rect[3])]

        reliability.xdo(("mousemove", *off), ("sleep", 0.3))
        idle = pixels()
        reliability.xdo(*reliability.approach(*self.client.button_point(button)), ("sleep", ON))
        hovered = pixels()
        reliability.xdo(("mousemove", *off), ("sleep", OFF))
        left_again = pixels()
        self.assertTrue(hovered != idle, "hovering does not change the button's picture")
        self.assertTrue(left_again == idle, "the hover picture stays after the pointer has left")

    def test_d_close(self):
        code, _ = self.client.close()
        self.assertEqual(code, 0)


if __name__ == "__main__":
    unittest.main()
