#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Puts the line "SPDX-License-Identifier: MIT" at the top of each of tav's own source files that lacks it, in
# the file's comment syntax: C and C++ with //, shell, Python and CMake with # (after a #! line), HTML as a
# comment after its doctype, manual pages as a roff comment. Files already carrying the line are left as they
# are, so a second run changes nothing. Only files git tracks are considered; the third-party licence texts,
# test data and build output are not source and are never touched.
#   scripts/add-spdx.sh           add the line where it is missing
#   scripts/add-spdx.sh --check   change nothing; list the files without it and exit 1 when there are any
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
[ "${1:-}" = "--check" ] && check=1

tag="SPDX-License-Identifier: MIT"

# The comment line for a file, or nothing when the file is not one of our source files.
comment_for() {
  case "$1" in
    packaging/licenses/*) ;;
    *.c | *.cpp | *.h) echo "// $tag" ;;
    *.sh | *.py | *.cmake | */CMakeLists.txt | CMakeLists.txt) echo "# $tag" ;;
    *.html) echo "<!-- $tag -->" ;;
    *.1 | *.6) echo ".\\\" $tag" ;;
  esac
}

missing=()
while IFS= read -r -d '' file; do
  line=$(comment_for "$file")
  [ -n "$line" ] && [ -f "$file" ] || continue
  head -n 3 "$file" | grep -q "SPDX-License-Identifier:" && continue
  missing+=("$file")
  [ $check -eq 1 ] && continue
  first=$(head -n 1 "$file")
  case "$first" in
    '#!'* | '<!doctype'* | '<!DOCTYPE'*)
      # The #! line and the doctype must stay first.
      { printf '%s\n%s\n' "$first" "$line"; tail -n +2 "$file"; } >"$file.spdx" ;;
    *)
      { printf '%s\n' "$line"; cat "$file"; } >"$file.spdx" ;;
  esac
  chmod --reference="$file" "$file.spdx"
  mv "$file.spdx" "$file"
done < <(git ls-files -z)

if [ $check -eq 1 ]; then
  if [ ${#missing[@]} -gt 0 ]; then
    echo "without an SPDX-License-Identifier line (scripts/add-spdx.sh adds it):" >&2
    printf '  %s\n' "${missing[@]}" >&2
    exit 1
  fi
  echo "every source file carries its SPDX line"
elif [ ${#missing[@]} -gt 0 ]; then
  echo "added the SPDX line to ${#missing[@]} files"
fi
