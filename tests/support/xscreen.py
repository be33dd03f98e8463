# SPDX-License-Identifier: MIT
"""A private Xvfb screen for the end-to-end tests: started on a free display number, driven with xdotool for
keys and the pointer and with python3-xlib for window properties."""
import os
import subprocess
import sys
import time

from Xlib import X, display


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


class Screen:
    def __init__(self, size="800x600"):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size + "x24",
                                        "-nolisten", "tcp"], pass_fds=[write_end], stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                fail("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.name = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.name)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.x = display.Display(self.name)

    def close(self):
        self.x.close()
        self.server.terminate()
        self.server.wait()

    def xdotool(self, *args):
        return subprocess.run(["xdotool"] + list(args), env=self.env, capture_output=True, text=True).stdout

    def title(self, window):
        # SDL's message box stores its title as UTF-8 in both properties, which get_wm_name reads as empty.
        for prop in ("_NET_WM_NAME", "WM_NAME"):
            text = window.get_full_text_property(self.x.intern_atom(prop))
            if text:
                return text.decode() if isinstance(text, bytes) else text
        return None

    def windows_named(self, name):
        found = []
        def walk(window):
            try:
                children = window.query_tree().children
            except Exception:
                return  # gone while we looked
            for child in children:
                try:
                    if self.title(child) == name and child.get_attributes().map_state == X.IsViewable:
                        found.append(child)
                except Exception:
                    pass
                walk(child)
        walk(self.x.screen().root)
        return found

    def wait_window(self, name, timeout, not_id=None, required=True):
        end = time.time() + timeout
        while time.time() < end:
            for window in self.windows_named(name):
                if window.id != not_id:
                    return window
            time.sleep(0.1)
        if required:
            fail("no window named %r appeared" % name)
        return None

    def picture(self):
        """The whole screen's pixels, or None while it cannot be read."""
        root = self.x.screen().root
        geometry = root.get_geometry()
        try:
            return root.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF).data
        except Exception:
            return None

    def hold_key_until(self, window, key, done, seconds=10):
        """Holds the key until done() is true or the time is up; says whether it came true. For F1, whose effect
        (the window made again) shows without waiting on frames: released at once, so the key's repeats do not
        reach the new window and switch again; and for Escape on a window F1 made, held until tav is gone. The X server here without a window manager gave the first press
        on a window that F1 had made to nobody (a client listening on that window saw only the release); the
        held key's repeats then carry it."""
        target = str(getattr(window, "id", window))
        self.xdotool("keydown", "--window", target, key)
        end = time.time() + seconds
        while not done() and time.time() < end:
            time.sleep(0.05)
        self.xdotool("keyup", "--window", target, key)
        return done()

    def hold_key(self, window, key):
        # Held as a finger would: the show reads keys once per frame, and a press and release that both arrive
        # while one frame is being drawn (a new context compiles its shaders for a second or more under the
        # sanitizers) are taken together before the next frame and never seen. So the key stays down until the
        # picture has changed twice, proof that a whole frame began with it down, or 10 s at most. The window
        # is an Xlib window or an xdotool window id.
        target = str(getattr(window, "id", window))
        self.xdotool("keydown", "--window", target, key)
        time.sleep(0.4)
        changes, last, end = 0, self.picture(), time.time() + 10
        while changes < 2 and time.time() < end:
            time.sleep(0.02)
            now = self.picture()
            if now != last:
                changes += 1
                last = now
        self.xdotool("keyup", "--window", target, key)
