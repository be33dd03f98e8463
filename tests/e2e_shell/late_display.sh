#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# tav started a moment before its display: the X server comes up 0.4 s after tav, and tav must still open its
# window there instead of giving up at once. Usage: late_display.sh TAV WORKDIR
set -euo pipefail
tav=$1
cd "$2"
number=$((62000 + $$ % 1000))
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
errors=$(mktemp)
xvfb=""
program=""
cleanup() {
  [ -n "$program" ] && kill -9 "$program" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -f "$errors"
}
trap cleanup EXIT
fail() { echo "FAIL: $1" >&2; cat "$errors" >&2; exit 1; }
env -u WAYLAND_DISPLAY DISPLAY=":$number" SDL_AUDIODRIVER=dummy "$tav" 2>"$errors" >/dev/null &
program=$!
sleep 0.4
Xvfb ":$number" -screen 0 800x600x24 2>/dev/null &
xvfb=$!
for _ in $(seq 200); do
  kill -0 "$program" 2>/dev/null || fail "tav ended without opening a window"
  if xwininfo -display ":$number" -root -children 2>/dev/null | grep -q '^ *0x[0-9a-f]* "'; then
    grep -q 'could not open the display' "$errors" && fail "tav gave up on the display"
    echo "ok"
    exit 0
  fi
  sleep 0.1
done
fail "no window appeared in 20 s"
