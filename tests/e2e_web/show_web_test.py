#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The show in headless Chromium, through its page: a whole run with the fast test soundtrack (the loading
picture centred, lit scenes, the closing picture, the reported end), the audio clock against the music position
the program sees, Escape and F1, and pages without WebGL or without Web Audio.

    tests/e2e_web/show_web_test.py [--site build-web] [--build build] [--case NAME]...
"""

import bisect
import os
import time

import cdp
import show_page as sp

NO_WEBGL = """(() => {
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function(type, ...rest) {
    if (/^(webgl2?|experimental-webgl)$/.test(type)) return null;
    return getContext.call(this, type, ...rest);
  };
})();"""

NO_WEB_AUDIO = "delete window.AudioContext; delete window.webkitAudioContext;"

# A screenshot matches a content picture when the mean channel difference inside the picture's box stays below
# this (0..255): SwiftShader's filtering and blending differ from the file by a few levels at most.
PICTURE_TOLERANCE = 6.0
# Pixels outside the picture's box that may be lit while only a centred picture shows.
STRAY_LIT = 0.002


def picture_match(shot, picture):
    """Mean channel difference between the centred picture box of a screenshot and a content picture."""
    return cdp.Picture(shot.image.crop(sp.PICTURE_BOX)).mean_difference(picture)


def outside_lit(shot):
    """Share of lit pixels outside the centred picture box."""
    l, t, r, b = sp.PICTURE_BOX
    total = shot.width * shot.height
    inside = (r - l) * (b - t)
    return (shot.lit_fraction() * total - shot.lit_fraction(box=sp.PICTURE_BOX) * inside) / (total - inside)


def keep(args, shot, name):
    if args.keep:
        shot.save("%s/%s.png" % (args.keep, name))


def expect_centred(args, shot, picture, name):
    """The screenshot shows `picture` centred as a 256 x 256 picture and nothing else."""
    keep(args, shot, name)
    diff = picture_match(shot, picture)
    want = picture.bounds()
    want = (want[0] + sp.PICTURE_BOX[0], want[1] + sp.PICTURE_BOX[1], want[2] + sp.PICTURE_BOX[0],
            want[3] + sp.PICTURE_BOX[1])
    got = shot.bounds()
    stray = outside_lit(shot)
    print("   %s: lit bounds %s (file: %s), mean difference %.2f, lit outside %.4f" % (name, got, want, diff, stray))
    if got is None or max(abs(a - b) for a, b in zip(got, want)) > 3:
        raise AssertionError("%s not centred: lit bounds %s, expected %s" % (name, got, want))
    if diff > PICTURE_TOLERANCE:
        raise AssertionError("%s differs from its file by %.2f on average" % (name, diff))
    if stray > STRAY_LIT:
        raise AssertionError("%s: %.4f of the window outside it is lit" % (name, stray))


def music_position(browser, song):
    a = sp.audio(browser)
    if not a or not a["songs"]:
        return None
    s = a["songs"][0]
    return song.position(s["order"], s["row"])


def case_whole_run(args):
    """Fast soundtrack: loading picture, scenes, closing picture, end reported with exit code 0."""
    content = sp.fast_content(args)
    song = sp.song_from_file(content["Data/sfx/trancen.xm"])
    loading = sp.picture_from_archive(content["vel.kod"], "Data/Gfx/loading.tga")
    theend = sp.picture_from_archive(content["vel.kod"], "Data/gfx/theend.tga")
    with sp.Site(args, content) as site, cdp.Browser() as b:
        sp.start(b, site.url())
        t0 = time.monotonic()
        # The loading picture shows through the load pause; the first screenshots may come before it is drawn.
        shot = None
        while time.monotonic() - t0 < 4.0:
            shot = b.screenshot()
            if picture_match(shot, loading) <= PICTURE_TOLERANCE:
                break
        print("   loading picture after %.2f s" % (time.monotonic() - t0))
        expect_centred(args, shot, loading, "loading")

        # Scenes: the window lit beyond the centred box at some point before the closing position.
        most, seen = 0.0, 0
        while True:
            p = music_position(b, song)
            if p is not None and p >= 2200 or sp.tav(b)["state"] == "ended":
                break
            shot = b.screenshot()
            seen += 1
            lit = outside_lit(shot)
            if lit > most:
                most = lit
                keep(args, shot, "scene")
            b.pump(0.4)
        print("   scenes: %d screenshots, at most %.3f of the window lit outside the centre" % (seen, most))
        if most < 0.05:
            raise AssertionError("no lit scene seen (at most %.3f lit)" % most)

        # The closing picture: from position 2240 to 2304, some 0.6 s with the fast soundtrack.
        b.wait_for("(window.tavAudio && tavAudio.songs.length && (s => s.order * %s[s.order] + s.row)"
                   "(tavAudio.songs[0]) >= 2244) || window.tav.state === 'ended'" % song.order_rows,
                   timeout=30, interval=0.02)
        if sp.tav(b)["state"] == "ended":
            raise AssertionError("the show ended before the closing picture could be seen")
        expect_centred(args, b.screenshot(), theend, "closing")

        t = sp.wait_ended(b, timeout=30)
        print("   ended after %.1f s: %s" % (time.monotonic() - t0, t))
        if t["exitCode"] != 0:
            raise AssertionError("exit code %r" % t["exitCode"])
        b.pump(0.3)
        sp.check_no_errors(b, "during the show")
        if not any(text == "tav: ended (0)" for _, text in b.console):
            raise AssertionError("no 'tav: ended (0)' on the console")


def sample_audio(b, seconds):
    """window.tavAudio every 0.1 s for `seconds`, kept once the song plays."""
    out = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        a = sp.audio(b)
        if a and a["songs"] and a["songs"][0]["playing"]:
            out.append(a)
        b.pump(0.1)
    return out


def after_first_row_change(samples):
    """The samples from the first one whose row moved on. Until then the output may still be playing what was
    mixed before the song started, and the position shows the song's first mixing step: no reference yet."""
    def rows(s):
        return (s["songs"][0]["order"], s["songs"][0]["row"])
    for i, s in enumerate(samples):
        if rows(s) != rows(samples[0]):
            return samples[i:]
    return []


def case_audio_clock(args):
    """The music position the program sees advances with the audio clock (less its gaps) within one row; the
    audible frame follows the clock and stays behind what was mixed by about the buffer, no more."""
    song = sp.song_from_archive(os.path.join(args.build, "vel.kod"))
    with sp.Site(args) as site, cdp.Browser() as b:
        sp.start(b, site.url())
        b.wait_for("window.tavAudio && tavAudio.songs.length && tavAudio.songs[0].playing && "
                   "tavAudio.audible > tavAudio.start", timeout=20)
        samples = sample_audio(b, 2.5)
        # Hold the page's thread for 0.4 s, twice the buffer: the player runs dry, and the position must stop
        # with what was really played instead of following the clock through the gap. The gap's size is known
        # only once the player reports again, so sampling resumes a little later.
        b.eval("(t => { while (performance.now() - t < 400) {} })(performance.now())")
        b.pump(0.3)
        samples += sample_audio(b, 2.5)
        check_clock(samples, song)
        if samples[-1]["underrunFrames"] < samples[0]["rate"] * 0.1:
            raise AssertionError("the held thread left no gap in the sound (%d frames)"
                                 % samples[-1]["underrunFrames"])
        press_f1_twice(args, b)
        b.press("Escape")
        t = sp.wait_ended(b, timeout=15)
        if t["exitCode"] != 0:
            raise AssertionError("Escape: exit code %r" % t["exitCode"])
        sp.check_no_errors(b, "during the show")


def check_clock(samples, song):
    samples = after_first_row_change(samples)
    if len(samples) < 20:
        raise AssertionError("only %d samples of a playing song" % len(samples))
    modes = {s["mode"] for s in samples}
    if modes != {"worklet"}:
        raise AssertionError("audio output modes %s, expected the worklet (note: %s)" % (modes, samples[-1]["note"]))
    rate = samples[0]["rate"]
    # While the player is dry the length of its gap is not known yet; such moments give no reference. Nor does a
    # sample whose gap had been reported only in part (the next report counts more of it): the page's flag
    # comes from its last anchor, which can already count the gap's first frames and so look steady.
    steady = [s for i, s in enumerate(samples) if s["steady"] and
              (i + 1 == len(samples) or samples[i + 1]["underrunFrames"] == s["underrunFrames"])]
    if len(steady) < 10:
        raise AssertionError("only %d of %d samples without a gap in progress" % (len(steady), len(samples)))
    samples = steady
    first = samples[0]

    def heard(s):  # seconds of our frames the clock says have reached the listener
        return s["ctxTime"] - s["latency"] - s["underrunFrames"] / rate

    row_dev, frame_dev, leads = [], [], []
    for s in samples:
        clock = heard(s) - heard(first)
        rows = song.linear_row(s["songs"][0]["order"], s["songs"][0]["row"]) - \
            song.linear_row(first["songs"][0]["order"], first["songs"][0]["row"])
        row_dev.append(rows - clock / song.row_seconds)
        frame_dev.append((s["audible"] - first["audible"]) / rate - clock)
        leads.append((s["mixed"] - s["audible"]) / rate)
    spread = max(row_dev) - min(row_dev)
    under = samples[-1]["underrunFrames"] / rate
    print("   %d samples over %.2f s of audio clock, %.0f rows; music position minus clock: %.2f .. %.2f rows "
          "(spread %.2f rows, %.1f ms); audible frame minus clock: %.1f .. %.1f ms; mixed ahead of audible: "
          "%.0f .. %.0f ms (buffer %d ms, latency %.1f ms); gaps %.0f ms"
          % (len(samples), samples[-1]["ctxTime"] - first["ctxTime"],
             (heard(samples[-1]) - heard(first)) / song.row_seconds,
             min(row_dev), max(row_dev), spread, spread * song.row_seconds * 1000,
             min(frame_dev) * 1000, max(frame_dev) * 1000, min(leads) * 1000, max(leads) * 1000,
             first["bufferFrames"] * 1000 // rate, first["latency"] * 1000, under * 1000))
    # Rows are whole, so the difference to a continuous clock spreads over just under one row, plus the mixing
    # step the position is known to (at most 512 frames).
    if spread > 1.05 + 512 / (song.row_seconds * rate):
        for s, d in zip(samples, row_dev):
            print("     clock %.3f s  gaps %.0f ms  position minus clock %+.2f rows"
                  % (s["ctxTime"] - first["ctxTime"], s["underrunFrames"] * 1000 / rate, d))
        raise AssertionError("music position strays from the audio clock by %.2f rows" % spread)
    if max(abs(d) for d in frame_dev) > 0.02:
        raise AssertionError("audible frame strays from the audio clock by %.1f ms"
                             % (max(abs(d) for d in frame_dev) * 1000))
    buffer_s = first["bufferFrames"] / rate
    # At each yield the pump tops the queue up to the buffer target, then the clock eats into it.
    if min(leads) < 0.25 * buffer_s:
        raise AssertionError("audible frame only %.0f ms behind the mix: not the played position" % (min(leads) * 1000))
    if max(leads) > buffer_s + first["latency"] + 0.06:
        raise AssertionError("mixed %.0f ms ahead of the audible frame: more than the buffer" % (max(leads) * 1000))


def fullscreen(b):
    return b.eval("!!document.fullscreenElement")


def press_f1_twice(args, b):
    """F1 switches to the browser's full screen and back; the show draws on after each switch."""
    before = fullscreen(b)
    for n, want in enumerate((not before, before)):
        b.press("F1")
        b.wait_for("!!document.fullscreenElement === %s" % ("true" if want else "false"), timeout=10)
        # After a switch the program opens its window again and goes through its load pause.
        end = time.monotonic() + 12
        last, moving = b.screenshot(), None
        while time.monotonic() < end:
            b.pump(0.5)
            shot = b.screenshot()
            if shot.mean_difference(last) > 0.3 and shot.lit_fraction() > 0.02:
                moving = shot
                break
            last = shot
        if moving is None:
            raise AssertionError("F1 (%s full screen): the show stopped drawing" % ("to" if want else "from"))
        keep(args, moving, "f1_%d" % n)
        print("   F1: full screen %s, drawing on" % want)


def click_ok(b):
    """Clicks the OK button of the page's message box, as a person would."""
    r = b.eval("(r => r && r.width ? [r.left + r.width / 2, r.top + r.height / 2] : null)"
               "(document.getElementById('box-ok') && document.getElementById('box-ok').getBoundingClientRect())")
    if not r:
        raise AssertionError("no message box showing")
    # What a click there reaches: a full-screen canvas covers everything else on the page.
    top = b.eval("(e => e ? e.tagName + '#' + e.id : 'nothing')(document.elementFromPoint(%f, %f))" % (r[0], r[1]))
    if top != "BUTTON#box-ok":
        raise AssertionError("the message box's OK button is hidden under %s" % top)
    b.click(r[0], r[1])


def case_no_webgl(args):
    """Without WebGL the program's own message shows on the page; after OK the page ends cleanly."""
    want = "Error: Error Creating OpenGL Window"
    with sp.Site(args) as site, cdp.Browser(init_scripts=[NO_WEBGL]) as b:
        sp.start(b, site.url())
        b.wait_for("window.tav.messages.length > 0 || window.tav.state === 'ended'", timeout=20)
        t = sp.tav(b)
        text = b.eval("document.body.innerText")
        print("   %s; page shows: %r" % (t, " ".join(text.split())[:120]))
        if want not in t["messages"]:
            raise AssertionError("messages %r lack %r" % (t["messages"], want))
        if "Error Creating OpenGL Window" not in text:
            raise AssertionError("the page does not show the message")
        if not any(text == want for _, text in b.console):
            raise AssertionError("the console lacks %r" % want)
        if t["state"] == "ended":
            raise AssertionError("the program ended without waiting for the message box")
        click_ok(b)
        t = sp.wait_ended(b, timeout=10)
        if t["exitCode"] != 0:
            raise AssertionError("exit code %r" % t["exitCode"])
        sp.check_no_errors(b, "without WebGL")


def case_no_web_audio(args):
    """Without Web Audio the show runs on the silent output: the music position advances in real time."""
    content = sp.fast_content(args)
    song = sp.song_from_file(content["Data/sfx/trancen.xm"])
    with sp.Site(args, content) as site, cdp.Browser(init_scripts=[NO_WEB_AUDIO]) as b:
        sp.start(b, site.url())
        b.wait_for("window.tavAudio && tavAudio.songs.length && tavAudio.songs[0].playing", timeout=20)
        # The silent output keeps a second queued, so the song's first row change comes up to a second after it
        # starts playing: sample long enough to keep more than a second after it.
        samples = sample_audio(b, 3.0)
        # Where the page thread was held past its queue the silent output waits at what was mixed
        # (audible == mixed): no reference for it.
        free = [s for s in after_first_row_change(samples) if s["audible"] < s["mixed"]]
        if len(free) < 5 or free[-1]["perfNow"] - free[0]["perfNow"] < 1000:
            raise AssertionError("only %d of %d samples not waiting for the mix" % (len(free), len(samples)))
        a, z = free[0], free[-1]
        rows = song.linear_row(z["songs"][0]["order"], z["songs"][0]["row"]) - \
            song.linear_row(a["songs"][0]["order"], a["songs"][0]["row"])
        wall = (z["perfNow"] - a["perfNow"]) / 1000
        print("   mode %s (%s): %d rows in %.2f s of page time, %.2f expected" %
              (z["mode"], z["note"], rows, wall, wall / song.row_seconds))
        if z["mode"] != "silent":
            raise AssertionError("output mode %r without Web Audio" % z["mode"])
        if abs(rows - wall / song.row_seconds) > 2:
            raise AssertionError("music position moved %d rows in %.2f s" % (rows, wall))
        shot = b.screenshot()
        keep(args, shot, "silent")
        if shot.lit_fraction() < 0.01:
            raise AssertionError("nothing drawn")
        # The fast soundtrack ends the show within some 25 s, on the silent output's clock alone.
        t = sp.wait_ended(b, timeout=60)
        if t["exitCode"] != 0:
            raise AssertionError("exit code %r" % t["exitCode"])
        sp.check_no_errors(b, "without Web Audio")


# A device far from the listener (Bluetooth, an HDMI receiver): half a second of output latency, in both the
# latency the context reports and its output timestamps.
LONG_LATENCY = """(() => {
  const P = AudioContext.prototype;
  Object.defineProperty(P, 'outputLatency', {get() { return 0.5; }, configurable: true});
  P.getOutputTimestamp = function() {
    return {contextTime: Math.max(0, this.currentTime - 0.5 - this.baseLatency), performanceTime: performance.now()};
  };
})();"""


def case_long_latency(args):
    """With half a second of output latency the audible frame is the one at the output half a second late, and
    it moves on."""
    logs = "window.tavAudioLog = []; window.tavAnchorLog = [];"
    with sp.Site(args) as site, cdp.Browser(init_scripts=[LONG_LATENCY, logs]) as b:
        sp.start(b, site.url())
        b.wait_for("window.tavAudio && tavAudio.songs.length && tavAudio.songs[0].playing && "
                   "tavAudio.audible > tavAudio.start", timeout=20)
        first = sp.audio(b)
        b.pump(3.0)
        last = sp.audio(b)
        log, anchors = b.eval("window.tavAudioLog"), b.eval("window.tavAnchorLog")
        sp.check_no_errors(b, "with a long output latency")
    moved = (last["audible"] - first["audible"]) / last["rate"]
    print("   latency taken %.0f ms; the audible frame moved %.2f s in %.2f s of page time"
          % (last["latency"] * 1000, moved, (last["perfNow"] - first["perfNow"]) / 1000))
    if last["latency"] < 0.5:
        raise AssertionError("the output latency of 0.5 s was not taken (%.3f s)" % last["latency"])
    if moved < 1.0:
        raise AssertionError("the audible frame moved only %.2f s" % moved)
    judge_against_player(log, anchors, last)


def watch_audible(b, seconds):
    """(page seconds, audible seconds, report) every 0.05 s for `seconds`; fails where the audible frame goes
    back."""
    out = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        a = sp.audio(b)
        out.append((a["perfNow"] / 1000, a["audible"] / a["rate"], a))
        if len(out) > 1 and out[-1][1] < out[-2][1]:
            raise AssertionError("the audible frame went back by %.1f ms" % ((out[-2][1] - out[-1][1]) * 1000))
        b.pump(0.05)
    return out


def expect_real_time(samples, what, low=0.8, high=1.15):
    """The audible frame advanced at about real time over the samples."""
    wall = samples[-1][0] - samples[0][0]
    moved = samples[-1][1] - samples[0][1]
    print("   %s: the audible frame moved %.2f s in %.2f s (mode %s, %s)" %
          (what, moved, wall, samples[-1][2]["mode"], samples[-1][2]["note"] or "no note"))
    if not low * wall <= moved <= high * wall:
        for t, p, a in samples:
            print("     page %.3f s  audible %.3f s  mode %s" % (t - samples[0][0], p - samples[0][1], a["mode"]))
        raise AssertionError("%s: the audible frame moved %.2f s in %.2f s" % (what, moved, wall))


def case_context_lost(args):
    """The page's audio context suspended, then closed mid-show: the music goes on in real time from where
    the sound stopped (the suspended one is resumed), a stall of the silent output does not make it race, and
    the show ends by itself."""
    content = sp.fast_content(args)
    with sp.Site(args, content) as site, cdp.Browser() as b:
        sp.start(b, site.url())
        b.wait_for("window.tavAudio && tavAudio.mode === 'worklet' && tavAudio.songs.length && "
                   "tavAudio.songs[0].playing && tavAudio.audible > tavAudio.start", timeout=20)
        b.pump(0.5)
        b.eval("tavAudioContext.suspend().then(() => 1)")
        expect_real_time(watch_audible(b, 3.0), "suspended")
        b.wait_for("tavAudio.mode === 'worklet'", timeout=5)
        print("   the context runs again: %s" % sp.audio(b)["mode"])
        b.eval("tavAudioContext.close().then(() => 1)")
        expect_real_time(watch_audible(b, 3.0), "closed")
        a = sp.audio(b)
        if a["mode"] != "silent" or "closed" not in a["note"]:
            raise AssertionError("after close: mode %r, note %r" % (a["mode"], a["note"]))
        # The silent output after the page's thread was held for two seconds: it waits for the mix, then goes
        # on in real time instead of racing to where real time would have taken it.
        b.eval("(t => { while (performance.now() - t < 2000) {} })(performance.now())")
        expect_real_time(watch_audible(b, 2.0), "after a stall", low=0.7)
        t = sp.wait_ended(b, timeout=60)
        if t["exitCode"] != 0:
            raise AssertionError("exit code %r" % t["exitCode"])
        sp.check_no_errors(b, "with the audio context lost")


def judge_against_player(log, anchors, a, stall=False):
    """Every report of a playing song (window.tavAudioLog) against what the player had at the output at the
    context time the page took as heard, judged afterwards from every block start it reported
    (window.tavAnchorLog): within 20 ms. With `stall`, the player must have had a gap of half a second."""
    rate = a["rate"]
    stamps = [x["t"] for x in anchors]

    def truth(heard):
        """The frame at the output at context time `heard`: from the block start before it, up to the next
        block's start (a gap lies between them). None past the last report, or before the first."""
        i = bisect.bisect_right(stamps, heard) - 1
        if i < 0 or i + 1 >= len(anchors):
            return None
        x, y = anchors[i], anchors[i + 1]
        return a["start"] + min(x["p"] + (heard - x["t"]) * rate, y["p"])

    errors = []
    for e in log:
        if not (e["songs"] and e["songs"][0]["playing"]):
            continue  # before the song the silent output's count may run ahead of the player's first frame
        want = truth(e["heard"]) if e["heard"] is not None else None
        if want is not None:
            errors.append((e["t"] / 1000, (e["audible"] - want) / rate, e))
    gap = max((y["t"] - x["t"] - (y["p"] - x["p"]) / rate, x["t"]) for x, y in zip(anchors, anchors[1:]))
    worst = max(abs(d) for _, d, _ in errors) if errors else None
    print("   %d reports judged, the player's longest gap %.0f ms; audible frame off by at most %.1f ms"
          % (len(errors), gap[0] * 1000, (worst or 0) * 1000))
    if stall and gap[0] < 0.5:
        raise AssertionError("the held thread left no gap in the sound (%.0f ms)" % (gap[0] * 1000))
    if worst is None or worst > 0.02 or len(errors) < 30:
        for t, d, e in errors:
            print("     page %.3f s  heard %.3f s  off %+.1f ms" % (t - errors[0][0], e["heard"], d * 1000))
        raise AssertionError("the audible frame strays from what the player had at the output by %.1f ms"
                             % ((worst or 0) * 1000))


def case_stall_gap(args):
    """The page's thread held for a second: the player runs dry and starts again. At every report through the
    gap and after it the audible frame is the one the player really had at the output, as judged afterwards
    from every block start it reported; within 20 ms."""
    logs = "window.tavAudioLog = []; window.tavAnchorLog = [];"
    with sp.Site(args) as site, cdp.Browser(init_scripts=[logs]) as b:
        sp.start(b, site.url())
        b.wait_for("window.tavAudio && tavAudio.mode === 'worklet' && tavAudio.songs.length && "
                   "tavAudio.songs[0].playing && tavAudio.audible > tavAudio.start + tavAudio.rate", timeout=20)
        b.eval("(t => { while (performance.now() - t < 1000) {} })(performance.now())")
        b.pump(3.0)
        a = sp.audio(b)
        log, anchors = b.eval("window.tavAudioLog"), b.eval("window.tavAnchorLog")
        sp.check_no_errors(b, "after a stall")
    judge_against_player(log, anchors, a, stall=True)


CASES = {
    "whole_run": case_whole_run,
    "audio_clock_keys": case_audio_clock,
    "no_webgl": case_no_webgl,
    "no_web_audio": case_no_web_audio,
    "long_latency": case_long_latency,
    "context_lost": case_context_lost,
    "stall_gap": case_stall_gap,
}

if __name__ == "__main__":
    a = sp.arguments(__doc__, CASES)
    sp.run_cases(a, CASES)
