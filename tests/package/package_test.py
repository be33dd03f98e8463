#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""tav installed as a Linux program. Usage: package_test.py CASE BUILD_DIR
  staged: `cmake --install` into a fresh prefix: exactly the expected files, manual pages that render, a desktop
          entry that validates, and the staged tav-capture finding the staged content from an empty folder.
  deb:    the Debian package built with cpack, checked by lintian, installed with dpkg (root), used from empty
          folders (tav-capture; tav under Xvfb, also with one loose picture that must win), then removed with
          every file it installed. Cleans up after itself even when it fails."""
import glob
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "e2e_show"))
import show_e2e
from xscreen import fail

SKIP = 77

# Every file an install puts in place, relative to its prefix.
INSTALLED = [
    "bin/tav",
    "bin/tav-capture",
    "share/tav/vel.kod",
    "share/applications/tav.desktop",
    "share/icons/hicolor/48x48/apps/tav.png",
    "share/icons/hicolor/128x128/apps/tav.png",
    "share/icons/hicolor/256x256/apps/tav.png",
    "share/man/man6/tav.6.gz",
    "share/man/man1/tav-capture.1.gz",
    "share/doc/tav/README.md",
    "share/doc/tav/copyright",
    "share/doc/tav/changelog.gz",
]

FPS, SECONDS = 10, 6


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def check_pages_and_entry(prefix):
    """The manual pages render without a warning from groff; the desktop entry validates; the icons are PNG
    files of the size their folder names."""
    for page in ("share/man/man6/tav.6.gz", "share/man/man1/tav-capture.1.gz"):
        shown = run(["man", "--warnings", "-l", os.path.join(prefix, page)], env=dict(os.environ, MANWIDTH="80"))
        if shown.returncode != 0 or shown.stderr.strip() or "SYNOPSIS" not in shown.stdout:
            fail("man -l %s: exit %d, %s" % (page, shown.returncode, shown.stderr.strip() or "no SYNOPSIS"))
    checked = run(["desktop-file-validate", os.path.join(prefix, "share/applications/tav.desktop")])
    if checked.returncode != 0 or checked.stdout.strip():
        fail("desktop-file-validate: " + checked.stdout + checked.stderr)
    for size in (48, 128, 256):
        with open(os.path.join(prefix, "share/icons/hicolor/%dx%d/apps/tav.png" % (size, size)), "rb") as icon:
            head = icon.read(24)
        if head[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", head[16:24]) != (size, size):
            fail("the %d-pixel icon is not a %d x %d PNG" % (size, size, size))


def frame_pixels(path):
    """A captured frame as 4-byte pixels, blue, green, red, alpha, top row first (as show_e2e reads screens)."""
    raw = subprocess.run(["/usr/bin/convert", path, "-depth", "8", "bgra:-"], capture_output=True).stdout
    if len(raw) != show_e2e.WIDTH * show_e2e.HEIGHT * 4:
        fail("cannot read %s" % path)
    return raw


def check_capture(capture, data_dir, work):
    """Runs tav-capture from an empty folder: it must find the installed content and write every frame, the
    loading picture first and a scene at the end."""
    folder = os.path.join(work, "empty-for-capture")
    os.makedirs(folder)
    result = run([capture, "--png", "frames", "--seconds", str(SECONDS), "--fps", str(FPS)], cwd=folder,
                 timeout=300)
    if result.returncode != 0:
        fail("%s exited with %d: %s" % (capture, result.returncode, result.stderr.strip()))
    frames = sorted(glob.glob(os.path.join(folder, "frames", "frame_*.png")))
    if len(frames) != FPS * SECONDS:
        fail("%d frames written, not %d" % (len(frames), FPS * SECONDS))
    if os.path.getsize(os.path.join(folder, "frames", "audio.wav")) <= 44:
        fail("no audio written")
    loading = show_e2e.shows_alone(show_e2e.picture_box(data_dir, "Data/Gfx/loading.tga"))
    if not loading(frame_pixels(frames[0])):
        fail("the first frame is not the installed loading picture")
    if not show_e2e.scene_running(frame_pixels(frames[-1])):
        fail("no scene in the last frame, two seconds into the music")


def staged(build, work):
    prefix = os.path.join(work, "stage")
    result = run(["cmake", "--install", build, "--prefix", prefix])
    if result.returncode != 0:
        fail("cmake --install: " + result.stdout + result.stderr)
    found = sorted(os.path.relpath(os.path.join(d, f), prefix) for d, _, files in os.walk(prefix) for f in files)
    if found != sorted(INSTALLED):
        fail("installed files differ: extra %s, missing %s" %
             (sorted(set(found) - set(INSTALLED)), sorted(set(INSTALLED) - set(found))))
    for program in ("bin/tav", "bin/tav-capture"):
        if not os.access(os.path.join(prefix, program), os.X_OK):
            fail(program + " is not executable")
    check_pages_and_entry(prefix)
    check_capture(os.path.join(prefix, "bin", "tav-capture"), os.path.join(prefix, "share", "tav"), work)


# dpkg refuses to run while another apt or dpkg holds its lock; wait for that one to finish.
def dpkg(*args):
    end = time.time() + 600
    while True:
        result = run(["dpkg"] + list(args), env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
        if result.returncode == 0 or "lock" not in result.stderr or time.time() > end:
            return result
        time.sleep(5)


def installed_status():
    result = run(["dpkg-query", "-W", "-f=${Status}", "tav"])
    return result.stdout if result.returncode == 0 else ""


def write_targa(path, lit):
    """A 256 x 256 32-bit Targa picture, black and transparent but for the lit rectangle (x0, y0, x1, y1),
    stored bottom row first."""
    x0, y0, x1, y1 = lit
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 256, 256, 32, 8)
    rows = []
    for row in range(256):
        y = 255 - row
        rows.append(b"".join(b"\xff\xff\xff\xff" if x0 <= x <= x1 and y0 <= y <= y1 else b"\0\0\0\0"
                             for x in range(256)))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(header + b"".join(rows))


def check_show(folder, picture, what):
    """tav, as typed in a shell, started in folder under a private Xvfb: its loading picture must be the
    expected one and the scenes must follow. Quits with Escape."""
    screen = show_e2e.Screen()
    show = subprocess.Popen(["tav"], cwd=folder, env=screen.env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        window = screen.window(15)
        if show_e2e.watch(screen, 4, show_e2e.shows_alone(picture)) is None:
            fail("no %s during the pause" % what)
        # Keys are read once the scenes run, not during the pause.
        if show_e2e.watch(screen, 10, show_e2e.scene_running) is None:
            fail("the scenes did not start after the %s" % what)
        screen.hold_key(window, "Escape")
        show_e2e.wait_exit(show, 10, "after Escape")
    finally:
        if show.poll() is None:
            show.kill()
            show.wait()
        screen.close()


def deb(build, work):
    if os.geteuid() != 0:
        print("SKIP: installing the package needs root", file=sys.stderr)
        sys.exit(SKIP)
    if installed_status():
        fail("tav is already installed here (%s); the test would replace it" % installed_status())
    made = run(["cpack", "-G", "DEB", "-B", work], cwd=build)
    packages = glob.glob(os.path.join(work, "tav_*_amd64.deb"))
    if made.returncode != 0 or len(packages) != 1:
        fail("cpack: " + made.stdout + made.stderr)
    package = packages[0]
    checked = run(["lintian", "--fail-on", "error", package])
    print(checked.stdout, end="")
    if checked.returncode != 0:
        fail("lintian reports errors")

    installed = False
    try:
        result = dpkg("-i", package)
        installed = bool(installed_status())
        if result.returncode != 0:
            fail("dpkg -i: " + result.stdout + result.stderr)
        listed = run(["dpkg", "-L", "tav"]).stdout.split("\n")
        files = sorted(p for p in listed if p and os.path.isfile(p))
        if files != sorted("/usr/" + p for p in INSTALLED):
            fail("the package installed %s" % files)
        if shutil.which("tav") != "/usr/bin/tav" or shutil.which("tav-capture") != "/usr/bin/tav-capture":
            fail("tav and tav-capture are not found on PATH")
        if run(["man", "-w", "tav"]).stdout.strip() != "/usr/share/man/man6/tav.6.gz":
            fail("man tav does not find the installed page")
        check_pages_and_entry("/usr")
        check_capture("tav-capture", "/usr/share/tav", work)

        empty = os.path.join(work, "empty-for-show")
        os.makedirs(empty)
        check_show(empty, show_e2e.picture_box("/usr/share/tav", "Data/Gfx/loading.tga"),
                   "installed loading picture")
        # One picture put beside the program replaces the installed one.
        replaced = os.path.join(work, "one-loose-picture")
        lit = (20, 30, 99, 69)
        write_targa(os.path.join(replaced, "Data", "Gfx", "loading.tga"), lit)
        square = show_e2e.SQUARE
        check_show(replaced, [lit[0] + square[0], lit[1] + square[1], lit[2] + square[0], lit[3] + square[1]],
                   "loose loading picture from the current folder")

        result = dpkg("-r", "tav")
        if result.returncode != 0:
            fail("dpkg -r: " + result.stdout + result.stderr)
        installed = bool(installed_status().startswith("install"))
        left = [p for p in listed if p and p != "/." and os.path.lexists(p) and not os.path.isdir(p)]
        left += [d for d in ("/usr/share/tav", "/usr/share/doc/tav") if os.path.exists(d)]
        if left:
            fail("left behind after dpkg -r: %s" % left)
        if installed_status() not in ("", "unknown ok not-installed"):
            fail("after dpkg -r the package is %r" % installed_status())
    finally:
        if installed or installed_status():
            dpkg("--purge", "tav")


def main():
    case, build = sys.argv[1], os.path.abspath(sys.argv[2])
    # A timeout's SIGTERM must still run the clean-up below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("terminated"))
    work = tempfile.mkdtemp(prefix="tav-package-")
    try:
        if case == "staged":
            staged(build, work)
        elif case == "deb":
            deb(build, work)
        else:
            fail("unknown case " + case)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
