"""The window at 96, 120 and 144 pixels per inch (a prefix each). The form's
font follows the resolution, and every designed position and size follows
the text height that font then measures; the title buttons keep the size of
their pictures and stay right-aligned 10 pixels from the title bar's end;
the title bar drags the window from its left end to the buttons. A
screenshot of each goes to screenshots/dpi-<n>.png in the build directory."""

import unittest

import radio
from radio import (BROWSER, BUTTON_HEIGHT, FONT_HEIGHT, BUTTON_TOP, BUTTON_WIDTH, CLIENT_HEIGHT,
                   CLIENT_WIDTH, RIGHT_MARGIN, TITLE_HEIGHT)
import reliability

DRAG = (-50, 35)


def mul_div(value, numerator, denominator):
    """Win32 MulDiv: the product over the denominator, rounded half away from zero."""
    sign = -1 if (value < 0) != (numerator < 0) else 1
    return sign * ((abs(value * numerator) * 2 + denominator) // (2 * denominator))


class ResolutionChecks:
    dpi = None

    @classmethod
    def setUpClass(cls):
        cls.state = reliability.dpi_state(cls.dpi)
        radio.hold_session(cls.state, cls.addClassCleanup)
        measured = radio.probe("textheight", mul_div(FONT_HEIGHT, cls.dpi, 96), state=cls.state)
        if measured["dpi"] != cls.dpi:
            raise AssertionError(f"the prefix has {measured['dpi']} pixels per inch, not {cls.dpi}")
        cls.m = measured["height"]
        cls.client = reliability.Run(cls.state).__enter__()
        cls.addClassCleanup(cls.client.__exit__, None, None, None)
        radio.park_pointer()
        form = cls.client.layout.form
        radio.Screenshot().save(f"dpi-{cls.dpi}.png", form["rect"])

    def scale(self, value):
        return radio.scaled(value, self.m)

    def test_window_title_bar_and_browser_grow_with_the_measured_text_height(self):
        layout = self.client.layout
        width, height = self.scale(CLIENT_WIDTH) + 2, self.scale(CLIENT_HEIGHT) + 2
        screen_width, screen_height = radio.screen_size()
        left, top = (screen_width - width) // 2, (screen_height - height) // 2
        self.assertEqual(layout.form["rect"], [left, top, left + width, top + height])
        self.assertEqual(layout.title["rect"],
                         [0, 0, self.scale(CLIENT_WIDTH), self.scale(TITLE_HEIGHT)])
        browser_left, browser_width = radio.scaled_span(BROWSER[0], BROWSER[2], self.m)
        browser_top, browser_height = radio.scaled_span(BROWSER[1], BROWSER[3], self.m)
        self.assertEqual(layout.body["rect"], [browser_left, browser_top,
                                               browser_left + browser_width,
                                               browser_top + browser_height])

    def test_title_buttons_keep_their_picture_size_right_aligned(self):
        layout = self.client.layout
        close_left = layout.title["client_size"][0] - RIGHT_MARGIN - BUTTON_WIDTH
        top = self.scale(BUTTON_TOP)
        for button, left in ((layout.close_button, close_left),
                             (layout.min_button, close_left - BUTTON_WIDTH)):
            self.assertEqual(button["rect"], [left, top, left + BUTTON_WIDTH, top + BUTTON_HEIGHT])

    def test_the_title_bar_drags_from_its_left_end_to_the_buttons(self):
        title_height = radio.size(self.client.layout.title["rect"])[1]
        min_left = self.client.layout.min_button["rect"][0]
        # Just inside the form's 4-pixel edge bands (which only size, and
        # only a resizable form), and just left of the minimize button.
        grips = (("left end", 6), ("right end", min_left - 4))
        for number, (name, x) in enumerate(grips):
            with self.subTest(grip=name):
                # Back and forth, so that the window stays on the screen.
                delta = DRAG if number % 2 == 0 else (-DRAG[0], -DRAG[1])
                before, after = self.client.drag(self.client.point(x, title_height // 2), delta)
                self.assertEqual(after, [before[0] + delta[0], before[1] + delta[1],
                                         before[2] + delta[0], before[3] + delta[1]])


class Resolution96Test(ResolutionChecks, unittest.TestCase):
    dpi = 96


class Resolution120Test(ResolutionChecks, unittest.TestCase):
    dpi = 120


class Resolution144Test(ResolutionChecks, unittest.TestCase):
    dpi = 144


if __name__ == "__main__":
    unittest.main()
