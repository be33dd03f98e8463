#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The page on a phone: headless Chromium with a phone's metrics and touch (390 x 844 portrait, 844 x 390
landscape). A tap starts the show, full screen as on Windows; the picture is scaled to the screen, 4:3 and
centred, with black bars; a tap on the picture switches out of full screen and back as F1 does, and the show
draws on; the close control ends the show in portrait, leaving full screen by other means than the program ends
it in landscape; the screen wake lock is asked for where the browser offers it.

    tests/e2e_web/phone_web_test.py [--site build-web] [--build build] [--case NAME]...
"""

import time

import cdp
import show_page as sp


def phone(b, width, height):
    b.call("Emulation.setDeviceMetricsOverride",
           {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": True,
            "screenWidth": width, "screenHeight": height})
    b.call("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})


def tap(b, x, y):
    b.call("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [{"x": x, "y": y}]})
    b.pump(0.05)
    b.call("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})


def canvas_box(b):
    return b.eval("(r => [r.left, r.top, r.width, r.height, innerWidth, innerHeight])"
                  "(document.getElementById('canvas').getBoundingClientRect())")


def check_scaled(b, what):
    """The canvas fills the screen's width or height at 4:3, centred; what lies outside it is black."""
    left, top, width, height, vw, vh = canvas_box(b)
    print("   %s: picture %.1f x %.1f at (%.1f, %.1f) on %d x %d" % (what, width, height, left, top, vw, vh))
    if abs(width * 3 - height * 4) > 4:
        raise AssertionError("%s: the picture is %.1f x %.1f, not 4:3" % (what, width, height))
    if abs(width - min(vw, 800)) > 1 and abs(height - min(vh, 600)) > 1:
        raise AssertionError("%s: the picture (%.1f x %.1f) does not fill the screen's width or height"
                             % (what, width, height))
    if abs(left - (vw - width) / 2) > 1 or abs(top - (vh - height) / 2) > 1:
        raise AssertionError("%s: the picture is not centred (at %.1f, %.1f)" % (what, left, top))
    return left, top, width, height


def check_running(b, box, what):
    """The show draws on inside the picture; the bars beside it stay black (but for the small close control)."""
    left, top, width, height = box
    vw, vh = b.eval("[innerWidth, innerHeight]")
    inner = (int(left) + 1, int(top) + 1, int(left + width) - 1, int(top + height) - 1)
    bars = [(0, 0, vw, int(top)), (0, int(top + height) + 1, vw, vh),
            (0, 0, int(left), vh), (int(left + width) + 1, 0, vw, vh)]
    end = time.monotonic() + 15
    last = b.screenshot()
    while time.monotonic() < end:
        b.pump(0.5)
        shot = b.screenshot()
        if shot.mean_difference(last) > 0.3 and shot.lit_fraction(box=inner) > 0.02:
            for bar in bars:
                if bar[2] - bar[0] > 2 and bar[3] - bar[1] > 2 and shot.lit_fraction(box=bar) > 0.01:
                    raise AssertionError("%s: the bar %s beside the picture is lit" % (what, bar))
            print("   %s: drawing" % what)
            return
        last = shot
    raise AssertionError("%s: the show is not drawing" % what)


def start_by_tap(b, site):
    sp.open_ready(b, site.url())
    label = b.eval("document.getElementById('start').textContent")
    if label != "Tap to start":
        raise AssertionError("the start overlay says %r on a touch screen" % label)
    width, height = b.eval("[innerWidth, innerHeight]")
    tap(b, width / 2, height / 2)
    b.wait_for("window.tav.state !== 'ready'", timeout=10)
    if sp.tav(b)["state"] != "running":
        raise AssertionError("state %r after the start tap" % sp.tav(b)["state"])
    # The browser decides at once whether it grants the lock; the page reports what it got.
    lock = b.wait_for("window.tav.wakeLock !== 'requested' && window.tav.wakeLock", timeout=5)
    offered = b.eval("'wakeLock' in navigator")
    print("   wake lock: offered %s, %s" % (offered, lock))
    if offered and lock in ("none", "unavailable"):
        raise AssertionError("the screen wake lock was not asked for (%s)" % lock)


def toggle_by_tap(b, want):
    left, top, width, height, _, _ = canvas_box(b)
    tap(b, left + width / 2, top + height / 2)
    b.wait_for("!!document.fullscreenElement === %s" % ("true" if want else "false"), timeout=10)


def start_full_screen(b, site, what):
    """The start tap; the show opens full screen, as it does on Windows, and draws its loading picture."""
    start_by_tap(b, site)
    b.wait_for("!!document.fullscreenElement", timeout=10)
    check_running(b, check_scaled(b, what + ", full screen"), what + ", full screen")


def case_portrait(args):
    with sp.Site(args, sp.fast_content(args)) as site, cdp.Browser() as b:
        phone(b, 390, 844)
        start_full_screen(b, site, "portrait")
        toggle_by_tap(b, False)
        check_running(b, check_scaled(b, "portrait, in the page"), "portrait, in the page")
        toggle_by_tap(b, True)
        check_running(b, check_scaled(b, "portrait, full screen again"), "portrait, full screen again")
        if sp.tav(b)["state"] != "running":
            raise AssertionError("the show ended on the taps")
        close = b.eval("(r => r.width ? [r.left + r.width / 2, r.top + r.height / 2] : null)"
                       "(document.getElementById('close').getBoundingClientRect())")
        if not close:
            raise AssertionError("no close control on a touch screen")
        tap(b, close[0], close[1])
        t = sp.wait_ended(b, timeout=20)
        print("   close control: %s" % t)
        if t["exitCode"] != 0:
            raise AssertionError("exit code %r after the close control" % t["exitCode"])
        sp.check_no_errors(b, "on the phone")


def case_landscape(args):
    with sp.Site(args, sp.fast_content(args)) as site, cdp.Browser() as b:
        phone(b, 844, 390)
        start_full_screen(b, site, "landscape")
        # Past the load pause, where the scenes run; then leave full screen as the browser's back gesture
        # does, not asked for by the program.
        b.pump(5)
        b.eval("document.exitFullscreen().then(() => true)")
        t = sp.wait_ended(b, timeout=20)
        print("   full screen left by the browser: %s" % t)
        if t["exitCode"] != 0:
            raise AssertionError("exit code %r after leaving full screen" % t["exitCode"])
        sp.check_no_errors(b, "on the phone")


CASES = {"portrait": case_portrait, "landscape": case_landscape}

if __name__ == "__main__":
    a = sp.arguments(__doc__, CASES)
    sp.run_cases(a, CASES)
