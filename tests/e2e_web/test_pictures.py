#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Web versus native pictures: the GL cases drawn by Mesa natively and by the GL stand-in over WebGL in headless
Chromium (SwiftShader), compared case by case; and a show frame at fixed music positions drawn both ways.
Prints the largest per-channel difference of each comparison and fails above the tolerance.

Usage (scripts/test-web.sh calls it so):
    tests/e2e_web/test_pictures.py --native-build build --web-build build-web/cmake [--out DIR]
        --native-build: the native CMake tree (gl_cases_native, show_frame_native in it)
        --web-build:    the browser CMake tree (gl_cases_web.js/.wasm, show_frame_web.js/.wasm in it)
        --content:      the content archive the show frames load (default NATIVE_BUILD/vel.kod)
        --out:          where the pictures of both sides and their differences are written (default: a temp folder)
        --bench N:      also time N frames of the heaviest scenes in the browser and print the figures
"""

import argparse
import base64
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cdp  # noqa: E402
from PIL import Image, ImageChops  # noqa: E402

CASE_W, CASE_H = 256, 192

# The largest per-channel difference a correct stand-in shows against Mesa's llvmpipe on SwiftShader: both
# rasterise with the same rules but filter textures and interpolate colours with their own rounding.
GL_TOLERANCE = 6
# Share of a case's pixels allowed to differ by more than GL_TOLERANCE: the edges of primitives, where the two
# rasterisers may take a pixel centre near the line differently (SwiftShader snaps vertices more coarsely).
GL_EDGE_SHARE = 0.005
# Of those, the share that matches no neighbour on the other side either: a pixel where two edges meet can
# move both ways at once; anything larger is a fault, not an edge.
GL_UNEXPLAINED_SHARE = 0.002

FRAME_W, FRAME_H = 800, 600
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# Show frames: whole scenes after many frames of particles and blits, where every edge rule and rounding
# difference has had time to add up.
FRAME_TOLERANCE = 12
FRAME_SHARE = 0.01
FRAME_UNEXPLAINED_SHARE = 0.003

FRAME_PAGE = """<!doctype html><html><head><meta charset="utf-8"><title>show frames</title>
<style>body{margin:0;background:#000}canvas{display:block}</style></head><body>
<canvas id="canvas" width="800" height="600"></canvas>
<script>window.tav = {state: 'running', exitCode: null, messages: []}; window.frameBench = %d;
var Module = {canvas: document.getElementById('canvas'), print: function(t){console.log(t)},
printErr: function(t){console.warn(t)}, onRuntimeInitialized: function(){ Module.callMain([]); }};</script>
<script src="content.js"></script>
<script src="show_frame_web.js"></script></body></html>
"""

PAGE = """<!doctype html><html><head><meta charset="utf-8"><title>%s</title>
<style>body{margin:0;background:#000}canvas{display:block}</style></head><body>
<canvas id="canvas" width="800" height="600"></canvas>
<script>window.glCasesWebgl = %d;
var Module = {canvas: document.getElementById('canvas'), print: function(t){console.log(t)},
printErr: function(t){console.warn(t)}};</script>
<script src="%s.js"></script></body></html>
"""


def rgb_image(raw, width, height):
    """RGBA rows bottom-up (as glReadPixels gives them) to an RGB picture, top row first."""
    image = Image.frombytes("RGBA", (width, height), bytes(raw)).transpose(Image.FLIP_TOP_BOTTOM)
    return image.convert("RGB")


def channel_max(diff):
    return ImageChops.lighter(ImageChops.lighter(diff.getchannel(0), diff.getchannel(1)), diff.getchannel(2))


def count_over(grey, tolerance):
    return grey.point(lambda v: 255 if v > tolerance else 0).histogram()[255]


def compare(native, web, tolerance):
    """(largest per-channel difference, share of pixels differing by more than the tolerance, how many of those
    match none of the native pixel's neighbours either, difference image)"""
    diff = ImageChops.difference(native, web)
    largest = max(high for _, high in diff.getextrema())
    over = count_over(channel_max(diff), tolerance)
    nearest = channel_max(diff)
    for dx in (-1, 0, 1):
        for dy in (-1, 0, 1):
            if dx or dy:
                shifted = ImageChops.offset(native, dx, dy)
                nearest = ImageChops.darker(nearest, channel_max(ImageChops.difference(shifted, web)))
    unexplained = count_over(nearest, tolerance)
    return largest, over / (native.width * native.height), unexplained, diff


def serve_page(site, program, build_dir):
    for ext in (".js", ".wasm"):
        src = os.path.join(build_dir, program + ext)
        if not os.path.exists(src):
            raise SystemExit("missing %s: build the browser tree first" % src)
        shutil.copy(src, site)
    for webgl in (1, 2):
        with open(os.path.join(site, "%s_webgl%d.html" % (program, webgl)), "w") as f:
            f.write(PAGE % (program, webgl, program))


def fetch_bytes(browser, expression):
    """A Uint8Array of the page, as bytes, in chunks small enough for one evaluation."""
    n = browser.eval("(%s).length" % expression)
    out = bytearray()
    step = 1 << 18
    for at in range(0, n, step):
        chunk = browser.eval(
            "(function(a){var s='';for(var i=0;i<a.length;i+=8192)s+=String.fromCharCode.apply(null,a.subarray(i,i+8192));"
            "return btoa(s);})((%s).subarray(%d,%d))" % (expression, at, min(n, at + step)))
        out += base64.b64decode(chunk)
    return bytes(out)


def gl_cases(args, out):
    native_dir = os.path.join(out, "native")
    os.makedirs(native_dir, exist_ok=True)
    exe = os.path.join(args.native_build, "gl_cases_native")
    subprocess.run([exe, native_dir], check=True, timeout=60)

    site = tempfile.mkdtemp(prefix="tav-glcases-")
    failures = []
    try:
        serve_page(site, "gl_cases_web", args.web_build)
        for webgl in (2, 1):
            failures += gl_cases_on(site, webgl, native_dir, out)
    finally:
        shutil.rmtree(site, ignore_errors=True)
    return failures


def gl_cases_on(site, webgl_asked, native_dir, out):
    """The cases in one browser on the WebGL version asked for, against the native pictures."""
    failures = []
    with cdp.Server(site) as server, cdp.Browser() as browser:
        browser.set_viewport(800, 600)
        browser.open(server.url("gl_cases_web_webgl%d.html" % webgl_asked))
        browser.wait_for("window.glCasesDone === true", timeout=30)
        count = browser.eval("window.glCases ? window.glCases.length : -1")
        if count <= 0:
            raise SystemExit("the browser drew no GL case (no WebGL?): %s" % browser.errors())
        webgl = browser.eval("window.glCases[0].webgl")
        print("gl cases: WebGL %d on SwiftShader against Mesa headless" % webgl)
        for i in range(count):
            name = browser.eval("window.glCases[%d].name" % i)
            raw = fetch_bytes(browser, "window.glCases[%d].pixels" % i)
            web = rgb_image(raw, CASE_W, CASE_H)
            with open(os.path.join(native_dir, name + ".rgba"), "rb") as f:
                native = rgb_image(f.read(), CASE_W, CASE_H)
            largest, share, unexplained, diff = compare(native, web, GL_TOLERANCE)
            native.save(os.path.join(out, name + "_native.png"))
            web.save(os.path.join(out, "%s_webgl%d.png" % (name, webgl)))
            diff.point(lambda v: min(255, v * 8)).save(os.path.join(out, "%s_webgl%d_diff.png" % (name, webgl)))
            ok = share <= GL_EDGE_SHARE and unexplained <= GL_UNEXPLAINED_SHARE * CASE_W * CASE_H
            print("  %-16s largest difference %3d, %.3f%% of pixels above %d, %d not at an edge  %s"
                  % (name, largest, share * 100, GL_TOLERANCE, unexplained, "ok" if ok else "FAIL"))
            if not ok:
                failures.append("%s (WebGL %d)" % (name, webgl))
        if webgl != webgl_asked:
            failures.append("WebGL %d asked, %d given" % (webgl_asked, webgl))
        errors = browser.errors()
        if errors:
            failures.append("browser errors: %s" % errors)
    return failures


def show_frames(args, out):
    native_dir = os.path.join(out, "frames_native")
    os.makedirs(native_dir, exist_ok=True)
    content = os.path.abspath(args.content or os.path.join(args.native_build, "vel.kod"))
    if not os.path.exists(content):
        raise SystemExit("missing %s: build the native tree first" % content)
    content_dir = tempfile.mkdtemp(prefix="tav-framecontent-")
    site = tempfile.mkdtemp(prefix="tav-frames-")
    failures = []
    try:
        shutil.copy(content, os.path.join(content_dir, "vel.kod"))
        subprocess.run([os.path.join(os.path.abspath(args.native_build), "show_frame_native"),
                        os.path.abspath(native_dir), content_dir], check=True, timeout=120)
        for ext in (".js", ".wasm"):
            shutil.copy(os.path.join(args.web_build, "show_frame_web" + ext), site)
        subprocess.run([os.path.join(REPO, "scripts", "build-web.sh"), "--content", site, "vel.kod=" + content],
                       check=True, timeout=120, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(os.path.join(site, "show_frame_web.html"), "w") as f:
            f.write(FRAME_PAGE % args.bench)
        with cdp.Server(site) as server, cdp.Browser() as browser:
            browser.set_viewport(FRAME_W, FRAME_H)
            browser.open(server.url("show_frame_web.html"))
            browser.wait_for("window.frameShotsDone === true", timeout=90 + args.bench)
            error = browser.eval("window.frameShotsError || ''")
            if error:
                raise SystemExit("the browser drew no show frame: %s %s" % (error, browser.errors()))
            print("show frames: the same steps natively (Mesa) and in the browser (SwiftShader)")
            for i in range(browser.eval("window.frameShots.length")):
                name = browser.eval("window.frameShots[%d].name" % i)
                web = rgb_image(fetch_bytes(browser, "window.frameShots[%d].pixels" % i), FRAME_W, FRAME_H)
                with open(os.path.join(native_dir, name + ".rgba"), "rb") as f:
                    native = rgb_image(f.read(), FRAME_W, FRAME_H)
                largest, share, unexplained, diff = compare(native, web, FRAME_TOLERANCE)
                native.save(os.path.join(out, "frame_%s_native.png" % name))
                web.save(os.path.join(out, "frame_%s_web.png" % name))
                diff.point(lambda v: min(255, v * 8)).save(os.path.join(out, "frame_%s_diff.png" % name))
                ok = share <= FRAME_SHARE and unexplained <= FRAME_UNEXPLAINED_SHARE * FRAME_W * FRAME_H
                print("  %-16s largest difference %3d, %.3f%% of pixels above %d, %d not at an edge  %s"
                      % (name, largest, share * 100, FRAME_TOLERANCE, unexplained, "ok" if ok else "FAIL"))
                if not ok:
                    failures.append("frame " + name)
            for kind, text in browser.console:
                if text.startswith("bench:"):
                    print(text)
            errors = browser.errors()
            if errors:
                failures.append("browser errors: %s" % errors)
    finally:
        shutil.rmtree(site, ignore_errors=True)
        shutil.rmtree(content_dir, ignore_errors=True)
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--native-build", required=True)
    parser.add_argument("--web-build", required=True)
    parser.add_argument("--content")
    parser.add_argument("--out")
    parser.add_argument("--bench", type=int, default=0)
    args = parser.parse_args()
    out = args.out or tempfile.mkdtemp(prefix="tav-pictures-")
    os.makedirs(out, exist_ok=True)
    failures = gl_cases(args, out)
    failures += show_frames(args, out)
    print("pictures in %s" % out)
    if failures:
        print("FAILED: %s" % ", ".join(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
