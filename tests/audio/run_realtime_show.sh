#!/usr/bin/env bash
# Runs realtime_show in a scratch folder with the content set and the fast test soundtrack, on SDL's dummy
# audio driver (the silent real-time output). Usage: run_realtime_show.sh PROGRAM BUILD
set -euo pipefail
program=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/vel.kod" "$work/"
mkdir -p "$work/Data/sfx"
cp "$build/test-content/fast/Data/sfx/trancen.xm" "$work/Data/sfx/"
cd "$work"
export SDL_AUDIODRIVER=dummy
"$program" "$build/realtime_show_positions.log"
