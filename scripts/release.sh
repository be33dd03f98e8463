#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds every artefact of a release into dist/: tav_VERSION_amd64.deb, tav-VERSION-win32.zip,
# tav-VERSION-win64.zip, tav-VERSION-web.zip (the static site), tav-VERSION.tar.gz (the source of the commit,
# content tool included, no generated content) and SHA256SUMS. It builds with the other scripts into their usual
# folders (build/, build-win32/, build-win64/, build-web/), so the dependency builds they keep are reused, and
# the same commit gives the same bytes in any folder at any time: every date is the commit's
# (SOURCE_DATE_EPOCH), no build path reaches a program, archives are packed in a fixed order with fixed modes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. "$root/scripts/lib/version.sh"
version=$(tav_version)
git rev-parse --verify -q HEAD >/dev/null || { echo "release.sh: needs the git checkout of a commit" >&2; exit 1; }
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release.sh: warning: uncommitted changes; the programs are built from them, tav-$version.tar.gz holds" \
    "only the commit" >&2
fi
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH LC_ALL=C
umask 022
dist=$root/dist
jobs=$(nproc)

# Linux: only what the package holds (no tests), then the package. Not through a compiler cache: ccache with a
# base_dir hands the compiler relative source paths, which then land in the debug information and the build id.
./scripts/install-deps.sh
launched=0
grep -Eq '^CMAKE_(C|CXX)_COMPILER_LAUNCHER:[A-Z]+=.+' build/CMakeCache.txt 2>/dev/null && launched=1
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER_LAUNCHER= -DCMAKE_CXX_COMPILER_LAUNCHER= \
  >/dev/null
if [ $launched -eq 1 ]; then
  echo "release.sh: build/ was compiled through a compiler launcher: compiling it again without" >&2
  cmake --build build --target clean
fi
cmake --build build -j"$jobs" --target tav tav-capture content packaging_files >/dev/null
rm -rf build/release-deb
(cd build && cpack -G DEB -B "$root/build/release-deb" >/dev/null)

./scripts/build-windows.sh >/dev/null
./scripts/build-web.sh >/dev/null 2>&1 || { echo "release.sh: scripts/build-web.sh failed" >&2; exit 1; }

rm -rf "$dist"
mkdir -p "$dist"
cp "build/release-deb/tav_${version}_amd64.deb" "$dist/"
for bits in 32 64; do
  cp "build-win$bits/tav-$version-win$bits.zip" "$dist/"
done
# The site alone, at the top of its zip, ready for any static host.
site=build-web/release-site
rm -rf "$site"
mkdir -p "$site"
cp build-web/index.html build-web/licenses.html build-web/tav.js build-web/tav.wasm build-web/content.js \
  build-web/content.data "$site/"
python3 scripts/lib/pack_zip.py "$dist/tav-$version-web.zip" "$site"
git archive --format=tar --prefix="tav-$version/" HEAD | gzip -9n >"$dist/tav-$version.tar.gz"
(cd "$dist" && sha256sum -- * >SHA256SUMS)
cat "$dist/SHA256SUMS"
