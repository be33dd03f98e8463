#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a command against a private PulseAudio server with one null sink, so SDL plays to a real sound server and
# parec can record what it hears from the sink's monitor. Everything the server keeps lives in a scratch folder.
set -euo pipefail
scratch=$(mktemp -d)
mkdir -p "$scratch/run" "$scratch/home"
export XDG_RUNTIME_DIR="$scratch/run" PULSE_RUNTIME_PATH="$scratch/run" PULSE_STATE_PATH="$scratch/state"
export HOME="$scratch/home"
server=""
cleanup() {
  local status=$?
  # A server a test killed is already gone.
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -rf "$scratch"
  exit "$status"
}
trap cleanup EXIT
# -n: no default configuration (no hardware probing); as root the server only warns that it is meant for users.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr --log-level=error \
  --load="module-null-sink sink_name=tav_null rate=44100 channels=2" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$scratch/run/native" \
  2>"$scratch/server.log" &
server=$!
export PULSE_SERVER="unix:$scratch/run/native"
for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 && break
  sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
  echo "PulseAudio did not start:" >&2
  cat "$scratch/server.log" >&2
  exit 1
fi
pactl set-default-sink tav_null
# A test that kills the server mid-show finds it here.
export TAV_SOUND_SERVER_PID=$server
export SDL_AUDIODRIVER=pulseaudio
"$@"
