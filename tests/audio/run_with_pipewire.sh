#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command against a private PipeWire (pipewire, wireplumber and pipewire-pulse on a private runtime folder
# and D-Bus bus) with one null sink as the default, so SDL plays to a real PipeWire and parec records its monitor.
# Usage: run_with_pipewire.sh SDL_DRIVER COMMAND...   (SDL_DRIVER: pipewire, or pulseaudio through pipewire-pulse)
set -euo pipefail
driver=$1
shift
scratch=$(mktemp -d)
mkdir -p "$scratch/run" "$scratch/home" "$scratch/config"
chmod 700 "$scratch/run"
export XDG_RUNTIME_DIR="$scratch/run" HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/config"
export XDG_STATE_HOME="$scratch/state" PULSE_RUNTIME_PATH="$scratch/run/pulse"
unset PULSE_SERVER
pids=()
bus=""
cleanup() {
  local status=$?
  # Stopped in the reverse order of starting: pipewire-pulse, wireplumber, pipewire, then the bus. A server a
  # test killed is already gone.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[$i]}" 2>/dev/null || true
    wait "${pids[$i]}" 2>/dev/null || true
  done
  if [ -n "$bus" ]; then kill "$bus" 2>/dev/null || true; fi
  rm -rf "$scratch"
  exit "$status"
}
trap cleanup EXIT
fail() {
  echo "$1" >&2
  tail -n 20 "$scratch"/*.log >&2 || true
  exit 1
}
wait_for() {
  for _ in $(seq 100); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}
# Without a session bus wireplumber exits; without wireplumber nothing is linked to the sink.
{ read -r address; read -r bus; } < <(dbus-daemon --session --fork --nopidfile \
  --address="unix:path=$XDG_RUNTIME_DIR/bus" --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=$address
pipewire >"$scratch/pipewire.log" 2>&1 &
pids+=($!)
echo "${pids[0]}" >"$scratch/run/pipewire.pid"
wait_for test -S "$XDG_RUNTIME_DIR/pipewire-0" || fail "PipeWire did not start"
wireplumber >"$scratch/wireplumber.log" 2>&1 &
pids+=($!)
pipewire-pulse >"$scratch/pipewire-pulse.log" 2>&1 &
pids+=($!)
wait_for pactl info || fail "pipewire-pulse did not answer"
pactl load-module module-null-sink sink_name=tav_null >/dev/null
wait_for pactl set-default-sink tav_null || fail "the null sink did not become the default"
# A test that kills the server mid-show finds it here.
export TAV_SOUND_SERVER_PID=${pids[0]}
export SDL_AUDIODRIVER=$driver
"$@"
