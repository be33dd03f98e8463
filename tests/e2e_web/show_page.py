# SPDX-License-Identifier: MIT
"""What the browser tests of the show share: a served copy of the built site with a chosen content package, the
start of the show through its page (ready, the start click, running), the page's report window.tav, the sound
output's report window.tavAudio, and the soundtrack's timing read from the XM file itself."""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import zipfile

import cdp

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SITE_FILES = ("index.html", "tav.js", "tav.wasm")
# The loading and closing pictures are drawn as 256 x 256 pictures centred in the 800 x 600 window.
PICTURE_BOX = ((800 - 256) // 2, (600 - 256) // 2, (800 - 256) // 2 + 256, (600 - 256) // 2 + 256)


def arguments(description, cases):
    p = argparse.ArgumentParser(description=description)
    p.add_argument("--site", default=os.path.join(ROOT, "build-web"), help="the built site (build-web/)")
    p.add_argument("--build", default=os.path.join(ROOT, "build"),
                   help="the native build, for vel.kod and the fast test soundtrack")
    p.add_argument("--case", choices=sorted(cases), action="append", help="run only these cases")
    p.add_argument("--keep", help="save screenshots into this folder")
    return p.parse_args()


def run_cases(args, cases):
    """Runs the chosen cases in order; prints each result; exit status 1 when any failed."""
    failed = []
    for name in args.case or list(cases):
        print("== %s" % name, flush=True)
        try:
            cases[name](args)
            print("   ok", flush=True)
        except Exception as e:  # report and go on with the other cases
            print("   FAILED: %s: %s" % (type(e).__name__, e), flush=True)
            failed.append(name)
    if failed:
        print("failed: " + " ".join(failed))
        sys.exit(1)


class Site:
    """A folder serving the built program with a content package: the site's own, or one packed from
    `content` {name in the program's folder: path}. Use as a context manager."""

    def __init__(self, args, content=None):
        self.dir = tempfile.mkdtemp(prefix="tav-site-")
        for f in SITE_FILES:
            src = os.path.join(args.site, f)
            if not os.path.isfile(src):
                raise RuntimeError("no %s: build the site first (scripts/build-web.sh)" % src)
            os.symlink(src, os.path.join(self.dir, f))
        if content is None:
            for f in ("content.js", "content.data"):
                os.symlink(os.path.join(args.site, f), os.path.join(self.dir, f))
        else:
            pairs = ["%s=%s" % (name, path) for name, path in content.items()]
            subprocess.run([os.path.join(ROOT, "scripts", "build-web.sh"), "--content", self.dir] + pairs,
                           check=True)
        self.server = cdp.Server(self.dir)

    def url(self):
        return self.server.url("index.html")

    def close(self):
        self.server.close()
        for f in os.listdir(self.dir):
            os.unlink(os.path.join(self.dir, f))
        os.rmdir(self.dir)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def fast_content(args):
    return {"vel.kod": os.path.join(args.build, "vel.kod"),
            "Data/sfx/trancen.xm": os.path.join(args.build, "test-content", "fast", "Data", "sfx", "trancen.xm")}


def check_no_errors(browser, when):
    errors = browser.errors()
    if errors:
        raise AssertionError("console errors %s:\n  %s" % (when, "\n  ".join(errors[:10])))


def open_ready(browser, url):
    """Loads the page and waits for it to ask for the start click; the page must not have logged an error."""
    browser.open(url, timeout=60)
    state = browser.wait_for("window.tav && ['ready', 'ended'].includes(window.tav.state) && window.tav.state",
                             timeout=60)
    check_no_errors(browser, "while loading")
    if state != "ready":
        raise AssertionError("page state %r before the start click" % state)


def start(browser, url):
    """Opens the page, clicks its start overlay in the middle of the window and waits for the program to run."""
    open_ready(browser, url)
    browser.click(400, 300)
    browser.wait_for("window.tav.state !== 'ready'", timeout=10)


def tav(browser):
    return browser.eval("window.tav && {state: tav.state, exitCode: tav.exitCode, messages: tav.messages}")


def audio(browser):
    return browser.eval("window.tavAudio || null")


def wait_ended(browser, timeout):
    browser.wait_for("window.tav.state === 'ended'", timeout=timeout, interval=0.25)
    return tav(browser)


class Song:
    """The timing of an XM file as its header gives it: speed (ticks per row), BPM, and each order's row count.
    The generated soundtracks never change tempo inside the song, so a row lasts speed * 2.5 / BPM seconds."""

    def __init__(self, data):
        if data[:17] != b"Extended Module: ":
            raise ValueError("not an XM file")
        header_size, length, _restart, _channels, patterns, _instruments, _flags, speed, bpm = \
            struct.unpack_from("<IHHHHHHHH", data, 60)
        orders = list(data[80:80 + length])
        rows = []
        at = 60 + header_size
        for _ in range(patterns):
            plen, _packing, nrows, packed = struct.unpack_from("<IBHH", data, at)
            rows.append(nrows)
            at += plen + packed
        self.speed, self.bpm = speed, bpm
        self.row_seconds = speed * 2.5 / bpm
        self.order_rows = [rows[p] if p < len(rows) else 64 for p in orders]

    def linear_row(self, order, row):
        """Rows played from the song's start to (order, row)."""
        return sum(self.order_rows[:order]) + row

    def position(self, order, row):
        """The show's music position: order times that order's pattern length, plus the row."""
        return order * self.order_rows[order] + row


def song_from_archive(path, name="Data/sfx/trancen.xm"):
    with zipfile.ZipFile(path) as z:
        return Song(z.read(name))


def song_from_file(path):
    with open(path, "rb") as f:
        return Song(f.read())


def picture_from_archive(path, name):
    """A TGA picture of the content archive as RGB over black, as the show blends it (colour times alpha)."""
    import io
    from PIL import Image
    with zipfile.ZipFile(path) as z:
        img = Image.open(io.BytesIO(z.read(name))).convert("RGBA")
    black = Image.new("RGBA", img.size, (0, 0, 0, 255))
    return cdp.Picture(Image.alpha_composite(black, img))
