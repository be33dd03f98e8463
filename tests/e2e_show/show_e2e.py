#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The real tav under its own Xvfb, watched through screenshots of the root window as a viewer would see it.
Usage: show_e2e.py CASE TAV BUILD_DIR, CASE one of fast_run, default_archive, f1_round_trip."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

from Xlib import X

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import xscreen
from xscreen import fail

WIDTH, HEIGHT = 800, 600
SQUARE = (272, 172, 528, 428)  # where a centred 256 x 256 picture lies in an 800 x 600 window


class Screen(xscreen.Screen):
    def shot(self):
        """The whole screen as rows of 4-byte pixels (blue, green, red, pad), top row first."""
        image = self.x.screen().root.get_image(0, 0, WIDTH, HEIGHT, X.ZPixmap, 0xFFFFFFFF)
        return image.data if len(image.data) == WIDTH * HEIGHT * 4 else None

    def window(self, timeout, not_id=None):
        end = time.time() + timeout
        while time.time() < end:
            ids = self.xdotool("search", "--onlyvisible", "--name", "^T\\.A\\.V\\.$").split()
            ids = [i for i in ids if i != not_id]
            if ids:
                return ids[0]
            time.sleep(0.1)
        fail("no show window appeared")


def lit_box(raw):
    """Bounding box of the pixels that are not black, sampled every fourth pixel, or None."""
    box = None
    for y in range(0, HEIGHT, 4):
        row = raw[y * WIDTH * 4:(y + 1) * WIDTH * 4]
        xs = [x for x in range(0, WIDTH, 4) if row[4 * x] > 24 or row[4 * x + 1] > 24 or row[4 * x + 2] > 24]
        if xs:
            if box is None:
                box = [xs[0], y, xs[-1], y]
            else:
                box = [min(box[0], xs[0]), box[1], max(box[2], xs[-1]), y]
    return box


def picture_box(build, member):
    """Bounding box of the lit pixels of a Targa picture from the archive, placed at the centred square's corner:
    where the screen must be lit when that picture stands alone."""
    with zipfile.ZipFile(os.path.join(build, "vel.kod")) as archive:
        name = next(n for n in archive.namelist() if n.lower() == member.lower())
        data = archive.read(name)
    width, height, bits = data[12] | data[13] << 8, data[14] | data[15] << 8, data[16]
    top_first = data[17] & 0x20
    step = bits // 8
    pixels = data[18 + data[0]:]
    box = None
    for row in range(height):
        y = row if top_first else height - 1 - row
        for x in range(width):
            p = pixels[(row * width + x) * step:(row * width + x + 1) * step]
            alpha = p[3] if step == 4 else 255
            if max(p[0], p[1], p[2]) * alpha // 255 > 24:
                box = [x, y, x, y] if box is None else [min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)]
    return [box[0] + SQUARE[0], box[1] + SQUARE[1], box[2] + SQUARE[0], box[3] + SQUARE[1]]


def shows_alone(expected):
    """A test for a screen that shows exactly that picture's lit area and nothing else."""
    def test(raw):
        box = lit_box(raw)
        return box is not None and all(abs(a - b) <= 5 for a, b in zip(box, expected))
    return test


def scene_running(raw):
    """Lit outside the centred square: a scene, not a picture standing alone."""
    box = lit_box(raw)
    return box is not None and (box[0] < SQUARE[0] or box[1] < SQUARE[1] or box[2] >= SQUARE[2] or box[3] >= SQUARE[3])


def stage(build, soundtrack):
    folder = tempfile.mkdtemp(prefix="tav-show-e2e-")
    shutil.copy(os.path.join(build, "vel.kod"), folder)
    if soundtrack:
        os.makedirs(os.path.join(folder, "Data", "sfx"))
        shutil.copy(os.path.join(build, "test-content", "fast", "Data", "sfx", "trancen.xm"),
                    os.path.join(folder, "Data", "sfx", "trancen.xm"))
    return folder


def watch(screen, seconds, until):
    """Screenshots for up to `seconds`; returns the first one that satisfies `until`, or None."""
    end = time.time() + seconds
    while time.time() < end:
        raw = screen.shot()
        if raw is not None and until(raw):
            return raw
        time.sleep(0.05)
    return None


def wait_exit(show, seconds, what, errors=None):
    try:
        code = show.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        show.kill()
        fail("the show did not end by itself " + what)
    if code != 0:
        tail = ""
        if errors is not None:
            errors.seek(0)
            tail = "; its stderr ends:\n" + "".join(errors.readlines()[-40:])
        fail("exit code %d %s%s" % (code, what, tail))


def main():
    case, tav, build = sys.argv[1], sys.argv[2], sys.argv[3]
    folder = stage(build, soundtrack=case != "default_archive")
    loading = shows_alone(picture_box(build, "Data/Gfx/loading.tga"))
    closing = shows_alone(picture_box(build, "Data/gfx/theend.tga"))
    screen = Screen()
    errors = tempfile.TemporaryFile(mode="w+")
    show = subprocess.Popen([tav], cwd=folder, env=screen.env, stdout=subprocess.DEVNULL, stderr=errors)
    try:
        window = screen.window(10)
        # The loading picture stands for the 4-second pause.
        if watch(screen, 3, loading) is None:
            fail("no loading picture at (272, 172) during the pause")
        if watch(screen, 8, scene_running) is None:
            fail("the scenes did not start after the pause")

        if case == "fast_run":
            # The scenes run their course, then the closing picture stands alone until the show quits.
            if watch(screen, 40, closing) is None:
                fail("no closing picture")
            wait_exit(show, 20, "after the closing picture", errors)
        elif case == "default_archive":
            time.sleep(2)
            if watch(screen, 2, scene_running) is None:
                fail("the show is not running a few seconds in")
            screen.hold_key(window, "Escape")
            wait_exit(show, 10, "after Escape", errors)
        elif case == "f1_round_trip":
            time.sleep(2)
            # Released as soon as the window goes: held until the picture changed twice, the key could stay down
            # through the whole loading picture and past it.
            gone = lambda: window not in screen.xdotool("search", "--onlyvisible", "--name", "^T\\.A\\.V\\.$").split()
            if not screen.hold_key_until(window, "F1", gone):
                fail("F1 left the full-screen window up")
            second = screen.window(10, not_id=window)
            if watch(screen, 3, loading) is None:
                fail("no loading picture after F1")
            if watch(screen, 8, scene_running) is None:
                fail("the scenes did not start again after F1")
            if show.poll() is not None:
                fail("the show ended after F1")
            # The first press on a window F1 made can reach nobody (see hold_key_until): held until tav is gone.
            screen.hold_key_until(second, "Escape", lambda: show.poll() is not None)
            wait_exit(show, 10, "after Escape in the second window", errors)
        else:
            fail("unknown case " + case)
    finally:
        if show.poll() is None:
            show.kill()
        screen.close()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
