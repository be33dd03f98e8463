#!/usr/bin/python3
"""The Windows tav.exe under Wine on its own Xvfb screen, watched through screenshots and driven with xdotool as a
person would. Usage: windows_e2e.py CASE EXE BUILD_DIR WINEPREFIX
CASE: imports (EXE may be several), fast_run, escape, f1_close, mode_switch_failed, double_click, win64_start.
BUILD_DIR is the Linux build folder (vel.kod and the fast test soundtrack); WINEPREFIX a prefix made for the exe."""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e_show"))
import show_e2e
from show_e2e import fail, picture_box, scene_running, shows_alone, watch

# What a Windows installation provides; anything else imported would have to be shipped beside the exe.
SYSTEM_DLLS = {"advapi32.dll", "dinput.dll", "gdi32.dll", "glu32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "opengl32.dll", "shell32.dll", "user32.dll", "winmm.dll"}


def imported_dlls(exe):
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True, text=True, check=True)
    return [line.split(":", 1)[1].strip() for line in dump.stdout.splitlines() if "DLL Name:" in line]


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
        print("%s: %s" % (os.path.basename(os.path.dirname(exe)), " ".join(sorted(dlls))))


class Screen(show_e2e.Screen):
    def __init__(self, size, prefix):
        super().__init__(size)
        self.env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree=;mshtml=")
        self.prefix = prefix

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


def start_show(screen, exe, folder, loading):
    """Starts the show, waits for its full-screen window and the centred loading picture of the pause."""
    show = screen.wine([os.path.join(folder, os.path.basename(exe))], folder)
    window = screen.window(30)
    expect_fullscreen(screen, window)
    if watch(screen, 5, loading) is None:
        fail("no loading picture at (272, 172) during the pause")
    return show, window


def main():
    case, exe, build, prefix = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
    if case == "imports":
        check_imports(sys.argv[2].split(","))
        return
    loading = shows_alone(picture_box(build, "Data/Gfx/loading.tga"))
    closing = shows_alone(picture_box(build, "Data/gfx/theend.tga"))
    screen = Screen("1024x768" if case == "mode_switch_failed" else "800x600", prefix)
    folder = stage(exe, build)
    show = None
    try:
        if case == "fast_run":
            # Wine here has no sound device: the silent output's clock carries the show to its end.
            show, window = start_show(screen, exe, folder, loading)
            if watch(screen, 10, scene_running) is None:
                fail("the scenes did not start after the pause")
            if watch(screen, 60, closing) is None:
                fail("no closing picture")
            show_e2e.wait_exit(show, 20, "after the closing picture")
        elif case == "escape":
            show, window = start_show(screen, exe, folder, loading)
            if watch(screen, 10, scene_running) is None:
                fail("the scenes did not start after the pause")
            screen.press(window, "Escape")
            show_e2e.wait_exit(show, 10, "after Escape")
        elif case == "f1_close":
            show, window = start_show(screen, exe, folder, loading)
            if watch(screen, 10, scene_running) is None:
                fail("the scenes did not start after the pause")
            screen.press(window, "F1")
            windowed = screen.window(20, not_id=window)
            x, y, width, height = screen.geometry(windowed)
            if width <= 800 or height <= 600:
                fail("the window after F1 is %dx%d: no frame around an 800x600 client area" % (width, height))
            time.sleep(6)
            if show.poll() is not None:
                fail("the show ended after F1")
            screen.press(windowed, "F1")
            again = screen.window(20, not_id=windowed)
            expect_fullscreen(screen, again)
            if watch(screen, 5, loading) is None:
                fail("no loading picture after going back to full screen")
            if watch(screen, 10, scene_running) is None:
                fail("the scenes did not start again after F1")
            window = again
            show_e2e.Screen.close_request = None
            close_request(screen, window)
            show_e2e.wait_exit(show, 10, "after closing the window")
        else:
            fail("unknown case " + case)
    finally:
        if show is not None and show.poll() is None:
            show.kill()
        screen.stop_wine()
        screen.close()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
