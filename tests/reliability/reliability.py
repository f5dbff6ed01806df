"""Support for the reliability tests, on top of the end-to-end tests' radio.py:
prefixes set to another Windows version or screen resolution, the driver (a
long-lived helper inside Wine that answers cheaply what the probe answers at
the cost of a Wine start), HTTP proxies that fail in chosen ways, the program
driven by fast batched X input, and what a run leaves behind on disk, in the
process table and in memory."""

import fcntl
import hashlib
import json
import os
import select
import socket
import subprocess
import threading
import time
import urllib.parse

import radio

DRIVER = os.environ["RADIO_DRIVER"]

EXE_NAME = os.path.basename(radio.EXE)
SERVICE_HOST = "murava.example"
SERVICE_PATH = "/client.aspx"


# --- Prefixes ----------------------------------------------------------------


def prepared_state(purpose, registry):
    """A state folder "wine-<purpose>" in the build directory whose prefix has
    the registry values `registry` (tuples of `reg add` arguments). Made once
    and reused; a concurrent test waits for the one making it."""
    state = os.path.join(radio.BUILD_DIR, f"wine-{purpose}")
    ready = os.path.join(state, ".reliability-ready")
    os.makedirs(state, exist_ok=True)
    with open(os.path.join(state, ".reliability-lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(ready):
            for values in registry:
                radio.run_wine(["reg", "add", *values, "/f"], state=state)
            # The registry reaches the disk when the wineserver ends.
            radio.wineserver_wait(state)
            with open(ready, "w"):
                pass
    return state


def plain_state():
    """A prefix of the reliability tests' own, as Wine makes it: the tests
    that rewrite its desktop's shortcut keep off the other tests' prefix."""
    return prepared_state("reliability", [])


WINDOWS_VERSIONS = {"winxp": (5, 1), "win7": (6, 1), "win10": (10, 0)}


def version_state(version):
    """A prefix that reports Windows `version` (winxp, win7, win10)."""
    return prepared_state(version, [(r"HKCU\Software\Wine", "/v", "Version", "/d", version)])


def dpi_state(dpi):
    """A prefix whose screen has `dpi` logical pixels per inch. Wine 8 reads
    LogPixels from the user's desktop settings (what winecfg writes) before the
    hardware profile's font settings."""
    return prepared_state(f"dpi{dpi}", [(r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                                         "/t", "REG_DWORD", "/d", str(dpi))])


# --- The driver --------------------------------------------------------------


class Driver:
    """driver.cpp running in a prefix: one JSON question and answer per line."""

    def __init__(self, state=radio.WINE_STATE):
        self.process = subprocess.Popen(radio.wine_command([DRIVER], state),
                                        env=radio.wine_environment(), stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.process.poll() is None:
            try:
                self.process.stdin.close()
                self.process.wait(10)
            except (OSError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()

    def ask(self, *words, timeout=15):
        self.process.stdin.write((" ".join(map(str, words)) + "\n").encode())
        self.process.stdin.flush()
        ready, _, _ = select.select([self.process.stdout], [], [], timeout)
        line = self.process.stdout.readline() if ready else b""
        if not line:
            raise AssertionError(f"the driver did not answer {words}")
        return json.loads(line)

    def window(self, hwnd):
        return self.ask("window", hwnd)

    def gui(self, hwnd):
        return self.ask("gui", hwnd)

    def responsive(self, hwnd):
        """Whether the window's thread answers a message within 2 s."""
        return self.ask("ping", hwnd)["answered"]

    def restore(self, hwnd):
        self.ask("restore", hwnd)

    def version(self):
        answer = self.ask("version")
        return answer["major"], answer["minor"]


# --- X input, batched ----------------------------------------------------------


def xdo(*steps):
    """One xdotool call for a whole sequence of steps, each a tuple of a
    command and its arguments ("sleep" included): a call costs a few
    milliseconds, and the long runs make thousands of moves."""
    radio.xdotool(*[str(word) for step in steps for word in step])


def approach(x, y):
    """The steps that bring the pointer onto a point from one pixel away, so
    that the program sees a move onto it."""
    return ("mousemove", x - 1, y), ("sleep", 0.02), ("mousemove", x, y), ("sleep", 0.03)


# --- The program -------------------------------------------------------------


class Run:
    """One run of the program with the driver beside it: the form, the
    application window, the layout, and the actions the tests take."""

    def __init__(self, state=radio.WINE_STATE, exe=radio.EXE, env=None):
        self.state = state
        self.program = radio.Program(exe, state=state, env=env)
        self.driver = None

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        self.program.start()
        self.driver = Driver(self.state)
        form = self.program.wait_for_form()
        self.hwnd = form["hwnd"]
        self.app = form["owner"]
        self.pid = self.program.process.pid
        self.layout = radio.FormLayout(form)
        # See Settle in driver.cpp: without it the first drag under Wine
        # without a window manager loses its capture halfway.
        self.driver.ask("settle", self.hwnd)
        return form

    def stop(self):
        self.program.stop()
        if self.driver:
            self.driver.close()

    def rect(self):
        return self.driver.window(self.hwnd)["rect"]

    def point(self, x, y):
        """A point in the title bar's coordinates, on the screen, for the form
        where it is now (the title bar does not move inside the form)."""
        left, top = self.rect()[:2]
        form = self.layout.form
        dx, dy = left - form["rect"][0], top - form["rect"][1]
        sx, sy = self.layout.title_point(x, y)
        return sx + dx, sy + dy

    def button_point(self, button, side=0):
        """The centre of a title button, or `side` pixels right of it."""
        l, t, r, b = button["rect"]
        return self.point((l + r) // 2 + side, (t + b) // 2)

    def wait_until(self, check, what, timeout=5):
        return radio.poll(check, timeout, interval=0.02, what=what)

    def drag(self, start, delta, steps=3):
        """Drags from `start` by `delta` and returns the form's rect before and
        after. The moves wait for the program's move loop, which the system
        starts a moment after the press."""
        (x, y), (dx, dy) = start, delta
        before = self.rect()
        xdo(*approach(x, y), ("mousedown", 1))
        try:
            self.wait_until(lambda: self.driver.gui(self.hwnd)["in_move_size"],
                            f"a move loop after the press at {start}")
            moves = []
            for i in range(1, steps + 1):
                moves += [("mousemove", x + dx * i // steps, y + dy * i // steps), ("sleep", 0.03)]
            xdo(*moves)
        finally:
            xdo(("mouseup", 1))
        expected = [before[0] + dx, before[1] + dy, before[2] + dx, before[3] + dy]
        try:
            self.wait_until(lambda: not self.driver.gui(self.hwnd)["in_move_size"]
                            and self.rect() == expected, "the form to follow the drag", 3)
        except AssertionError:
            pass  # the caller compares and reports
        return before, self.rect()

    def click(self, x, y):
        xdo(*approach(x, y), ("click", 1))

    def minimize(self, side=0):
        """Clicks the minimize button (`side` pixels right of its centre: two
        clicks on one spot within the double-click time make a double-click,
        whose second press the button ignores); returns once the form is
        hidden."""
        self.click(*self.button_point(self.layout.min_button, side))
        self.wait_until(lambda: not self.driver.window(self.hwnd)["visible"]
                        and self.driver.window(self.app)["iconic"], "the form to minimize")

    def restore(self):
        """Restores the application window from outside, as the taskbar does;
        returns once the form is back."""
        self.driver.restore(self.app)
        self.wait_until(lambda: self.driver.window(self.hwnd)["visible"], "the form to come back")

    def close(self, timeout=radio.EXIT_TIMEOUT):
        """Clicks the close button; returns the exit code and the seconds it took."""
        start = time.monotonic()
        self.click(*self.button_point(self.layout.close_button))
        try:
            code = self.program.wait_exit(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError(f"the program did not end within {timeout} s of the close click")
        return code, time.monotonic() - start

    def rss_kb(self):
        return resident_kb(self.pid)


def resident_kb(pid):
    """The resident memory of a Linux process (Debian's wine execs the Windows
    program, so the process started is the program)."""
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise AssertionError(f"no VmRSS for process {pid}")


# --- What a run leaves behind ----------------------------------------------------


def exe_processes(state, name=EXE_NAME):
    """Linux processes of the program `name` in the prefix of `state`: other
    build directories' tests may run it at the same time, and the probe's
    command line may name it."""
    found = subprocess.run(["pgrep", "-f", name], capture_output=True, text=True).stdout.split()
    prefix = os.path.join(os.path.realpath(state), "prefix")
    mine = []
    for pid in found:
        try:
            with open(f"/proc/{pid}/comm") as comm, open(f"/proc/{pid}/environ", "rb") as environ:
                command, values = comm.read().strip(), environ.read().split(b"\0")
        except OSError:
            continue
        # The kernel keeps 15 characters of a process's name.
        if command == name[:15] and f"WINEPREFIX={prefix}".encode() in values:
            mine.append(int(pid))
    return mine


# The browser control's own store (page cache, cookies, history): it changes
# on every page load, and keeps a bounded number of files.
BROWSER_STORE = os.path.join("AppData", "Local", "Microsoft", "Windows")


def user_files(state):
    """Every file of the prefix's users folder and Windows temp folder (the
    folders they link to included: Wine links the desktop and the documents
    folders to the home folder), by real path relative to the state folder,
    with its size and content hash; the browser's store apart, by path only."""
    state = os.path.realpath(state)
    drive_c = os.path.join(state, "prefix", "drive_c")
    files, store = {}, set()
    for top in ("users", os.path.join("windows", "temp")):
        for folder, _, names in os.walk(os.path.join(drive_c, top), followlinks=True):
            for name in names:
                path = os.path.realpath(os.path.join(folder, name))
                relative = os.path.relpath(path, state)
                if f"{os.sep}{BROWSER_STORE}{os.sep}" in relative:
                    store.add(relative)
                    continue
                try:
                    with open(path, "rb") as data:
                        files[relative] = (os.path.getsize(path),
                                           hashlib.sha1(data.read()).hexdigest())
                except OSError:
                    pass
    return files, store


def differences(before, after):
    """Files added, removed and changed between two user_files()[0]."""
    return {"added": sorted(set(after) - set(before)),
            "removed": sorted(set(before) - set(after)),
            "changed": sorted(p for p in set(before) & set(after) if before[p] != after[p])}


def shortcut_path(state):
    return os.path.join(radio.desktop_folder(state), radio.SHORTCUT_NAME)


# --- Proxies that fail ---------------------------------------------------------


def closed_port_url():
    """The address of a port on 127.0.0.1 where nothing listens."""
    with socket.socket() as sock:
        sock.bind(("127.0.0.1", 0))
        port = sock.getsockname()[1]
    return f"http://127.0.0.1:{port}"


class FaultyProxy(radio.RecordingProxy):
    """An HTTP proxy on 127.0.0.1 that records each request line and then
    fails: "error" answers 500 at once; "hang" says nothing and holds the
    connection open for `hold` seconds (or until the proxy is closed)."""

    ERROR_PAGE = b"<html><body>server error</body></html>"

    def __init__(self, mode, hold=40):
        self.mode = mode
        self.hold = hold
        self.held = 0
        self.released = threading.Event()
        super().__init__()

    def respond(self, handler):
        if self.mode == "hang":
            with self.lock:
                self.held += 1
            self.released.wait(self.hold)
            with self.lock:
                self.held -= 1
            handler.close_connection = True
            return
        handler.send_response(500)
        handler.send_header("Content-Type", "text/html")
        handler.send_header("Content-Length", str(len(self.ERROR_PAGE)))
        handler.end_headers()
        if handler.command != "HEAD":
            handler.wfile.write(self.ERROR_PAGE)

    def __exit__(self, *exc):
        self.released.set()
        super().__exit__(*exc)

    def recorded(self):
        """The request lines."""
        return [line for line, _ in super().recorded()]

    def holding(self):
        """How many requests are waiting for an answer that has not come."""
        with self.lock:
            return self.held


def asks_for_start_page(line):
    """Whether an HTTP request line is a GET of the service's start page."""
    method, target, _ = line.split(" ")
    url = urllib.parse.urlsplit(target)
    return method == "GET" and url.hostname == SERVICE_HOST and url.path == SERVICE_PATH
