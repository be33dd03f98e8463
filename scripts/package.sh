#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package build/tav_VERSION_amd64.deb: installs what building needs, builds, runs cpack.
# Install it with: sudo apt install ./build/tav_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
cd build
cpack -G DEB
