#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The release: scripts/release.sh builds dist/ (reusing what the other scripts built), each artefact's notices
# are checked against what was linked into it, then the same commit is built again from a second clone in
# another folder, in another time zone, without the compiler cache (which could hide a build path), sharing
# only the dependency builds, and the two dist/ folders must hold the same bytes.
#   scripts/test-release.sh [--once]     --once: the first build and the notices only
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$SECONDS
./scripts/release.sh >/dev/null
echo "release built ($((SECONDS - start)) s)"
python3 tests/package/notices_test.py dist "$root"
[ "${1:-}" = "--once" ] && exit 0
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "test-release: uncommitted changes: dist/ is not the commit's, so the second build is not compared" >&2
  exit 1
fi

start=$SECONDS
work=$(mktemp -d "${TMPDIR:-/tmp}/tav-release-again.XXXXXX")
second=$work/second/tav
git clone -q --shared --no-checkout "$root" "$second"
git -C "$second" checkout -q --detach "$(git rev-parse HEAD)"
# The dependency builds and their sources, shared; everything of ours is built again.
for dir in build-win32/deps build-win64/deps build-web/deps build-winsrc build-websrc; do
  mkdir -p "$(dirname "$second/$dir")"
  ln -s "$root/$dir" "$second/$dir"
done
(cd "$second" &&
  env -u CMAKE_C_COMPILER_LAUNCHER -u CMAKE_CXX_COMPILER_LAUNCHER CCACHE_DISABLE=1 TZ=America/Los_Angeles \
    ./scripts/release.sh >/dev/null)
echo "second release built in another folder ($((SECONDS - start)) s)"
if ! python3 tests/package/compare_release.py dist "$second/dist"; then
  echo "the second build is kept in $second" >&2
  exit 1
fi
rm -rf "$work"
