#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and starts the show from build/. Without a display it renders the whole
# show to build/tav.mp4 instead.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
cd build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: rendering the show to $(pwd)/tav.mp4 instead; progress is shown below (this takes several times the length of the show)." >&2
  exec ./tav-capture --out tav.mp4
fi
exec ./tav
