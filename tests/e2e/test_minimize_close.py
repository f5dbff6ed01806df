"""The title buttons: minimize takes the whole application to the taskbar
(the form hides, the application window it belongs to is iconic) and a
restore from outside brings the form back where it was; close ends the
program normally, leaving no window behind."""

import unittest

import radio


def setUpModule():
    radio.hold_session()


class MinimizeTest(unittest.TestCase):
    def setUp(self):
        self.program = radio.Program().start()
        self.addCleanup(self.program.stop)
        radio.park_pointer()
        self.form = self.program.wait_for_form()
        self.layout = radio.FormLayout(self.form)

    def state(self):
        """The form and the application window, as the probe sees them now."""
        windows = {w["hwnd"]: w for w in self.program.windows()}
        return windows.get(self.form["hwnd"]), windows.get(self.form["owner"])

    def wait_for_state(self, ready, what):
        def read():
            form, app = self.state()
            return (form, app) if ready(form, app) else None
        return radio.poll(read, 10, what=what)

    def test_minimize_then_restore_from_outside(self):
        form, app = self.state()
        self.assertEqual(app["class"], radio.APP_CLASS)
        self.assertFalse(app["iconic"])

        radio.click(*self.layout.centre(self.layout.min_button))
        form, app = self.wait_for_state(lambda form, app: app["iconic"],
                                        "the application to be minimized")
        self.assertFalse(form["visible"])
        self.assertTrue(self.program.running())

        radio.probe("restore", app["hwnd"])
        form, app = self.wait_for_state(lambda form, app: form["visible"], "the form to come back")
        self.assertFalse(app["iconic"])
        self.assertFalse(form["iconic"])
        self.assertEqual(form["rect"], self.form["rect"])


class CloseTest(unittest.TestCase):
    def test_close_button_ends_the_program_with_code_0(self):
        # The sample window too: the controller wires any form's close button.
        for exe in (radio.EXE, radio.SAMPLE):
            with self.subTest(exe=exe), radio.Program(exe) as program:
                radio.park_pointer()
                layout = radio.FormLayout(program.wait_for_form())
                radio.click(*layout.centre(layout.close_button))
                self.assertEqual(program.wait_exit(), 0)
                self.assertEqual(program.windows(), [])


if __name__ == "__main__":
    unittest.main()
