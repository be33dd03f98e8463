#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The Windows tav.exe under Wine on its own Xvfb screen, watched through screenshots and driven with xdotool as a
person would. Usage: windows_e2e.py CASE EXE BUILD_DIR WINEPREFIX
CASE: imports (EXE may be several), fast_run, escape, f1_close, mode_switch_failed, double_click, sound_device
(under tests/audio/run_with_pulseaudio.sh; the server is killed once the music was heard), win64_start.
BUILD_DIR is the Linux build folder (vel.kod and the fast test soundtrack); WINEPREFIX a prefix made for the exe."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e_show"))
import show_e2e
from show_e2e import fail, picture_box, scene_running, shows_alone, watch
from Xlib import X, protocol
import wine_sound

# What a Windows installation provides; anything else imported would have to be shipped beside the exe.
SYSTEM_DLLS = {"advapi32.dll", "dinput.dll", "gdi32.dll", "glu32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "opengl32.dll", "shell32.dll", "user32.dll", "winmm.dll"}


def pe_header(exe):
    return subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True, text=True,
                          check=True).stdout


def imported_dlls(exe):
    return [line.split(":", 1)[1].strip() for line in pe_header(exe).splitlines() if "DLL Name:" in line]


def check_imports(exes):
    for exe in exes:
        dlls = imported_dlls(exe)
        if not dlls:
            fail("%s imports no DLL at all: not a Windows program?" % exe)
        foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
        if foreign:
            fail("%s imports DLLs that are not part of Windows: %s" % (exe, ", ".join(foreign)))
        for needed in ("opengl32.dll", "dinput.dll", "winmm.dll"):
            if needed not in (d.lower() for d in dlls):
                fail("%s does not import %s" % (exe, needed))
        # A GUI program (no console window opens beside the show), of the word size its folder names.
        header = pe_header(exe)
        if "(Windows GUI)" not in header:
            fail("%s is not a Windows GUI program: a console window would open with it" % exe)
        magic = "(PE32+)" if "win64" in exe else "(PE32)"
        if magic not in header:
            fail("%s is not %s" % (exe, magic))
        print("%s: %s" % (os.path.basename(os.path.dirname(exe)), " ".join(sorted(dlls))))


class Screen(show_e2e.Screen):
    def __init__(self, size, prefix):
        super().__init__(size)
        self.env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree=;mshtml=")
        self.prefix = prefix
        self.x.xfixes_query_version()

    def wine(self, args, folder):
        return subprocess.Popen(["wine"] + args, cwd=folder, env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def stop_wine(self):
        # Every case ends with its own Wine session, so the next one starts on its own screen.
        subprocess.run(["wineserver", "-k"], env=self.env)
        subprocess.run(["wineserver", "-w"], env=self.env)

    def geometry(self, window_id):
        window = self.x.create_resource_object("window", int(window_id))
        origin = window.translate_coords(self.x.screen().root, 0, 0)
        size = window.get_geometry()
        return (-origin.x, -origin.y, size.width, size.height)

    def close_request(self, window_id):
        # What a window manager's close button sends; Wine turns it into WM_CLOSE for the window.
        window = self.x.create_resource_object("window", int(window_id))
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
        self.x.flush()

    def cursor_hidden(self, window_id):
        # Full screen, the show hides the cursor; in a window it stays. With the pointer over the window, a
        # hidden cursor reads as a blank image.
        self.xdotool("mousemove", "400", "300")
        time.sleep(0.3)
        image = self.x.xfixes_get_cursor_image(self.x.create_resource_object("window", int(window_id)))
        return not any(image.cursor_image)

    def press(self, window_id, key):
        # Wine takes keys from the window that has the X input focus; hold them as a finger would.
        self.xdotool("windowfocus", "--sync", str(window_id))
        self.xdotool("keydown", key)
        time.sleep(0.4)
        self.xdotool("keyup", key)


def stage(exe, build):
    folder = show_e2e.stage(build, soundtrack=True)
    shutil.copy(exe, folder)
    return folder


def expect_fullscreen(screen, window_id):
    if screen.geometry(window_id) != (0, 0, 800, 600):
        fail("the window is at %s, not full screen at (0, 0, 800, 600)" % (screen.geometry(window_id),))
    if not screen.cursor_hidden(window_id):
        fail("the cursor shows over the full-screen window")


def expect_framed(screen, window_id):
    """A window with Windows' own frame and caption drawn around its 800 x 600 client area."""
    x, y, width, height = screen.geometry(window_id)
    if width <= 800 or height <= 600 or width > 840 or height > 680:
        fail("the window is %dx%d: not an 800 x 600 client area inside a frame" % (width, height))
    if screen.cursor_hidden(window_id):
        fail("the cursor is hidden over the framed window")
    return x, y, width, height


def start_show(screen, exe, folder, loading, cwd=None):
    """Starts the show, waits for its full-screen window and the centred loading picture of the pause."""
    show = screen.wine([os.path.join(folder, os.path.basename(exe))], cwd or folder)
    window = screen.window(40)
    expect_fullscreen(screen, window)
    if watch(screen, 5, loading) is None:
        fail("no loading picture at (272, 172) during the pause")
    if watch(screen, 10, scene_running) is None:
        fail("the scenes did not start after the pause")
    return show, window


def wait_drawing(screen, what):
    """Waits until the screen is being redrawn (the loading picture stands still through the pause, and keys
    pressed during the pause are lost), however long a loaded machine takes to get there."""
    end = time.time() + 40
    last = screen.shot()
    while time.time() < end:
        time.sleep(0.5)
        now = screen.shot()
        if now != last:
            return
        last = now
    fail("nothing is drawn " + what)


def main():
    case, exe, build, prefix = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
    if case == "imports":
        check_imports(sys.argv[2].split(","))
        return
    loading = shows_alone(picture_box(build, "Data/Gfx/loading.tga"))
    closing = shows_alone(picture_box(build, "Data/gfx/theend.tga"))
    screen = Screen("1024x768" if case == "mode_switch_failed" else "800x600", prefix)
    folder = stage(exe, build)
    elsewhere = tempfile.mkdtemp(prefix="tav-wine-cwd-")
    show = None
    try:
        if case in ("fast_run", "double_click"):
            # Started from another folder, the exe finds its data beside itself (where a double-click in
            # Explorer would have made the current folder anyway). Wine here has no sound device: the silent
            # output's clock carries the show to its end.
            show, window = start_show(screen, exe, folder, loading, elsewhere if case == "double_click" else None)
            if watch(screen, 60, closing) is None:
                fail("no closing picture")
            show_e2e.wait_exit(show, 20, "after the closing picture")
        elif case == "sound_device":
            # Run under a PulseAudio server (tests/audio/run_with_pulseaudio.sh): Wine's waveOut plays to its
            # null sink, and what the sink's monitor records must be the music, not silence.
            show, window = start_show(screen, exe, folder, loading)
            record = subprocess.run(["timeout", "4", "parec", "-d", "tav_null.monitor", "--raw", "--format=s16le",
                                     "--rate=44100", "--channels=2"], capture_output=True)
            samples = memoryview(record.stdout[:len(record.stdout) // 2 * 2]).cast("h")
            if len(samples) < 44100 * 2:
                fail("recorded only %d samples from the sound server" % len(samples))
            loudest = max(abs(v) for v in samples)
            if loudest < 1000:
                fail("the sound server heard silence (loudest sample %d)" % loudest)
            # Then the server dies, about ten seconds into the show: the silent output's clock carries the show
            # on to its closing picture and a clean exit.
            os.kill(wine_sound.pulseaudio_pid(), signal.SIGKILL)
            if watch(screen, 60, closing) is None:
                fail("no closing picture after the sound server died")
            show_e2e.wait_exit(show, 20, "after the closing picture")
        elif case == "escape":
            show, window = start_show(screen, exe, folder, loading)
            screen.press(window, "Escape")
            show_e2e.wait_exit(show, 10, "after Escape")
        elif case == "f1_close":
            show, window = start_show(screen, exe, folder, loading)
            screen.press(window, "F1")
            windowed = screen.window(20, not_id=window)
            expect_framed(screen, windowed)
            # The new pass loads again and pauses; then its scenes draw into the window.
            wait_drawing(screen, "in the window after F1")
            if show.poll() is not None:
                fail("the show ended after F1")
            screen.press(windowed, "F1")
            again = screen.window(20, not_id=windowed)
            expect_fullscreen(screen, again)
            if watch(screen, 5, loading) is None:
                fail("no loading picture after going back to full screen")
            if watch(screen, 10, scene_running) is None:
                fail("the scenes did not start again after F1")
            screen.close_request(again)
            show_e2e.wait_exit(show, 10, "after closing the window")
        elif case == "mode_switch_failed":
            # Windows' own message box comes first; Return dismisses it and the show runs in a window.
            show = screen.wine([os.path.join(folder, os.path.basename(exe))], folder)
            box = screen.wait_window("Error", 40)
            if screen.windows_named("T.A.V."):
                fail("the show window opened before the message box was dismissed")
            screen.press(box.id, "Return")
            window = screen.window(20)
            if screen.windows_named("Error"):
                fail("the message box is still up beside the show window")
            # The window keeps the requested 800 x 600 as its outer size here (frame and caption inside it),
            # so only the cursor tells it from the full-screen popup, which hides it.
            if screen.geometry(window) != (0, 0, 800, 600):
                fail("the window is at %s, not at (0, 0, 800, 600)" % (screen.geometry(window),))
            if screen.cursor_hidden(window):
                fail("the cursor is hidden over the window: it runs as the full-screen popup")
            wait_drawing(screen, "in the window after the message box")
            screen.press(window, "Escape")
            show_e2e.wait_exit(show, 10, "after Escape")
        elif case == "win64_start":
            show, window = start_show(screen, exe, folder, loading)
            screen.press(window, "Escape")
            show_e2e.wait_exit(show, 10, "after Escape")
        else:
            fail("unknown case " + case)
    finally:
        if show is not None and show.poll() is None:
            show.kill()
        screen.stop_wine()
        screen.close()
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(elsewhere, ignore_errors=True)


if __name__ == "__main__":
    main()
