#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs the whole headless show with the fast test soundtrack under memcheck: any invalid read or write, use
# of an uninitialised value, or block definitely lost fails the run. The suppressions cover Mesa and LLVM
# internals only. Usage: valgrind_show.sh VALGRIND PROGRAM BUILD SUPPRESSIONS
set -euo pipefail
valgrind=$1
program=$2
build=$3
suppressions=$4
work=$(mktemp -d /tmp/tav-valgrind-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/vel.kod" "$work/"
mkdir -p "$work/Data/sfx"
cp "$build/test-content/fast/Data/sfx/trancen.xm" "$work/Data/sfx/"
cd "$work"
# One rendering thread: valgrind runs threads one at a time anyway.
export LP_NUM_THREADS=0
status=0
"$valgrind" --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --undef-value-errors=yes --num-callers=30 \
  --suppressions="$suppressions" "$program" 1 >"$work/show.out" 2>"$work/valgrind.log" || status=$?
if [ "$status" -ne 0 ]; then
  grep -v '^==[0-9]*== *$' "$work/valgrind.log" | tail -n 150
  echo "FAIL: exit status $status under memcheck" >&2
  exit 1
fi
grep -E 'ERROR SUMMARY|definitely lost' "$work/valgrind.log"
