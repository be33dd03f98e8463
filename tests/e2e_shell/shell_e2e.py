#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Drives the real tav under its own Xvfb as a person would: xdotool for keys and the pointer, python3-xlib for
the window manager's close request and the window's properties. Usage: shell_e2e.py CASE TAV WORKDIR"""
import os
import subprocess
import sys
import time

from Xlib import X, protocol

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import xscreen
from xscreen import fail

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e_show"))
from show_e2e import scene_running

# The show's load pauses 4 s before its first frame, and keys pressed and released during the pause are gone
# when the loop starts: wait for the scenes, however long a loaded machine takes to get there.
LOAD_SECONDS = 40.0


class Screen(xscreen.Screen):
    def __init__(self, size):
        super().__init__(size)
        self.x.xfixes_query_version()

    def fullscreen(self, window):
        # Without a window manager nothing marks a full-screen window, but the show hides the cursor exactly
        # while it runs full screen: with the pointer over the window, the cursor image is blank.
        self.xdotool("mousemove", "400", "300")
        time.sleep(0.3)
        image = self.x.xfixes_get_cursor_image(window)
        return not any(image.cursor_image)

    def close_request(self, window):
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
        self.x.flush()

    def position(self, window):
        origin = window.translate_coords(self.x.screen().root, 0, 0)
        geometry = window.get_geometry()
        return (-origin.x, -origin.y, geometry.width, geometry.height)

    def press_return_on(self, box):
        # SDL maps its box and then centres it; with no window manager the keyboard follows the pointer, so
        # point at the box once it has stopped moving. Return again only if the first press came too early.
        settled, last = 0, None
        for _ in range(50):
            now = self.position(box)
            settled = settled + 1 if now == last else 0
            last = now
            if settled >= 3:
                break
            time.sleep(0.1)
        x, y, width, height = last
        for _ in range(10):
            self.xdotool("mousemove", str(x + width // 2), str(y + height // 2))
            time.sleep(0.2)
            self.xdotool("key", "Return")
            time.sleep(0.5)
            if not any(w.id == box.id for w in self.windows_named("Error")):
                return
        fail("Return did not dismiss the message box")


def expect_show_window(screen, window, fullscreen):
    # Asked once the scenes run: the window is mapped a moment before the show hides the cursor on it, and on a
    # loaded machine that moment outlasted the pointer check.
    geometry = window.get_geometry()
    if (geometry.width, geometry.height) != (800, 600):
        fail("client area is %dx%d, not 800x600" % (geometry.width, geometry.height))
    if screen.fullscreen(window) != fullscreen:
        fail("window is %s full screen" % ("not" if fullscreen else "unexpectedly"))


# How long a quit may take: under the sanitizers, on a loaded machine, the leak check at exit alone can take
# seconds. A quit that never comes still fails.
EXIT_SECONDS = 10


def wait_for_scenes(window):
    """Waits until the window shows a scene, not the loading picture alone: the frame loop is running."""
    end = time.time() + LOAD_SECONDS
    while time.time() < end:
        try:
            image = window.get_image(0, 0, 800, 600, X.ZPixmap, 0xFFFFFFFF)
            if len(image.data) == 800 * 600 * 4 and scene_running(image.data):
                return
        except Exception:
            pass  # not viewable yet
        time.sleep(0.1)
    fail("no scene in the window %g s after it opened" % LOAD_SECONDS)


def gone(screen, window):
    return all(w.id != window.id for w in screen.windows_named("T.A.V."))


def expect_exit(show, seconds):
    try:
        code = show.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        show.kill()
        fail("tav still running %g s after the request" % seconds)
    if code != 0:
        fail("tav exited with %d" % code)


def main():
    case, tav, workdir = sys.argv[1], sys.argv[2], sys.argv[3]
    screen = Screen("1024x768" if case == "mode_switch_failed" else "800x600")
    errors = open(os.path.join(workdir, "e2e_shell.%s.stderr" % case), "w+")
    show = subprocess.Popen([tav], cwd=workdir, env=screen.env, stderr=errors)
    try:
        if case == "mode_switch_failed":
            # The box comes first and must be dismissed with Return before the show window opens.
            box = screen.wait_window("Error", 15)
            if screen.windows_named("T.A.V."):
                fail("the show window opened before the message box was dismissed")
            screen.press_return_on(box)
            window = screen.wait_window("T.A.V.", 15)
            if screen.windows_named("Error"):
                fail("the message box is still up beside the show window")
            wait_for_scenes(window)
            expect_show_window(screen, window, False)
            screen.hold_key(window, "Escape")
            expect_exit(show, EXIT_SECONDS)
            errors.seek(0)
            text = errors.read()
            if "Mode Switch Failed." in text:
                fail("the message went to stderr, not to the box")
            # The box gives the program's message; stderr says why, naming the display that was tried.
            reason = "tav: the display has no 800 x 600 mode (it offers 1024 x 768); display tried: DISPLAY=%s (x11)" % screen.env["DISPLAY"]
            if reason not in text:
                fail("stderr does not say why the switch failed:\n%s" % text)
            return
        window = screen.wait_window("T.A.V.", 15)
        wait_for_scenes(window)
        expect_show_window(screen, window, True)
        if case == "close":
            screen.close_request(window)
            expect_exit(show, EXIT_SECONDS)
        elif case == "escape":
            screen.hold_key(window, "Escape")
            expect_exit(show, EXIT_SECONDS)
        elif case == "toggle":
            if not screen.hold_key_until(window, "F1", lambda: gone(screen, window)):
                fail("F1 left the full-screen window up")
            windowed = screen.wait_window("T.A.V.", 10, not_id=window.id)
            wait_for_scenes(windowed)
            expect_show_window(screen, windowed, False)
            if not screen.hold_key_until(windowed, "F1", lambda: gone(screen, windowed)):
                fail("F1 left the window up")
            again = screen.wait_window("T.A.V.", 10, not_id=windowed.id)
            wait_for_scenes(again)
            expect_show_window(screen, again, True)
            # The first press on a window F1 made can reach nobody (see hold_key_until): held until tav is gone.
            screen.hold_key_until(again, "Escape", lambda: show.poll() is not None, EXIT_SECONDS)
            expect_exit(show, EXIT_SECONDS)
        else:
            fail("unknown case " + case)
    finally:
        if show.poll() is None:
            show.kill()
            show.wait()
        screen.close()


if __name__ == "__main__":
    main()
