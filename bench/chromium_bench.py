#!/usr/bin/env python3
"""Measures Chromium in --app mode the way bench_launcher measures a Wine
program, for the column of what a user would otherwise open: from the start
to its first visible X window larger than 100 x 100 (polled every
millisecond), to the first request reaching a local HTTP server (the page it
opens), its memory summed over all its processes 2 s after the window showed,
and its CPU time over 10 s of idle. Prints one JSON line.

    chromium_bench.py [--port N] [--settle-ms N] [--idle-ms N] [--quiet-ms N]
"""

import argparse
import ctypes
import ctypes.util
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

PAGE = b"<!DOCTYPE html><html><body>bench</body></html>"
IS_VIEWABLE = 2


def now_ms():
    return time.perf_counter_ns() / 1e6


class FirstRequestServer:
    """Answers every request with a tiny page; keeps the first request line's
    arrival on the same clock as the start."""

    def __init__(self, port):
        self.first_ms = None
        self.first_line = None
        self.count = 0
        self._listener = socket.socket()
        self._listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self._listener.bind(("127.0.0.1", port))
        self._listener.listen(16)
        threading.Thread(target=self._serve, daemon=True).start()

    def _serve(self):
        while True:
            try:
                client, _ = self._listener.accept()
            except OSError:
                return
            threading.Thread(target=self._answer, args=(client,), daemon=True).start()

    def _answer(self, client):
        with client:
            client.settimeout(3)
            request = b""
            try:
                while b"\r\n\r\n" not in request:
                    chunk = client.recv(4096)
                    if not chunk:
                        break
                    request += chunk
                    if self.first_ms is None and b"\r\n" in request:
                        self.first_ms = now_ms()
                        self.first_line = request.split(b"\r\n", 1)[0].decode("latin-1")
                if b"\r\n" not in request:
                    return
                client.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                               b"Cache-Control: no-store\r\nConnection: close\r\n"
                               b"Content-Length: %d\r\n\r\n%s" % (len(PAGE), PAGE))
                self.count += 1
            except OSError:
                pass

    def close(self):
        self._listener.close()


class XWindows:
    """The display's top-level windows, through libX11 (no window manager
    runs on the benchmark's Xvfb, so they are the root's children)."""

    class Attributes(ctypes.Structure):
        _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                    ("height", ctypes.c_int), ("border_width", ctypes.c_int),
                    ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                    ("root", ctypes.c_ulong), ("c_class", ctypes.c_int),
                    ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                    ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                    ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                    ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                    ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                    ("your_event_mask", ctypes.c_long),
                    ("do_not_propagate_mask", ctypes.c_long),
                    ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]

    class ClassHint(ctypes.Structure):
        # Pointers, not c_char_p: Xlib's own strings, handed back to XFree.
        _fields_ = [("res_name", ctypes.c_void_p), ("res_class", ctypes.c_void_p)]

    def __init__(self):
        x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                           ctypes.POINTER(self.Attributes)]
        x.XGetClassHint.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                    ctypes.POINTER(self.ClassHint)]
        x.XFree.argtypes = [ctypes.c_void_p]
        # A window can vanish between the listing and the question: no exit.
        self._ignore = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(
            lambda display, event: 0)
        x.XSetErrorHandler(self._ignore)
        self._x = x
        self._display = x.XOpenDisplay(None)
        if not self._display:
            raise RuntimeError("cannot open the X display")
        self._root = x.XDefaultRootWindow(self._display)

    def visible_window_of_class(self, wanted):
        x, display = self._x, self._display
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not x.XQueryTree(display, self._root, ctypes.byref(root), ctypes.byref(parent),
                            ctypes.byref(children), ctypes.byref(count)):
            return None
        try:
            for i in range(count.value):
                window = children[i]
                attributes = self.Attributes()
                if not x.XGetWindowAttributes(display, window, ctypes.byref(attributes)):
                    continue
                if (attributes.map_state != IS_VIEWABLE or attributes.width <= 100
                        or attributes.height <= 100):
                    continue
                hint = self.ClassHint()
                if not x.XGetClassHint(display, window, ctypes.byref(hint)):
                    continue
                name = ctypes.string_at(hint.res_class).decode("latin-1").lower() \
                    if hint.res_class else ""
                for text in (hint.res_name, hint.res_class):
                    if text:
                        x.XFree(text)
                if wanted in name:
                    return window
        finally:
            if children:
                x.XFree(ctypes.cast(children, ctypes.c_void_p))
        return None


def session_pids(session):
    """Every process of Chromium's session (it was started as a session leader)."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[3]) == session:  # field 6, the session id
            pids.append(int(entry))
    return pids


def status_kb(pid, key):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith(key + ":"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def pss_kb(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as rollup:
            for line in rollup:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def thread_cpu_ns(pids):
    threads = {}
    for pid in pids:
        try:
            tids = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for tid in tids:
            try:
                with open(f"/proc/{pid}/task/{tid}/schedstat") as schedstat:
                    threads[(pid, int(tid))] = int(schedstat.read().split()[0])
            except (OSError, ValueError, IndexError):
                pass
    return threads


def idle_cpu_ms(session, duration_ms, sample_ms=250):
    """CPU time of all the session's threads over the stretch, each thread
    sampled every `sample_ms` (one that ends loses at most its last interval;
    one that starts counts from zero)."""
    first = thread_cpu_ns(session_pids(session))
    last = dict(first)
    end = now_ms() + duration_ms
    while (left := end - now_ms()) > 0:
        time.sleep(min(left, sample_ms) / 1000)
        for key, ns in thread_cpu_ns(session_pids(session)).items():
            last[key] = ns
    return sum(ns - first.get(key, 0) for key, ns in last.items()) / 1e6


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=18180)
    parser.add_argument("--settle-ms", type=int, default=2000)
    parser.add_argument("--idle-ms", type=int, default=10000)
    parser.add_argument("--quiet-ms", type=int, default=500)
    parser.add_argument("--timeout-ms", type=int, default=30000)
    parser.add_argument("--chromium", default=shutil.which("chromium") or "chromium")
    options = parser.parse_args()

    out = {"label": "chromium --app"}
    with open("/proc/loadavg") as loadavg:
        out["load_1min"] = float(loadavg.read().split()[0])
    server = FirstRequestServer(options.port)
    windows = XWindows()
    profile = tempfile.mkdtemp(prefix="bench-chromium-")
    command = [options.chromium, "--no-sandbox", "--no-first-run", "--disable-gpu",
               "--disable-background-networking", "--disable-component-update",
               "--disable-sync", f"--user-data-dir={profile}",
               f"--app=http://127.0.0.1:{options.port}/"]
    time.sleep(options.quiet_ms / 1000)
    start = now_ms()
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        deadline = start + options.timeout_ms
        while windows.visible_window_of_class("chromium") is None:
            if process.poll() is not None or now_ms() > deadline:
                out["error"] = "no window"
                print(json.dumps(out), flush=True)
                return 1
            time.sleep(0.001)
        visible = now_ms()
        out["visible_ms"] = round(visible - start, 3)
        out["cpu_to_visible_ms"] = round(
            sum(thread_cpu_ns(session_pids(process.pid)).values()) / 1e6, 3)
        time.sleep(max(0, visible + options.settle_ms - now_ms()) / 1000)
        pids = session_pids(process.pid)
        out["processes"] = len(pids)
        out["rss_mb"] = round(sum(status_kb(pid, "VmRSS") for pid in pids) / 1024, 3)
        out["private_mb"] = round(sum(status_kb(pid, "RssAnon") for pid in pids) / 1024, 3)
        out["pss_mb"] = round(sum(pss_kb(pid) for pid in pids) / 1024, 3)
        out["idle_window_ms"] = options.idle_ms
        out["idle_cpu_ms"] = round(idle_cpu_ms(process.pid, options.idle_ms), 3)
        if server.first_ms is not None:
            out["request_ms"] = round(server.first_ms - start, 3)
            out["request_line"] = server.first_line
        out["requests"] = server.count
    finally:
        try:
            os.killpg(process.pid, signal.SIGTERM)
            process.wait(timeout=5)
        except (ProcessLookupError, subprocess.TimeoutExpired):
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait()
        server.close()
        shutil.rmtree(profile, ignore_errors=True)
    print(json.dumps(out), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
