"""Dragging the title bar moves the window by the distance dragged, wherever
on the bar the press lands (the picture, the logo, the label drawn on it); a
press that starts on a title button moves nothing and, released off the
button, does nothing. The same holds for the sample window: the controller
works for any form."""

import time
import unittest

import radio


def setUpModule():
    radio.hold_session()


class DragChecks:
    """`exe` is the program; `grips` the title bar points (designed title
    coordinates, scaled here by the font's measure) with the drag to try."""

    exe = None
    grips = ()

    @classmethod
    def setUpClass(cls):
        cls.m = radio.text_height()
        cls.program = radio.Program(cls.exe).start()
        cls.addClassCleanup(cls.program.stop)
        radio.park_pointer()
        cls.hwnd = cls.program.wait_for_form()["hwnd"]

    def layout(self):
        form = self.program.window(self.hwnd)
        self.assertIsNotNone(form, "the form has gone")
        return radio.FormLayout(form)

    def test_dragging_the_title_bar_moves_the_window_by_the_distance(self):
        for name, (x, y), (dx, dy) in self.grips:
            with self.subTest(grip=name):
                layout = self.layout()
                before = layout.form["rect"]
                start = layout.title_point(radio.scaled(x, self.m), radio.scaled(y, self.m))
                expected = [before[0] + dx, before[1] + dy, before[2] + dx, before[3] + dy]
                radio.drag(start, (start[0] + dx, start[1] + dy),
                           pressed=lambda: radio.gui_thread(self.hwnd)["in_move_size"],
                           arrived=lambda: self.layout().form["rect"] == expected)
                self.assertEqual(self.layout().form["rect"], expected)

    def test_a_drag_starting_on_a_title_button_moves_nothing(self):
        for name in ("min_button", "close_button"):
            with self.subTest(button=name):
                layout = self.layout()
                before = layout.form["rect"]
                button = getattr(layout, name)["hwnd"]
                start = layout.centre(getattr(layout, name))
                # Down into the body: released off the button, so no click either.
                radio.drag(start, (start[0] - 40, start[1] + 60),
                           pressed=lambda: radio.gui_thread(self.hwnd)["capture"] == button)
                time.sleep(0.5)
                form = self.layout().form
                self.assertEqual(form["rect"], before)
                self.assertTrue(form["visible"])
                self.assertFalse(form["iconic"])
                self.assertTrue(self.program.running())


class MainWindowDragTest(DragChecks, unittest.TestCase):
    exe = radio.EXE
    # app/UnitMain.form: the title picture fills the bar, the logo at (7,4)
    # 16x16, the rights notice from (30,7).
    grips = (
        ("title picture", (280, 12), (60, 40)),
        ("logo", (15, 12), (-70, -30)),
        ("rights notice", (60, 13), (35, -45)),
    )


class SampleWindowDragTest(DragChecks, unittest.TestCase):
    exe = radio.SAMPLE
    # tests/sample/main.cpp: the picture fills the bar, the label from (10,7).
    grips = (
        ("title picture", (200, 12), (-80, 50)),
        ("label", (30, 13), (90, -20)),
    )


if __name__ == "__main__":
    unittest.main()
