"""Hints: the pointer resting on a title button shows the button's hint in a
tooltip; resting elsewhere on the title bar shows none. Also leaves pictures
of the windows (and of a hint) in the build's screenshots folder."""

import time
import unittest

import radio

TOOLTIP_CLASS = "tooltips_class32"


def setUpModule():
    radio.hold_session()


def visible_tips(program):
    return [w for w in program.windows() if w["class"] == TOOLTIP_CLASS and w["visible"]]


class HintTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.program = radio.Program().start()
        cls.addClassCleanup(cls.program.stop)
        radio.park_pointer()
        cls.layout = radio.FormLayout(cls.program.wait_for_form())

    def setUp(self):
        radio.park_pointer()
        radio.poll(lambda: not visible_tips(self.program), 10, what="earlier hints to go")

    def test_resting_on_a_title_button_shows_its_hint(self):
        for name, text in (("min_button", "最小化"), ("close_button", "关闭")):
            with self.subTest(button=name):
                self.setUp()
                x, y = self.layout.centre(getattr(self.layout, name))
                radio.rest(x, y)
                tip = radio.poll(lambda: next(iter(visible_tips(self.program)), None), 10,
                                 what=f"the hint of the {name}")
                self.assertEqual(tip["title"], text)
                # Shown by the pointer, wholly on the screen.
                l, t, r, b = tip["rect"]
                width, height = radio.screen_size()
                self.assertTrue(0 <= l < r <= width and 0 <= t < b <= height, tip["rect"])
                self.assertLess(abs(l - x) + abs(t - y), 100, (tip["rect"], x, y))
                if name == "min_button":
                    radio.Screenshot().save("hint.png")

    def test_resting_on_the_title_bar_shows_no_hint(self):
        radio.rest(*self.layout.title_point(self.layout.title["rect"][2] // 2, 12))
        time.sleep(2)  # well past the tooltip's delay
        self.assertEqual(visible_tips(self.program), [])


class ScreenshotTest(unittest.TestCase):
    def test_pictures_of_the_windows(self):
        for exe, name in ((radio.EXE, "main_window.png"), (radio.SAMPLE, "sample_window.png")):
            with self.subTest(exe=exe), radio.Program(exe) as program:
                radio.park_pointer()
                form = program.wait_for_form()
                shot = radio.Screenshot()
                # The border's grey shows the picture caught the window.
                self.assertEqual(shot.pixel(form["rect"][0], form["rect"][1]), (125, 125, 125))
                shot.save(name, form["rect"])


if __name__ == "__main__":
    unittest.main()
