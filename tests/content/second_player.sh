#!/bin/sh
# SPDX-License-Identifier: MIT
# The generated soundtracks load and play in Debian's xmp and openmpt123 without warnings.
# Usage: second_player.sh BUILD_DIR
set -eu
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unzip -q "$build/vel.kod" Data/sfx/trancen.xm
status=0
for module in Data/sfx/trancen.xm "$build/test-content/fast/Data/sfx/trancen.xm" \
              "$build/test-content/lengths/Data/sfx/trancen.xm"; do
    if ! xmp --load-only "$module" > xmp-load.txt 2>&1; then
        echo "xmp cannot load $module"; cat xmp-load.txt; status=1
    fi
    # Render the whole module to a file: a faulty sample or pattern stops the player or prints a warning.
    if ! xmp -q -d file -o out.raw "$module" > xmp-play.txt 2>&1 || [ ! -s out.raw ]; then
        echo "xmp cannot play $module"; cat xmp-play.txt; status=1
    fi
    if grep -i -E 'warn|error|corrupt|invalid' xmp-load.txt xmp-play.txt; then status=1; fi
    openmpt123 --info "$module" > info.txt 2>&1 || { echo "openmpt123 rejects $module"; status=1; }
    if grep -i -E 'warn|error' info.txt; then status=1; fi
    rm -f out.raw
done
exit $status
