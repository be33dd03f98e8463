#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# scripts/run.sh installs only what building and running need: no package that only the tests want (those
# scripts/test.sh names) may be among the packages scripts/install-deps.sh installs, nor among everything
# they depend on, as apt resolves them on a fresh machine (recommends are not installed).
# Usage: run_deps_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
mapfile -t run_list < <("$source_dir/scripts/install-deps.sh" --list)
# test.sh's own list, read from the script itself.
mapfile -t test_list < <(sed -n '/^test_packages=(/,/^)/p' "$source_dir/scripts/test.sh" |
  sed -e '1d' -e '$d' -e 's/#.*//' | tr -s ' \t' '\n' | sed '/^$/d')
[ ${#run_list[@]} -gt 0 ] && [ ${#test_list[@]} -gt 0 ] || { echo "FAIL: empty package lists" >&2; exit 1; }
grep -q '^\./scripts/install-deps\.sh$' "$source_dir/scripts/run.sh" ||
  { echo "FAIL: run.sh does not call install-deps.sh on its own" >&2; exit 1; }

closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
  --no-enhances "${run_list[@]}" | grep -v '^ ' | sort -u)
failed=0
for p in "${run_list[@]}"; do
  grep -qxF "$p" <<<"$closure" || { echo "FAIL: apt knows nothing of $p" >&2; failed=1; }
done
for p in "${test_list[@]}"; do
  if grep -qxF "$p" <<<"$closure"; then
    echo "FAIL: run.sh would install the test-only package $p" >&2
    failed=1
  fi
done
[ $failed -eq 0 ] && echo "run.sh: ${#run_list[@]} packages named, $(wc -l <<<"$closure") with what they depend on;" \
  "none of the ${#test_list[@]} test-only packages among them"
exit $failed
