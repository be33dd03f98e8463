# SPDX-License-Identifier: MIT
# Sourced by the build scripts: tav's version, from the one place it is set (CMakeLists.txt's project()), and
# the time every packed file is stamped with.
tav_version() {
  sed -n 's/^project(tav VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}

# SOURCE_DATE_EPOCH when the caller set one, else the commit's date, else that of CMakeLists.txt (a source
# tree without git).
tav_source_date_epoch() {
  if [ -n "${SOURCE_DATE_EPOCH:-}" ]; then
    echo "$SOURCE_DATE_EPOCH"
  elif git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
    git -C "$root" log -1 --format=%ct
  else
    stat -c %Y "$root/CMakeLists.txt"
  fi
}
