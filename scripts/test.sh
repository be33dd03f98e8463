#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test. The end-to-end tests start their own Xvfb servers.
set -euo pipefail
cd "$(dirname "$0")/.."
# What only the tests need, on top of what building and running need (scripts/install-deps.sh).
test_packages=(
  # unit tests and the sanitizer and valgrind runs
  libgtest-dev
  libbenchmark-dev
  clang-14
  libclang-rt-14-dev
  valgrind
  # end-to-end tests under Xvfb
  xvfb
  xdotool
  x11-apps
  x11-utils
  python3-xlib
  # test files and second opinions on them
  zip
  imagemagick
  openmpt123
  xmp
  # the sound servers the device delay is measured through (PipeWire without its recommends, which would pull
  # in pipewire-alsa and remove pulseaudio)
  pulseaudio
  pulseaudio-utils
  pipewire
  pipewire-bin
  pipewire-pulse
  wireplumber
  dbus-daemon
  # the Debian package's checks
  lintian
  desktop-file-utils
  man-db
)
./scripts/install-deps.sh "${test_packages[@]}"
./scripts/build.sh
cd build
# The whole show through the GL layer under valgrind takes minutes alone; `ctest -L layer_valgrind` runs it.
ctest --output-on-failure -j2 --timeout 600 -LE layer_valgrind
../scripts/test-sanitize.sh
cd ..
# The browser build: built with Emscripten, then run in headless Chromium (it installs both itself).
./scripts/test-web.sh
# The Windows build: cross-built, then run under Wine (it installs MinGW-w64 and Wine itself).
./scripts/test-windows.sh
# The release from what the scripts above built: every artefact's notices, then a second build of the same
# commit in another folder that must give the same bytes.
./scripts/test-release.sh
