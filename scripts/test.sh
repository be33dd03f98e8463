#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. The end-to-end tests start their own Xvfb servers.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
cd build
ctest --output-on-failure -j2 --timeout 600
../scripts/test-sanitize.sh
