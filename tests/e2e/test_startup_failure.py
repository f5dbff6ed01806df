"""A start that fails: with the browser control unavailable (Wine told not
to load ieframe, which serves CLSID_WebBrowser), the program shows the error
in a stop box titled with its name, shows no main window, and ends normally
once the box is answered, by the keyboard or by the mouse."""

import unittest

import radio

NO_BROWSER = {"RADIO_EXTRA_DLLOVERRIDES": "ieframe=d"}
ERROR_TEXT = "Cannot create the web browser control"
DIALOG_CLASS = "#32770"


def setUpModule():
    radio.hold_session()


def find_child(window, cls, title=None):
    for child in window["children"]:
        if child["class"] == cls and (title is None or child["title"] == title):
            return child
    return None


class StartupFailureTest(unittest.TestCase):
    def test_error_box_then_normal_end(self):
        for answer in ("key Return", "click OK"):
            with self.subTest(answer=answer), radio.Program(env=NO_BROWSER) as program:
                box = program.wait_for(lambda w: w["class"] == DIALOG_CLASS and w["visible"],
                                       what="the error box")
                self.assertEqual(box["title"], radio.TITLE)
                texts = [c["title"] for c in box["children"] if c["class"] == "Static"]
                self.assertTrue(any(t.startswith(ERROR_TEXT) for t in texts), texts)
                self.assertFalse([w for w in program.windows() if radio.is_form(w)])

                if answer == "key Return":
                    # With no window manager the X focus stays at the root: keys
                    # go to the X window under the pointer, so the pointer rests
                    # on the box, which Wine has activated. (Not on its caption:
                    # Wine drops keys that arrive there.)
                    radio.poll(lambda: radio.gui_thread(box["hwnd"])["active"] == box["hwnd"], 10,
                               what="the error box to be active")
                    left, _, _, bottom = box["client"]
                    radio.rest(left + 10, bottom - 10)
                    radio.key("Return")
                else:
                    ok = find_child(box, "Button")
                    l, t, r, b = ok["rect"]
                    left, top = box["client"][:2]
                    radio.click(left + (l + r) // 2, top + (t + b) // 2)
                self.assertEqual(program.wait_exit(), 0)
                self.assertEqual(program.windows(), [])


if __name__ == "__main__":
    unittest.main()
