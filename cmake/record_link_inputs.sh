#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a link command given after OUT and keeps what it prints on stdout (the inputs --trace names) in OUT.
out=$1
shift
"$@" >"$out.tmp" || exit $?
mv "$out.tmp" "$out"
