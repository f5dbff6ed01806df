"""The main window as the system and the screen show it: size and place,
frame, border, names, and where the title buttons and the browser sit.

The form scales its designed numbers (app/UnitMain.form, made for a text
height of 12) by what its font measures here; the first class checks the
scaled layout in the build's prefix, the second the designed numbers
themselves in a prefix where the font measures exactly 12."""

import unittest

import radio
from radio import (BROWSER, BUTTON_HEIGHT, BUTTON_TOP, BUTTON_WIDTH, CLIENT_HEIGHT,
                   CLIENT_WIDTH, RIGHT_MARGIN, TITLE_HEIGHT)

BORDER_GREY = (125, 125, 125)
TITLE_CP936_HEX = "4d5552415641b5e7cca8"  # "MURAVA电台"


def setUpModule():
    radio.hold_session()


class LayoutChecks:
    """Checks shared by both prefixes; `state` names the prefix."""

    state = radio.WINE_STATE

    @classmethod
    def setUpClass(cls):
        cls.m = radio.text_height(cls.state)
        cls.program = radio.Program(state=cls.state).start()
        cls.addClassCleanup(cls.program.stop)
        radio.park_pointer()
        cls.form = cls.program.wait_for_form()
        cls.layout = radio.FormLayout(cls.form)

    def scale(self, value):
        return radio.scaled(value, self.m)

    def expected_size(self):
        # The client area scales; the one-pixel border stays.
        return self.scale(CLIENT_WIDTH) + 2, self.scale(CLIENT_HEIGHT) + 2

    def test_window_has_scaled_size_and_is_centred_on_the_screen(self):
        width, height = self.expected_size()
        screen_width, screen_height = radio.screen_size()
        left, top = (screen_width - width) // 2, (screen_height - height) // 2
        self.assertEqual(self.form["rect"], [left, top, left + width, top + height])

    def test_window_has_no_caption_and_no_sizing_frame(self):
        self.assertEqual(self.form["style"] & radio.WS_CAPTION, 0)
        self.assertEqual(self.form["style"] & radio.WS_THICKFRAME, 0)

    def test_client_area_is_the_window_less_a_one_pixel_border(self):
        l, t, r, b = self.form["rect"]
        self.assertEqual(self.form["client"], [l + 1, t + 1, r - 1, b - 1])

    def test_border_is_grey_all_round(self):
        radio.park_pointer()
        shot = radio.Screenshot()
        l, t, r, b = self.form["rect"]
        outline = ([(x, t) for x in range(l, r)] + [(x, b - 1) for x in range(l, r)] +
                   [(l, y) for y in range(t, b)] + [(r - 1, y) for y in range(t, b)])
        wrong = [(x, y, shot.pixel(x, y)) for x, y in outline if shot.pixel(x, y) != BORDER_GREY]
        self.assertEqual(wrong[:5], [])
        # One pixel wide: the title bar starts right inside it.
        self.assertNotEqual(shot.pixel(l + 1, t + 1), BORDER_GREY)

    def test_window_and_application_are_named_after_the_service(self):
        self.assertEqual(self.form["title"], radio.TITLE)
        self.assertEqual(self.form["title_hex"], TITLE_CP936_HEX)
        app = next(w for w in self.program.windows() if w["hwnd"] == self.form["owner"])
        self.assertEqual(app["class"], radio.APP_CLASS)
        self.assertEqual(app["title"], radio.TITLE)
        self.assertEqual(radio.x_window_name(self.form["rect"]), radio.TITLE)

    def test_title_bar_spans_the_client_area_at_the_top(self):
        client_width = self.scale(CLIENT_WIDTH)
        self.assertEqual(self.layout.title["rect"], [0, 0, client_width, self.scale(TITLE_HEIGHT)])

    def test_title_buttons_keep_their_size_and_sit_right_aligned(self):
        close_left = self.layout.title["client_size"][0] - RIGHT_MARGIN - BUTTON_WIDTH
        top = self.scale(BUTTON_TOP)
        for button, left in ((self.layout.close_button, close_left),
                             (self.layout.min_button, close_left - BUTTON_WIDTH)):
            self.assertEqual(button["rect"],
                             [left, top, left + BUTTON_WIDTH, top + BUTTON_HEIGHT])
            self.assertTrue(button["visible"])

    def test_browser_container_overhangs_the_client_area_as_designed(self):
        left, width = radio.scaled_span(BROWSER[0], BROWSER[2], self.m)
        top, height = radio.scaled_span(BROWSER[1], BROWSER[3], self.m)
        self.assertEqual(self.layout.body["rect"], [left, top, left + width, top + height])
        # The control itself fills it.
        control = self.layout.body["children"][0]
        self.assertEqual(control["class"], "Shell Embedding")
        self.assertEqual(radio.size(control["rect"]), (width, height))


class ScaledLayoutTest(LayoutChecks, unittest.TestCase):
    """In the build's prefix, where Wine substitutes a font for "宋体" that
    measures otherwise (14, with Debian's fonts)."""


class DesignedLayoutTest(LayoutChecks, unittest.TestCase):
    """In a prefix where the form's font measures 12: the designed numbers."""

    @classmethod
    def setUpClass(cls):
        cls.state = radio.font12_state()
        radio.hold_session(cls.state, cls.addClassCleanup)
        if radio.text_height(cls.state) != 12:
            raise AssertionError("the font prefix's substitute does not measure 12")
        super().setUpClass()

    def test_designed_numbers(self):
        width, height = 456, 270
        screen_width, screen_height = radio.screen_size()
        left, top = (screen_width - width) // 2, (screen_height - height) // 2
        self.assertEqual(self.form["rect"], [left, top, left + width, top + height])
        self.assertEqual(self.layout.close_button["rect"][:2], [411, 1])
        self.assertEqual(self.layout.min_button["rect"][:2], [378, 1])
        self.assertEqual(self.layout.body["rect"], [0, 25, 457, 270])


if __name__ == "__main__":
    unittest.main()
