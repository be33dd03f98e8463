#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The browser tests: builds the site (scripts/build-web.sh) and the browser test programs, then runs each case in
# headless Chromium over its DevTools protocol, each under a time limit, and prints what it measured.
#   scripts/test-web.sh [--no-build] [CASE...]     CASE: whole_run audio_clock_keys no_webgl no_web_audio
#                                                  long_latency context_lost stall_gap heard_clicks pictures phone
# heard_clicks plays unmuted into a private PulseAudio server (tests/audio/run_with_pulseaudio.sh) and times the
# rows against the clicks recorded from it.
# --keep DIR saves the screenshots the show cases took. Exit status 1 when any case failed.
set -uo pipefail
cd "$(dirname "$0")/.."
build=1
keep=()
cases=()
while [ $# -gt 0 ]; do
  case "$1" in
    --no-build) build=0 ;;
    --keep) keep=(--keep "$2"); mkdir -p "$2"; shift ;;
    *) cases+=("$1") ;;
  esac
  shift
done
[ ${#cases[@]} -gt 0 ] || cases=(whole_run audio_clock_keys no_webgl no_web_audio long_latency context_lost stall_gap
  heard_clicks pictures phone)

./scripts/install-deps.sh chromium python3-websocket python3-pil pulseaudio pulseaudio-utils || exit 1
# Debian's python has the packages above; another python3 earlier on PATH may not.
python=/usr/bin/python3
export PYTHONDONTWRITEBYTECODE=1
# em++ links with node scripts that need acorn, which Debian keeps in its own module folder.
export NODE_PATH=/usr/share/nodejs

if [ $build -eq 1 ]; then
  ./scripts/build-web.sh || exit 1
  # The browser side of the picture comparison lives in the site's CMake tree, the native side in build/.
  nice -n 10 cmake --build build-web/cmake -j2 >/dev/null || exit 1
  native_targets=$(cmake --build build --target help 2>/dev/null | awk '/(gl_cases|show_frame)_native|audio_click_module/ {print $2}')
  if [ -n "$native_targets" ]; then
    # shellcheck disable=SC2086
    nice -n 10 cmake --build build -j2 --target $native_targets >/dev/null || exit 1
  fi
fi

failed=()
for c in "${cases[@]}"; do
  start=$(date +%s)
  echo "== web: $c"
  if [ "$c" = pictures ]; then
    timeout -k 5 150 "$python" tests/e2e_web/test_pictures.py --native-build build --web-build build-web/cmake
    rc=$?
  elif [ "$c" = heard_clicks ]; then
    clicks=$(mktemp --suffix=.xm)
    build/audio_click_module "$clicks" &&
      timeout -k 5 150 tests/audio/run_with_pulseaudio.sh "$python" tests/e2e_web/heard_web_test.py --clicks "$clicks"
    rc=$?
    rm -f "$clicks"
  elif [ "$c" = phone ]; then
    # A phone's screen and touch, portrait and landscape.
    timeout -k 5 150 "$python" tests/e2e_web/phone_web_test.py "${keep[@]}"
    rc=$?
  else
    timeout -k 5 120 "$python" tests/e2e_web/show_web_test.py --case "$c" "${keep[@]}"
    rc=$?
  fi
  [ $rc -eq 124 ] && echo "   timed out"
  [ $rc -eq 0 ] || failed+=("$c")
  echo "   ($c: $(($(date +%s) - start)) s)"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "web tests failed: ${failed[*]}"
  exit 1
fi
echo "web tests passed"
