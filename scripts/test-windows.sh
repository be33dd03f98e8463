#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Windows tav.exe (both targets, skipping what is built) and tests it: system-DLL imports only, then
# the i686 show under Wine on its own Xvfb screens, and the x86_64 one under wine64. Each Wine prefix is a private
# temporary folder, made here and removed at the end. Needs the Linux build for vel.kod and the test soundtrack.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
./scripts/build-windows.sh >/dev/null

prefixes=()
cleanup() {
  for p in "${prefixes[@]}"; do
    WINEPREFIX=$p wineserver -k 2>/dev/null || true
    rm -rf "$p"
  done
}
trap cleanup EXIT

# A fresh prefix of the given architecture; Managed=N keeps Wine's windows away from a window manager (there is
# none), without which DestroyWindow waits two seconds for one.
make_prefix() {
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/tav-wine-$1.XXXXXX")
  prefixes+=("$prefix")
  (export WINEPREFIX=$prefix WINEARCH=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=" DISPLAY=
   wineboot -i >/dev/null 2>&1
   wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
   wineserver -w)
}

failed=0
run_case() {
  local name=$1
  shift
  local start=$SECONDS wrapper=()
  if [ "${5:-}" = --pulseaudio ]; then
    wrapper=(tests/audio/run_with_pulseaudio.sh)
    set -- "${@:1:4}"
  fi
  if "${wrapper[@]}" /usr/bin/python3 tests/e2e_windows/windows_e2e.py "$@"; then
    echo "windows.$name: passed ($((SECONDS - start)) s)"
  else
    echo "windows.$name: FAILED ($((SECONDS - start)) s)"
    failed=1
  fi
}

run_case imports imports build-win32/tav.exe,build-win64/tav.exe build ""
# Wine starts through its i386 loader, which only a kernel that runs 32-bit programs (IA32 emulation) can exec;
# some virtual machines' kernels cannot. There no Wine case can start: said so, and not counted as a failure.
if /usr/lib/wine/wine --version >/dev/null 2>&1; [ $? -eq 126 ]; then
  echo "windows: this kernel runs no 32-bit programs (Exec format error from Wine's loader): the Wine cases are NOT run here"
  exit $failed
fi
make_prefix win32
win32=$prefix
for case in fast_run escape f1_close mode_switch_failed double_click; do
  run_case "$case" "$case" "$root/build-win32/tav.exe" "$root/build" "$win32"
done
# The same show with a sound server to play to: waveOut opens, and the server hears the music; then the server
# is killed, about ten seconds in, and the show still runs to its end.
run_case sound_device sound_device "$root/build-win32/tav.exe" "$root/build" "$win32" --pulseaudio
# The sound output through the console probe: the position against the clicks heard (printed, see below),
# winmm failing in three ways, and the sound server killed under it.
sound_case() {
  local name=$1 start=$SECONDS
  shift
  if tests/audio/run_with_pulseaudio.sh /usr/bin/python3 tests/e2e_windows/wine_sound.py "$name" \
      "$root/build-win32/sound_probe.exe" "$win32" "$@"; then
    echo "windows.sound_$name: passed ($((SECONDS - start)) s)"
  else
    echo "windows.sound_$name: FAILED ($((SECONDS - start)) s)"
    failed=1
  fi
}
# Wine's waveOut position leads the sound PulseAudio plays by a different amount each run (20 to 900 ms here):
# the figure is printed, not held to a bound.
sound_case offset
for case in fault_write fault_position fault_hang server_killed; do
  sound_case "$case"
done
make_prefix win64
win64=$prefix
run_case win64_start win64_start "$root/build-win64/tav.exe" "$root/build" "$win64"
exit $failed
