#!/usr/bin/env bash
# Installs what is missing, builds, and starts the show from build/ (it needs a display).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
cd build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "tav needs a display (X11 or Wayland): none is set, so the show cannot open its window." >&2
fi
exec ./tav
