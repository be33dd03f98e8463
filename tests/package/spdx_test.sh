#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every source file of the repository carries its SPDX line; and scripts/add-spdx.sh, run twice on a small
# repository of its own, puts the line where each kind of file needs it and changes nothing the second time.
set -euo pipefail
root=$1
"$root/scripts/add-spdx.sh" --check

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/scripts" "$work/app" "$work/packaging/licenses"
cp "$root/scripts/add-spdx.sh" "$work/scripts/"
cd "$work"
printf '#!/bin/sh\necho hi\n' >run.sh
printf 'int main() {}\n' >app/main.cpp
printf '<!doctype html>\n<html></html>\n' >index.html
printf 'project(x)\n' >CMakeLists.txt
printf 'Licence text\n' >packaging/licenses/Zlib.txt
printf '// SPDX-License-Identifier: MIT\nint kept;\n' >app/kept.h
chmod +x run.sh
git init -q . && git add -A
scripts/add-spdx.sh >/dev/null
scripts/add-spdx.sh >/dev/null
expect() {
  if [ "$(cat "$1")" != "$(printf "$2")" ]; then
    echo "$1 is:" >&2
    cat "$1" >&2
    exit 1
  fi
}
expect run.sh '#!/bin/sh\n# SPDX-License-Identifier: MIT\necho hi'
expect app/main.cpp '// SPDX-License-Identifier: MIT\nint main() {}'
expect index.html '<!doctype html>\n<!-- SPDX-License-Identifier: MIT -->\n<html></html>'
expect CMakeLists.txt '# SPDX-License-Identifier: MIT\nproject(x)'
expect packaging/licenses/Zlib.txt 'Licence text'
expect app/kept.h '// SPDX-License-Identifier: MIT\nint kept;'
[ -x run.sh ] || { echo "run.sh lost its executable bit" >&2; exit 1; }
scripts/add-spdx.sh --check >/dev/null
echo "spdx: passed"
