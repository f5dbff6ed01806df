"""Support for the end-to-end tests: the program under Wine, the probe that
looks at its windows from inside, the X pointer and keyboard, screenshots and
a recording HTTP proxy.

The tests run under scripts/test.sh (ctest), which starts Xvfb and exports
DISPLAY; the environment names the build (RADIO_*, see CMakeLists.txt)."""

import http.server
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest

SOURCE_DIR = os.environ["RADIO_SOURCE_DIR"]
BUILD_DIR = os.environ["RADIO_BUILD_DIR"]
WINE_STATE = os.environ["RADIO_WINE_STATE"]
EXE = os.environ["RADIO_EXE"]
PROBE = os.environ["RADIO_PROBE"]
SAMPLE = os.environ.get("RADIO_SAMPLE",
                        os.path.join(BUILD_DIR, "tests", "sample", "sample_window.exe"))

WINE_ENV_SCRIPT = os.path.join(SOURCE_DIR, "scripts", "wine-env.sh")
SCREENSHOT_DIR = os.path.join(BUILD_DIR, "screenshots")

TITLE = "MURAVA电台"
SHORTCUT_NAME = TITLE + ".lnk"
FORM_CLASS = "RadioWinControl"
APP_CLASS = "RadioApplication"

# Window styles the tests look at.
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000

# A Wine start in a warm prefix takes a few seconds; a close takes a few more,
# since with no window manager every hidden managed window waits out Wine's
# withdrawn-state timeout.
START_TIMEOUT = 30
EXIT_TIMEOUT = 15


def poll(read, timeout, interval=0.2, what="condition"):
    """Calls `read` until it returns something true; returns that, or raises
    AssertionError naming `what` after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = read()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


# --- Wine ------------------------------------------------------------------


def wine_command(args, state=WINE_STATE, wrapper=()):
    """The command that runs `wine args...` with the build's Wine environment
    for the state folder `state` (its prefix and HOME)."""
    script = 'source "$1" "$2"; shift 2; exec wine "$@"'
    return [*wrapper, "bash", "-c", script, "radio-wine", WINE_ENV_SCRIPT, state, *args]


def wine_environment(extra=None):
    env = dict(os.environ)
    env.update(extra or {})
    return env


def run_wine(args, state=WINE_STATE, env=None, timeout=60, check=True):
    """Runs a Windows program to its end; returns (exit code, stdout, stderr).

    The output goes through files, not pipes: a Wine process may start the
    prefix's wineserver or desktop, which inherit its output and outlive it,
    so that a pipe would not see its end while the session lasts."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(wine_command(args, state), env=wine_environment(env),
                                   stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        try:
            code = process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise AssertionError(f"wine {args} did not end within {timeout} s")
        out.seek(0)
        err.seek(0)
        stdout, stderr = out.read(), err.read()
    if check and code != 0:
        raise AssertionError(f"wine {args} failed ({code}): {stderr.decode(errors='replace')}")
    return code, stdout, stderr


def probe(*args, state=WINE_STATE):
    """Runs the probe inside the prefix of `state` and returns its JSON."""
    _, stdout, _ = run_wine([PROBE, *map(str, args)], state=state)
    return json.loads(stdout.decode("utf-8"))


def wineserver_wait(state=WINE_STATE, timeout=20):
    """Waits until the prefix's wineserver has gone (it lingers a few seconds
    after its last program); True if it has. Something else that keeps it
    up (a test elsewhere holding a program open) is waited for `timeout`
    seconds at most."""
    script = 'source "$1" "$2"; exec wineserver -w'
    try:
        subprocess.run(["bash", "-c", script, "radio-wine", WINE_ENV_SCRIPT, state],
                       env=wine_environment(), timeout=timeout, check=True)
        return True
    except subprocess.TimeoutExpired:
        return False


class Session:
    """Keeps a prefix's Wine session (wineserver, desktop, services) up while
    the tests start and stop their programs, so that each start and each probe
    does not pay for Wine's services starting again, and no program starts
    while a session winds down. On entry it waits out a session that is
    winding down; on exit it lets its own wind down completely. A `wrapper`
    command runs the whole session (its wineserver included) under it."""

    def __init__(self, state=WINE_STATE, wrapper=()):
        self.state = state
        self.wrapper = wrapper
        self.process = None

    def __enter__(self):
        wineserver_wait(self.state)
        self.process = subprocess.Popen(
            wine_command([PROBE, "hold"], self.state, self.wrapper), env=wine_environment(),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        ready = self.process.stdout.readline()
        if ready.strip() != b"ready":
            self.process.kill()
            raise AssertionError(f"the Wine session of {self.state} did not start")
        return self

    def __exit__(self, *exc):
        self.process.stdin.close()
        try:
            self.process.wait(30)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(30)
        self.process.stdout.close()
        wineserver_wait(self.state)


def hold_session(state=WINE_STATE, cleanup=unittest.addModuleCleanup):
    """Enters a Session for the module (or, with the class's
    addClassCleanup, for the class); it ends with it."""
    session = Session(state).__enter__()
    cleanup(session.__exit__, None, None, None)
    return session


def gui_thread(hwnd, state=WINE_STATE):
    """The input state of the thread of window `hwnd`: in_move_size, capture."""
    return probe("gui", hwnd, state=state)


def desktop_folder(state=WINE_STATE):
    """The Linux folder that the prefix's desktop is."""
    return os.path.realpath(probe("desktop", state=state)["unix"])


def text_height(state=WINE_STATE):
    """What the main form's font (-12, "宋体", ANSI_CHARSET) measures in the
    prefix: the form scales every position and size by this over 12."""
    return probe("textheight", state=state)["height"]


def windows_path(unix_path, state=WINE_STATE):
    _, stdout, _ = run_wine(["winepath", "-w", unix_path], state=state)
    return stdout.decode("utf-8").strip()


FONT12_STATE = os.path.join(BUILD_DIR, "wine-font12")


def font12_state():
    """A second prefix in which the main form's font measures 12, so that the
    form keeps its designed numbers. Debian's Wine finds none of its own
    fonts; of those it ships, Marlett (symbol charset) is the one whose cell
    is exactly its character height. Made once per build directory."""
    ready = os.path.join(FONT12_STATE, ".font12-ready")
    if os.path.exists(ready):
        return FONT12_STATE
    os.makedirs(FONT12_STATE, exist_ok=True)
    probe("desktop", state=FONT12_STATE)  # makes the prefix
    fonts = os.path.join(FONT12_STATE, "prefix", "drive_c", "windows", "Fonts")
    os.makedirs(fonts, exist_ok=True)
    shutil.copy("/usr/share/wine/fonts/marlett.ttf", fonts)
    run_wine(["reg", "add", r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes",
              "/v", "宋体,0", "/d", "Marlett,2", "/f"], state=FONT12_STATE)
    wineserver_wait(FONT12_STATE)
    with open(ready, "w"):
        pass
    return FONT12_STATE


# --- The program ---------------------------------------------------------------


def is_form(window):
    return window["class"] == FORM_CLASS and window["visible"]


class Program:
    """One run of a Windows program under Wine. Use as a context manager or
    call stop(): whatever happens, the process is gone afterwards."""

    def __init__(self, exe=EXE, state=WINE_STATE, env=None, wrapper=()):
        self.exe = exe
        self.name = os.path.basename(exe)
        self.state = state
        self.env = env or {}
        self.wrapper = wrapper
        self.process = None
        self.log_path = os.path.join(BUILD_DIR, "e2e-logs", self.name + ".log")

    def start(self):
        poll(lambda: not self.windows(), 20, what=f"earlier {self.name} windows to go")
        os.makedirs(os.path.dirname(self.log_path), exist_ok=True)
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(
                wine_command([self.exe], self.state, self.wrapper),
                env=wine_environment(self.env), stdout=log, stderr=subprocess.STDOUT,
                stdin=subprocess.DEVNULL, cwd=os.path.dirname(self.exe))
        return self

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def running(self):
        return self.process is not None and self.process.poll() is None

    def windows(self):
        """The program's top-level windows (all of them, hidden ones too)."""
        return probe("windows", self.name, state=self.state)

    def window(self, hwnd):
        return next((w for w in self.windows() if w["hwnd"] == hwnd), None)

    def wait_for(self, match, timeout=START_TIMEOUT, what="a window"):
        def find():
            if self.process is not None and self.process.poll() is not None:
                raise AssertionError(f"{self.name} ended ({self.process.returncode}) "
                                     f"while waiting for {what}; log: {self.log_path}")
            return next((w for w in self.windows() if match(w)), None)
        return poll(find, timeout, interval=0.3, what=what)

    def wait_for_form(self, timeout=START_TIMEOUT):
        """The main form once it is shown, after a moment for Wine to map it."""
        form = self.wait_for(is_form, timeout, what=f"the form of {self.name}")
        time.sleep(0.5)
        return self.window(form["hwnd"]) or form

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        return self.process.wait(timeout)

    def stop(self):
        if self.process is None:
            return
        if self.process.poll() is None:
            os.kill(self.process.pid, signal.SIGKILL)
        self.process.wait(30)
        # The killed program's windows go with it; the next start checks.


class FormLayout:
    """The caption-less form as the probe sees it: the title panel (the child
    at the top holding the two picture buttons) and the body below it."""

    def __init__(self, form):
        self.form = form
        children = form["children"]
        self.title = next(c for c in children if len(c["children"]) == 2
                          and all(b["class"] == FORM_CLASS for b in c["children"]))
        self.body = next(c for c in children if c is not self.title)
        buttons = sorted(self.title["children"], key=lambda b: b["rect"][0])
        self.min_button, self.close_button = buttons

    @property
    def origin(self):
        """The screen position of the form's client area."""
        return self.form["client"][0], self.form["client"][1]

    def title_point(self, x, y):
        """A point given in the title panel's coordinates, on the screen."""
        left, top = self.origin
        return left + self.title["rect"][0] + x, top + self.title["rect"][1] + y

    def centre(self, button):
        l, t, r, b = button["rect"]
        return self.title_point((l + r) // 2, (t + b) // 2)


def size(rect):
    return rect[2] - rect[0], rect[3] - rect[1]


# The main form's designed numbers (app/UnitMain.form, for 96 pixels per inch
# and a text height of 12): the client area, the title bar, the browser's
# bounds, the picture buttons (their pictures' size) and their places.
FONT_HEIGHT = -12
CLIENT_WIDTH, CLIENT_HEIGHT = 454, 268
TITLE_HEIGHT = 25
BROWSER = (0, 25, 457, 245)
BUTTON_WIDTH, BUTTON_HEIGHT = 33, 17
BUTTON_TOP = 1
RIGHT_MARGIN = 10


def scaled(value, m):
    """A designed position or size, scaled as the form reader does (MulDiv)."""
    return (value * m + 6) // 12 if value >= 0 else -scaled(-value, m)


def scaled_span(start, length, m):
    """A designed (start, length), scaled at both ends as the reader does."""
    first = scaled(start, m)
    return first, scaled(start + length, m) - first


# --- X: pointer, keyboard, screen -------------------------------------------


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, timeout=30)


def move(x, y):
    xdotool("mousemove", x, y)
    time.sleep(0.1)


def rest(x, y):
    """Moves onto the point in small steps, as a hand would, and stays."""
    move(x - 3, y - 2)
    move(x - 1, y)
    move(x, y)


def click(x, y):
    rest(x, y)
    xdotool("click", 1)
    time.sleep(0.2)


def drag(start, end, pressed, arrived=None, attempts=3):
    """Presses the left button at `start`, moves to `end`, releases.

    `pressed` is polled after the press until true: the program has taken
    the press (a fresh Wine window now and then lets a first press pass; the
    button is then released and pressed again, up to `attempts` times).
    `arrived`, when given, is polled before the release until true.

    The pointer goes to `end` in one motion. Wine (without a window manager)
    gets pointer events in the moving window's coordinates and maps them with
    its own idea of where the window is, which runs ahead of or behind the X
    server's while it moves the window: a drag made of many small motions
    then loses or gains a step now and then, mostly in a fresh window's first
    drag. One motion per drag leaves nothing to race."""
    (x1, y1), (x2, y2) = start, end
    for _ in range(attempts):
        rest(x1, y1)
        xdotool("mousedown", 1)
        try:
            if not _settled(pressed, 3):
                continue
            time.sleep(0.1)
            xdotool("mousemove", x2, y2)
            if arrived:
                _settled(arrived, 3)
            else:
                time.sleep(0.3)
            return
        finally:
            xdotool("mouseup", 1)
            time.sleep(0.4)
    raise AssertionError(f"the program did not take a press at {start}")


def _settled(check, timeout):
    """Polls `check` until true (True) or for `timeout` seconds (False)."""
    deadline = time.monotonic() + timeout
    while not check():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


def park_pointer():
    """Out of every window's way."""
    move(1, 1)


def key(name):
    xdotool("key", name)


def screen_size():
    out = subprocess.run(["xwininfo", "-root"], capture_output=True, text=True, check=True).stdout
    width = int(re.search(r"Width:\s+(\d+)", out).group(1))
    height = int(re.search(r"Height:\s+(\d+)", out).group(1))
    return width, height


class Screenshot:
    """The whole X screen, as RGB bytes."""

    def __init__(self):
        self.width, self.height = screen_size()
        self.rgb = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                  capture_output=True, check=True, timeout=60).stdout
        if len(self.rgb) != self.width * self.height * 3:
            raise AssertionError("the screenshot has an unexpected size")

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def save(self, name, rect=None):
        """Writes the screen, or the part `rect` (left, top, right, bottom),
        to screenshots/name in the build directory; returns the path."""
        os.makedirs(SCREENSHOT_DIR, exist_ok=True)
        path = os.path.join(SCREENSHOT_DIR, name)
        command = ["convert", "-size", f"{self.width}x{self.height}", "-depth", "8", "rgb:-"]
        if rect:
            l, t, r, b = rect
            command += ["-crop", f"{r - l}x{b - t}+{l}+{t}", "+repage"]
        subprocess.run(command + [path], input=self.rgb, check=True, timeout=60)
        return path


def x_window_name(rect):
    """The _NET_WM_NAME of the X window that has the geometry of `rect`."""
    utf8 = dict(os.environ, LC_ALL="zh_CN.UTF-8")
    tree = subprocess.run(["xwininfo", "-root", "-tree"], capture_output=True, check=True,
                          env=utf8).stdout.decode("utf-8", errors="replace")
    width, height = size(rect)
    geometry = f"{width}x{height}+{rect[0]}+{rect[1]}"
    for line in tree.splitlines():
        fields = line.split()
        if fields and fields[0].startswith("0x") and geometry in fields:
            out = subprocess.run(["xprop", "-id", fields[0], "_NET_WM_NAME"],
                                 capture_output=True, check=True, env=utf8).stdout.decode("utf-8")
            match = re.search(r'= "(.*)"$', out.strip())
            return match.group(1) if match else None
    raise AssertionError(f"no X window at {geometry}")


# --- A recording HTTP proxy ---------------------------------------------------------


class RecordingProxy:
    """An HTTP proxy on 127.0.0.1 that records each request (line and
    headers) and answers every one with a small page."""

    PAGE = b"<html><body>radio</body></html>"

    def __init__(self):
        self.requests = []
        self.lock = threading.Lock()
        proxy = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def answer(self):
                with proxy.lock:
                    proxy.requests.append((self.requestline, dict(self.headers.items())))
                proxy.respond(self)

            do_GET = do_POST = do_HEAD = do_CONNECT = answer

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}"
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.server.shutdown()
        self.server.server_close()

    def respond(self, handler):
        """Answers one request (`handler` is its BaseHTTPRequestHandler)."""
        length = int(handler.headers.get("Content-Length") or 0)
        if length:
            handler.rfile.read(length)
        handler.send_response(200)
        handler.send_header("Content-Type", "text/html")
        handler.send_header("Content-Length", str(len(self.PAGE)))
        handler.end_headers()
        if handler.command != "HEAD":
            handler.wfile.write(self.PAGE)

    def recorded(self):
        with self.lock:
            return list(self.requests)
