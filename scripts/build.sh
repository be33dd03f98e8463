#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Configures and builds everything into build/ at the repository root.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
