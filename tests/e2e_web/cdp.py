# SPDX-License-Identifier: MIT
"""A small Chrome DevTools protocol client for the browser tests: a headless Chromium with a fresh profile, a
folder served over HTTP on 127.0.0.1 from a thread, one page driven over its WebSocket (evaluate, clicks, keys,
screenshots as RGB pixels, console and exceptions collected). The browser is always killed on the way out, also
when the test fails or is stopped by a timeout (SIGTERM)."""

import atexit
import base64
import functools
import http.server
import io
import json
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket  # Debian: python3-websocket
from PIL import Image, ImageChops  # Debian: python3-pil

VIEW_W, VIEW_H = 800, 600

# Virtual-key codes and DOM names of the keys the tests press.
KEYS = {
    "Escape": (27, "Escape", "Escape"),
    "F1": (112, "F1", "F1"),
    "Enter": (13, "Enter", "Enter"),
    "Space": (32, "Space", " "),
}


class CdpError(RuntimeError):
    pass


class _Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map)
    extensions_map.update({".wasm": "application/wasm", ".js": "text/javascript", ".data": "application/octet-stream"})

    def end_headers(self):
        # Each test may serve a freshly built site under the same name.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def do_GET(self):
        if self.path.split("?")[0] == "/favicon.ico":
            # The browser asks for one on its own; a 404 would show as a console error.
            self.send_response(204)
            self.end_headers()
            return
        super().do_GET()

    def log_message(self, fmt, *args):
        pass


class Server:
    """Serves `folder` on 127.0.0.1 at a free port; `url(path)` gives the address of a file."""

    def __init__(self, folder):
        handler = functools.partial(_Handler, directory=os.path.abspath(folder))
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.httpd.daemon_threads = True
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def url(self, path="index.html"):
        return "http://127.0.0.1:%d/%s" % (self.port, path.lstrip("/"))

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Picture:
    """An RGB screenshot: `px(x, y)` -> (r, g, b); "lit" means some channel above a threshold."""

    def __init__(self, image):
        self.image = image.convert("RGB")
        self.width, self.height = self.image.size

    def px(self, x, y):
        return self.image.getpixel((x, y))

    def _mask(self, threshold, box=None):
        img = self.image.crop(box) if box else self.image
        r, g, b = img.point(lambda v: 255 if v > threshold else 0).split()
        return ImageChops.lighter(ImageChops.lighter(r, g), b)

    def bounds(self, threshold=12, box=None):
        """(left, top, right, bottom) of the lit pixels, right/bottom exclusive; None when none is lit."""
        found = self._mask(threshold, box).getbbox()
        if found is None or box is None:
            return found
        return found[0] + box[0], found[1] + box[1], found[2] + box[0], found[3] + box[1]

    def lit_fraction(self, threshold=12, box=None):
        """Share of pixels lit, in `box` (left, top, right, bottom) or the whole picture."""
        hist = self._mask(threshold, box).histogram()
        total = sum(hist)
        return hist[255] / total if total else 0.0

    def mean_difference(self, other):
        """Mean absolute channel difference to another picture of the same size, 0..255."""
        diff = ImageChops.difference(self.image, other.image)
        hist = diff.histogram()
        total = sum(hist)
        return sum((i % 256) * n for i, n in enumerate(hist)) / total if total else 0.0

    def save(self, path):
        self.image.save(path)


_live = set()


def _on_sigterm(signum, frame):
    # A timeout's SIGTERM unwinds through the context managers, which kill the browser.
    raise SystemExit(128 + signum)


def _kill_all():
    for b in list(_live):
        b.close()


class Browser:
    """A headless Chromium with one page. Use as a context manager.

    `autoplay` lets an AudioContext run without a click. `init_scripts` run in every new document before the
    page's own scripts (Page.addScriptToEvaluateOnNewDocument). `muted` False plays sound to the sound server
    PULSE_SERVER names (muted, Chromium still opens its stream but writes only zeros). `priority` raises the
    browser's scheduling priority by that much where the tests run as root, for timing against the sound on a
    busy machine."""

    def __init__(self, autoplay=False, extra_flags=(), init_scripts=(), timeout=30.0, muted=True, priority=0):
        self.timeout = timeout
        self.console = []  # (type, text) of console calls
        self.exceptions = []  # text of uncaught exceptions
        self.log = []  # (level, text) of browser log entries (failed loads, ...)
        self._events = []
        self._next_id = 0
        self.proc = None
        self.ws = None
        self.profile = tempfile.mkdtemp(prefix="tav-chromium-")
        if threading.current_thread() is threading.main_thread():
            signal.signal(signal.SIGTERM, _on_sigterm)
        _live.add(self)
        try:
            self._start(autoplay, extra_flags, muted, priority)
            self._enable(init_scripts)
        except BaseException:
            self.close()
            raise

    # -- process --------------------------------------------------------------------------------------------------
    def _start(self, autoplay, extra_flags, muted, priority):
        exe = shutil.which("chromium") or shutil.which("chromium-browser") or shutil.which("google-chrome")
        if not exe:
            raise CdpError("no chromium found (install the chromium package)")
        args = [exe, "--headless=new", "--no-sandbox", "--remote-debugging-port=0",
                "--user-data-dir=" + self.profile, "--no-first-run", "--no-default-browser-check",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--window-size=%d,%d" % (VIEW_W, VIEW_H)]
        if muted:
            args.append("--mute-audio")
        if autoplay:
            args.append("--autoplay-policy=no-user-gesture-required")
        args += list(extra_flags)
        args.append("about:blank")
        if priority and os.geteuid() == 0:
            args = ["nice", "-n", str(-priority)] + args
        self._stderr = open(os.path.join(self.profile, "stderr.txt"), "wb")
        # A session of its own, so the whole process tree goes with one kill of this group.
        self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=self._stderr, stderr=self._stderr,
                                     start_new_session=True)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + self.timeout
        port = None
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise CdpError("chromium exited (%d) at start: %s" % (self.proc.returncode, self.stderr_tail()))
            try:
                with open(port_file) as f:
                    lines = f.read().split()
                if lines:
                    port = int(lines[0])
                    break
            except (OSError, ValueError):
                pass
            time.sleep(0.05)
        if port is None:
            raise CdpError("chromium gave no DevTools port: " + self.stderr_tail())
        page_ws = None
        while time.monotonic() < deadline and page_ws is None:
            try:
                with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % port, timeout=5) as r:
                    targets = json.load(r)
                page_ws = next((t["webSocketDebuggerUrl"] for t in targets if t.get("type") == "page"), None)
            except OSError:
                pass
            if page_ws is None:
                time.sleep(0.1)
        if page_ws is None:
            raise CdpError("chromium has no page target")
        self.ws = websocket.create_connection(page_ws, timeout=self.timeout, suppress_origin=True)

    def stderr_tail(self, n=2000):
        try:
            with open(os.path.join(self.profile, "stderr.txt"), "rb") as f:
                return f.read()[-n:].decode("utf-8", "replace")
        except OSError:
            return ""

    def close(self):
        if self.ws is not None:
            try:
                self.ws.close()
            except Exception:
                pass
            self.ws = None
        if self.proc is not None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except (ProcessLookupError, PermissionError):
                pass
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
            self.proc = None
        if getattr(self, "_stderr", None):
            self._stderr.close()
            self._stderr = None
        shutil.rmtree(self.profile, ignore_errors=True)
        _live.discard(self)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # -- protocol -------------------------------------------------------------------------------------------------
    def call(self, method, params=None, timeout=None):
        """Sends one command and returns its result; events that arrive meanwhile are recorded."""
        if self.ws is None:
            raise CdpError("browser closed")
        self._next_id += 1
        mid = self._next_id
        self.ws.send(json.dumps({"id": mid, "method": method, "params": params or {}}))
        deadline = time.monotonic() + (timeout or self.timeout)
        while True:
            msg = self._recv(deadline, method)
            if msg.get("id") == mid:
                if "error" in msg:
                    raise CdpError("%s: %s" % (method, msg["error"].get("message", msg["error"])))
                return msg.get("result", {})

    def _recv(self, deadline, what):
        left = deadline - time.monotonic()
        if left <= 0:
            raise CdpError("timed out waiting for " + what)
        self.ws.settimeout(left)
        try:
            raw = self.ws.recv()
        except websocket.WebSocketTimeoutException:
            raise CdpError("timed out waiting for " + what)
        except websocket.WebSocketConnectionClosedException:
            raise CdpError("browser connection closed while waiting for %s: %s" % (what, self.stderr_tail()))
        msg = json.loads(raw)
        if "method" in msg:
            self._event(msg["method"], msg.get("params", {}))
        return msg

    def _event(self, method, p):
        if method == "Runtime.consoleAPICalled":
            text = " ".join(_remote_text(a) for a in p.get("args", []))
            self.console.append((p.get("type", "log"), text))
        elif method == "Runtime.exceptionThrown":
            d = p.get("exceptionDetails", {})
            ex = d.get("exception", {})
            self.exceptions.append(ex.get("description") or d.get("text", "exception"))
        elif method == "Log.entryAdded":
            e = p.get("entry", {})
            self.log.append((e.get("level", ""), "%s %s" % (e.get("text", ""), e.get("url", ""))))
        self._events.append((method, p))

    def pump(self, seconds):
        """Reads events for `seconds` (lets console messages in while the test waits)."""
        deadline = time.monotonic() + seconds
        while True:
            try:
                self._recv(deadline, "events")
            except CdpError as e:
                if "timed out" in str(e):
                    return
                raise

    def wait_event(self, method, timeout=None):
        """Waits for an event named `method` that arrives after this call started; returns its params."""
        start = len(self._events)
        deadline = time.monotonic() + (timeout or self.timeout)
        while True:
            for m, p in self._events[start:]:
                if m == method:
                    return p
            start = len(self._events)
            self._recv(deadline, method)

    def _enable(self, init_scripts):
        self.call("Page.enable")
        self.call("Runtime.enable")
        self.call("Log.enable")
        self.set_viewport(VIEW_W, VIEW_H)
        for s in init_scripts:
            self.add_init_script(s)

    def add_init_script(self, source):
        """Runs `source` in every document opened from now on, before the page's scripts; returns its id."""
        return self.call("Page.addScriptToEvaluateOnNewDocument", {"source": source})["identifier"]

    def remove_init_script(self, identifier):
        self.call("Page.removeScriptToEvaluateOnNewDocument", {"identifier": identifier})

    # -- page -----------------------------------------------------------------------------------------------------
    def set_viewport(self, width, height):
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})

    def open(self, url, timeout=None):
        """Navigates and waits for the load event."""
        start = len(self._events)
        r = self.call("Page.navigate", {"url": url})
        if r.get("errorText"):
            raise CdpError("navigation to %s failed: %s" % (url, r["errorText"]))
        deadline = time.monotonic() + (timeout or self.timeout)
        while not any(m == "Page.loadEventFired" for m, _ in self._events[start:]):
            self._recv(deadline, "load of " + url)

    def eval(self, expression, timeout=None):
        """Evaluates JS in the page (promises awaited) and returns its value as JSON data."""
        r = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True, "awaitPromise": True},
                      timeout=timeout)
        if "exceptionDetails" in r:
            d = r["exceptionDetails"]
            raise CdpError("JS %r threw: %s" % (expression[:80], d.get("exception", {}).get("description")
                                                  or d.get("text")))
        return r.get("result", {}).get("value")

    def wait_for(self, expression, timeout=None, interval=0.1):
        """Polls until the JS `expression` is truthy; returns its value. Raises CdpError on timeout."""
        deadline = time.monotonic() + (timeout or self.timeout)
        while True:
            v = self.eval(expression)
            if v:
                return v
            if time.monotonic() >= deadline:
                raise CdpError("timed out waiting for " + expression)
            self.pump(interval)

    def click(self, x, y):
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            p = {"type": kind, "x": x, "y": y, "button": "left" if kind != "mouseMoved" else "none",
                 "clickCount": 1 if kind != "mouseMoved" else 0}
            self.call("Input.dispatchMouseEvent", p)

    def key(self, name, down=True, up=True):
        vk, code, key = KEYS[name]
        base = {"windowsVirtualKeyCode": vk, "nativeVirtualKeyCode": vk, "code": code, "key": key}
        if down:
            p = dict(base, type="keyDown" if len(key) > 1 else "rawKeyDown")
            if len(key) == 1:
                p["text"] = key
            self.call("Input.dispatchKeyEvent", p)
        if up:
            self.call("Input.dispatchKeyEvent", dict(base, type="keyUp"))

    def press(self, name, hold=0.3):
        """Holds a key for `hold` seconds, so a program that samples key states once a frame sees it down."""
        self.key(name, up=False)
        self.pump(hold)
        self.key(name, down=False)

    def screenshot(self):
        r = self.call("Page.captureScreenshot", {"format": "png"})
        return Picture(Image.open(io.BytesIO(base64.b64decode(r["data"]))))

    def errors(self):
        """Everything a test should treat as a fault: console.error/assert calls, uncaught exceptions and browser
        log entries of level error."""
        out = ["console.%s: %s" % (t, s) for t, s in self.console if t in ("error", "assert")]
        out += ["exception: " + e for e in self.exceptions]
        out += ["log: " + s for lvl, s in self.log if lvl == "error"]
        return out


def _remote_text(obj):
    if "value" in obj:
        v = obj["value"]
        return v if isinstance(v, str) else json.dumps(v)
    return obj.get("description") or obj.get("unserializableValue") or obj.get("type", "")


atexit.register(_kill_all)
