#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# tav started where no display can be opened: each message, printed on stderr since no box can be shown, is
# followed by one line saying why, with SDL's error text and the display that was tried.
# Usage: no_display.sh TAV WORKDIR
set -euo pipefail
tav=$1
cd "$2"
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
# A display number no server listens on, and no Wayland.
status=0
env -u WAYLAND_DISPLAY DISPLAY=:65431 timeout 30 "$tav" 2>"$errors" >/dev/null || status=$?
fail() { echo "FAIL: $1" >&2; cat "$errors" >&2; exit 1; }
[ "$status" -ne 124 ] || fail "tav did not stop by itself"
grep -v '^error: XDG_RUNTIME_DIR' "$errors" >"$errors.lines" || true
mv "$errors.lines" "$errors"
# SDL's own words (here "x11 not available") sit between the two fixed parts; before them, how often it tried.
reason='^tav: SDL could not open the display \(10 tries in about a second\).*: .*x11 not available.*; display tried: DISPLAY=:65431$'
# The mode switch message takes two lines; the window message one.
for message in 'Running In Windowed Mode.' 'Error: Error Creating OpenGL Window'; do
  grep -qxF "$message" "$errors" || fail "no '$message' on stderr"
  grep -xF -A1 "$message" "$errors" | tail -n1 | grep -qE "$reason" || fail "'$message' is not followed by the reason"
done
[ "$(grep -cE "$reason" "$errors")" -eq 2 ] || fail "expected the reason once after each message"
echo "ok"
