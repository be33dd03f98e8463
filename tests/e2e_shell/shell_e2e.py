#!/usr/bin/python3
"""Drives the real tav under its own Xvfb as a person would: xdotool for keys and the pointer, python3-xlib for
the window manager's close request and the window's properties. Usage: shell_e2e.py CASE TAV WORKDIR"""
import os
import subprocess
import sys
import time

from Xlib import X, display, protocol

LOAD_SECONDS = 6.0  # the show's load pauses 4 s before its first frame; wait that out generously


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


class Screen:
    def __init__(self, size):
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
        self.x.xfixes_query_version()

    def close(self):
        self.x.close()
        self.server.terminate()
        self.server.wait()

    def xdotool(self, *args):
        return subprocess.run(["xdotool"] + list(args), env=self.env, capture_output=True, text=True).stdout

    def windows_named(self, name):
        found = []
        def walk(window):
            try:
                children = window.query_tree().children
            except Exception:
                return  # gone while we looked
            for child in children:
                try:
                    if child.get_wm_name() == name and child.get_attributes().map_state == X.IsViewable:
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

    def hold_key(self, window, key):
        # Held long enough for frames to see it down, as a finger would.
        self.xdotool("keydown", "--window", str(window.id), key)
        time.sleep(0.4)
        self.xdotool("keyup", "--window", str(window.id), key)


def expect_show_window(screen, window, fullscreen):
    geometry = window.get_geometry()
    if (geometry.width, geometry.height) != (800, 600):
        fail("client area is %dx%d, not 800x600" % (geometry.width, geometry.height))
    if screen.fullscreen(window) != fullscreen:
        fail("window is %s full screen" % ("not" if fullscreen else "unexpectedly"))


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
            # The box comes first; if SDL cannot draw one, the show window comes without it.
            box = None
            end = time.time() + 15
            while box is None and time.time() < end and not screen.windows_named("T.A.V."):
                box = (screen.windows_named("Error") or [None])[0]
                time.sleep(0.1)
            if box is not None:
                geometry = box.get_geometry()
                position = box.translate_coords(screen.x.screen().root, 0, 0)
                screen.xdotool("mousemove", str(-position.x + geometry.width // 2),
                               str(-position.y + geometry.height // 2))
                time.sleep(0.3)
                screen.xdotool("key", "Return")
            window = screen.wait_window("T.A.V.", 15)
            if box is None:
                # SDL could not draw its box on this display: the message must then be on stderr.
                errors.seek(0)
                if "Error: Mode Switch Failed.\nRunning In Windowed Mode.\n" not in errors.read():
                    fail("neither a message box nor the message on stderr")
            expect_show_window(screen, window, False)
            time.sleep(LOAD_SECONDS)
            screen.hold_key(window, "Escape")
            expect_exit(show, 2)
            return
        window = screen.wait_window("T.A.V.", 15)
        expect_show_window(screen, window, True)
        time.sleep(LOAD_SECONDS)
        if case == "close":
            screen.close_request(window)
            expect_exit(show, 2)
        elif case == "escape":
            screen.hold_key(window, "Escape")
            expect_exit(show, 2)
        elif case == "toggle":
            screen.hold_key(window, "F1")
            windowed = screen.wait_window("T.A.V.", 10, not_id=window.id)
            expect_show_window(screen, windowed, False)
            time.sleep(LOAD_SECONDS)
            screen.hold_key(windowed, "F1")
            again = screen.wait_window("T.A.V.", 10, not_id=windowed.id)
            expect_show_window(screen, again, True)
            time.sleep(LOAD_SECONDS)
            screen.hold_key(again, "Escape")
            expect_exit(show, 2)
        else:
            fail("unknown case " + case)
    finally:
        if show.poll() is None:
            show.kill()
            show.wait()
        screen.close()


if __name__ == "__main__":
    main()
