#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# tav-capture where EGL offers no driver (GLVND pointed at no vendor): the program's message is followed by one
# line saying why, with EGL's error and the display that was tried. Usage: no_egl.sh TAV_CAPTURE BUILD
set -euo pipefail
capture=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$2/vel.kod" "$work/"
cd "$work"
status=0
__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent/vendor.json timeout 60 "$capture" --png frames --seconds 1 \
  2>errors >/dev/null || status=$?
fail() { echo "FAIL: $1" >&2; cat errors >&2; exit 1; }
[ "$status" -eq 1 ] || fail "tav-capture exited with $status, not 1"
message='Error: Error Creating OpenGL Window'
reason="tav-capture: EGL gave no display: EGL_BAD_PARAMETER (0x300C); display tried: EGL on Mesa's surfaceless platform"
grep -qxF "$message" errors || fail "no '$message' on stderr"
[ "$(grep -xF -A1 "$message" errors | tail -n1)" = "$reason" ] || fail "'$message' is not followed by the reason"
echo ok
