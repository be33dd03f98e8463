#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The Windows sound output under Wine, played into a private PulseAudio server through Wine's PulseAudio driver
(run under tests/audio/run_with_pulseaudio.sh). Usage: wine_sound.py CASE PROBE WINEPREFIX [--check]
CASE: offset (a click on every row, the server's monitor recorded: how far the position reported runs after the
click heard; with --check, fail beyond 20 ms), server_killed (the server killed ten seconds in: the position
runs on at real time and never goes back), fault_write, fault_position, fault_hang (winmm made to fail mid-way
through the probe's seam). PROBE is build-win32/sound_probe.exe; WINEPREFIX "new" makes a temporary one."""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

RATE = 44100
ROW_SECONDS = 6 * 2.5 / 140
BOUND_MS = 20


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


class Recording:
    """The sink's monitor, mono, with for each read the sample count and the wall time it arrived: arrival is
    never before capture, so the earliest consistent start gives each sample's moment."""

    def __init__(self):
        self.process = subprocess.Popen(["parec", "--raw", "--format=s16le", "--rate=%d" % RATE, "--channels=1",
                                         "--latency-msec=5", "--device=@DEFAULT_MONITOR@"], stdout=subprocess.PIPE)
        self.data = bytearray()
        self.arrivals = []
        self.thread = threading.Thread(target=self.read)
        self.thread.start()

    def read(self):
        fd = self.process.stdout.fileno()
        while True:
            piece = os.read(fd, 4096)
            if not piece:
                return
            now = time.time()
            self.data += piece
            self.arrivals.append((len(self.data) // 2, now))

    def stop(self):
        self.process.terminate()
        self.thread.join()
        self.process.wait()
        return memoryview(bytes(self.data[:len(self.data) // 2 * 2])).cast("h")

    def start_seconds(self):
        return min(at - count / RATE for count, at in self.arrivals)


def click_onsets(samples):
    """A sample well above the noise after at least half a row of quiet."""
    quiet = int(ROW_SECONDS * RATE / 2)
    onsets, last_loud = [], None
    for i, value in enumerate(samples):
        if abs(value) < 1000:
            continue
        if last_loud is None or i - last_loud > quiet:
            onsets.append(i)
        last_loud = i
    return onsets


def run_probe(probe, prefix, args, during=None):
    folder = tempfile.mkdtemp(prefix="tav-wine-sound-")
    try:
        shutil.copy(probe, folder)
        env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree=;mshtml=", DISPLAY="")
        process = subprocess.Popen(["wine", os.path.basename(probe)] + args, cwd=folder, env=env,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        if during:
            during()
        output, _ = process.communicate(timeout=120)
        return process.returncode, output
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def positions(output):
    """(seconds, position) for every change the probe reported."""
    result = []
    for line in output.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[0] == "position":
            result.append((int(parts[1]) / 1e6, int(parts[2])))
    return result


def measure_offset(probe, prefix, check):
    recording = Recording()
    # Let the recording run before anything plays, so the first click heard is row 0.
    time.sleep(0.5)
    code, output = run_probe(probe, prefix, ["clicks", "6"])
    samples = recording.stop()
    if code != 0:
        fail("the probe exited %d:\n%s" % (code, output[-2000:]))
    reports = positions(output)
    onsets = click_onsets(samples)
    start = recording.start_seconds()
    # Row k is heard at the k-th click; the position reaches k at the first report of k or more.
    offsets = []
    for k in range(1, len(onsets)):
        heard = start + onsets[k] / RATE
        reached = next((t for t, p in reports if p >= k), None)
        if reached is not None:
            offsets.append((reached - heard) * 1000)
    print("%d clicks heard, %d position reports" % (len(onsets), len(reports)))
    if len(offsets) < 10:
        fail("too few clicks matched (%d)" % len(offsets))
    offsets.sort()
    median = statistics.median(offsets)
    print("offset %.1f ms (position after sound; min %.1f, max %.1f over %d rows), one row %.1f ms"
          % (median, offsets[0], offsets[-1], len(offsets), ROW_SECONDS * 1000))
    if check and abs(median) > BOUND_MS:
        fail("the position is more than %d ms away from the sound heard" % BOUND_MS)


def pulseaudio_pid():
    """The private server run_with_pulseaudio.sh started: the pulseaudio process serving our socket."""
    socket = os.environ["PULSE_SERVER"].split(":", 1)[1]
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                command = f.read().split(b"\0")
        except OSError:
            continue
        if command and os.path.basename(command[0]) == b"pulseaudio" and any(socket.encode() in a for a in command):
            return int(entry)
    fail("no private pulseaudio server found")


def server_killed(probe, prefix):
    pid = pulseaudio_pid()

    def kill_later():
        time.sleep(10)
        os.kill(pid, signal.SIGKILL)

    code, output = run_probe(probe, prefix, ["clicks", "14"], kill_later)
    print(output.splitlines()[-1] if output else "no output")
    check_runs_on(code, output, 10)


def check_runs_on(code, output, after):
    """The position never went back, and from `after` seconds in to the end it followed real time."""
    if code != 0:
        fail("the probe exited %d: %s" % (code, "\n".join(output.splitlines()[-3:])))
    reports = positions(output)
    if not reports:
        fail("no position reported")
    first = reports[0][0]
    later = [(t - first, p) for t, p in reports if t - first >= after]
    if len(later) < 2:
        fail("the position stopped before %d s" % after)
    rows = later[-1][1] - later[0][1]
    seconds = later[-1][0] - later[0][0]
    hold = max(b[0] - a[0] for a, b in zip(later, later[1:]))
    print("from %d s: %d rows in %.1f s (%.0f expected), longest hold %.0f ms"
          % (after, rows, seconds, seconds / ROW_SECONDS, hold * 1000))
    if not 0.7 * seconds / ROW_SECONDS < rows < 1.3 * seconds / ROW_SECONDS or hold > 1.5:
        fail("the position did not follow real time after the sound stopped")


def make_prefix():
    prefix = tempfile.mkdtemp(prefix="tav-wine-sound-prefix-")
    env = dict(os.environ, WINEPREFIX=prefix, WINEARCH="win32", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree=;mshtml=", DISPLAY="")
    subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=env)
    return prefix, env


def main():
    case, probe, prefix = sys.argv[1], sys.argv[2], sys.argv[3]
    check = "--check" in sys.argv[4:]
    made = None
    if prefix == "new":
        prefix, made = make_prefix()
    try:
        run_case(case, probe, prefix, check)
    finally:
        if made:
            subprocess.run(["wineserver", "-k"], env=made)
            shutil.rmtree(prefix, ignore_errors=True)


def run_case(case, probe, prefix, check):
    if case == "offset":
        measure_offset(probe, prefix, check)
    elif case == "server_killed":
        server_killed(probe, prefix)
    elif case.startswith("fault_"):
        code, output = run_probe(probe, prefix, ["clicks", "6", "--fail", case[len("fault_"):], "1.5"])
        print("\n".join(output.splitlines()[-2:]))
        if code != 0:
            fail("the probe exited %d" % code)
    else:
        fail("unknown case " + case)


if __name__ == "__main__":
    main()
