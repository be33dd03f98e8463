#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs realtime_show in a scratch folder with the content set and the fast test soundtrack, on the audio driver
# SDL_AUDIODRIVER names (SDL's dummy driver, the silent real-time output, when none). With KILL_AFTER, the sound
# server TAV_SOUND_SERVER_PID names is killed that many seconds after the start.
# Usage: run_realtime_show.sh PROGRAM BUILD [KILL_AFTER]
set -euo pipefail
program=$1
build=$2
kill_after=${3:-}
work=$(mktemp -d)
killer=""
cleanup() {
  local status=$?
  if [ -n "$killer" ]; then kill "$killer" 2>/dev/null || true; fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
cp "$build/vel.kod" "$work/"
mkdir -p "$work/Data/sfx"
cp "$build/test-content/fast/Data/sfx/trancen.xm" "$work/Data/sfx/"
cd "$work"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
if [ -n "$kill_after" ]; then
  (sleep "$kill_after"; kill -9 "$TAV_SOUND_SERVER_PID"; echo "sound server killed") &
  killer=$!
fi
"$program" "$build/realtime_show_positions_$SDL_AUDIODRIVER${kill_after:+_killed}.log"
