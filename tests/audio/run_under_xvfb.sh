#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a test program under its own Xvfb, with SDL's audio driver left to SDL's own choice.
set -euo pipefail
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 800x600x24 3>"$fdfile" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$fdfile"' EXIT
for _ in $(seq 100); do
  [ -s "$fdfile" ] && break
  sleep 0.1
done
[ -s "$fdfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$fdfile")"
unset SDL_AUDIODRIVER
"$@"
