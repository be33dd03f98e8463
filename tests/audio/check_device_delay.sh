#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the device delay probe's check through a sound server script: SERVER_SCRIPT [ARGS...] PROBE. One dropout
# on a loaded machine can shift a whole run, so a failed check is run again, up to three times; every run is printed.
set -uo pipefail
for attempt in 1 2 3; do
  if "$@" --check; then exit 0; fi
  echo "check failed (attempt $attempt)"
done
exit 1
