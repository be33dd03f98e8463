# SPDX-License-Identifier: MIT
# Sourced by the install and build scripts: apt-get that waits for another apt and rides out a mirror caught in
# the middle of a sync, the deb-src lines apt-get source needs, and Debian's source packages unpacked once.

tav_sudo=""
[ "$(id -u)" -eq 0 ] || tav_sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

# Another apt or dpkg may be running: wait for it rather than fail.
apt_get() { $tav_sudo apt-get -o DPkg::Lock::Timeout=600 -o Acquire::Retries=3 "$@"; }

# A mirror that is syncing serves some index files with the wrong size, and apt-get update exits 100 although
# every other index arrived. Try again, then go on with the lists there are: an install that really lacks a
# package still fails, with apt's own message. The indexes that came with the wrong size are kept for
# apt_install.
tav_bad_indexes=()
apt_update() {
  local try log
  for try in 1 2 3; do
    log=$(apt_get update -qq 2>&1) && { tav_bad_indexes=(); return 0; }
    printf '%s\n' "$log" >&2
    mapfile -t tav_bad_indexes < <(sed -n \
      's|^E: Failed to fetch \(http[^ ]*/dists/[^ ]*/binary-[^/ ]*\)/Packages[^ ]* *File has unexpected size.*|\1|p' \
      <<<"$log")
    echo "apt-get update failed (try $try of 3)" >&2
    [ "$try" -lt 3 ] && sleep $((try * 10))
  done
  echo "going on with the package lists there are" >&2
}

# A .deb fetched mid-sync can fail its hash as well: refresh the lists and try once more. Where an index kept
# coming with the wrong size (one mirror served an i386 index out of step with its Release file for days, and
# without it no i386 library matches its amd64 twin), read the index it does serve as an unsigned flat
# repository, for this install only; the packages are still checked against the hashes in it.
apt_install() {
  apt_install_once "$@" && return 0
  if [ ${#tav_bad_indexes[@]} -eq 0 ]; then
    echo "apt-get install failed; refreshing the package lists and trying again" >&2
    sleep 10
    apt_update
    apt_install_once "$@" && return 0
    [ ${#tav_bad_indexes[@]} -gt 0 ] || return 1
  fi
  local list=/etc/apt/sources.list.d/tav-unsigned-index.list index base rc=0
  for index in "${tav_bad_indexes[@]}"; do
    base=${index%%/dists/*}
    echo "reading $index/ without its Release file's check" >&2
    echo "deb [arch=${index##*/binary-} trusted=yes] $base ${index#"$base"/}/"
  done | $tav_sudo tee "$list" >/dev/null
  apt_get update -qq >/dev/null 2>&1 || true
  apt_install_once "$@" || rc=$?
  $tav_sudo rm -f "$list"
  return $rc
}
apt_install_once() { apt_get install -y -qq --no-install-recommends "$@" >/dev/null; }

# Writes deb-src lines for the archives the machine already uses; returns 1 when they were already there
# (so the caller knows whether the lists need an update).
add_deb_src() {
  apt-get source --print-uris zlib >/dev/null 2>&1 && return 1
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $tav_sudo tee /etc/apt/sources.list.d/tav-deb-src.sources >/dev/null
  else
    printf 'deb-src http://deb.debian.org/debian bookworm main\ndeb-src http://deb.debian.org/debian bookworm-updates main\n' |
      $tav_sudo tee /etc/apt/sources.list.d/tav-deb-src.list >/dev/null
  fi
  return 0
}

# The unpacked source of a package under DIR, without a trailing slash; 1 when there is none.
source_dir() {
  local dir
  dir=$(ls -d "$1/$2"-*/ 2>/dev/null | head -n 1)
  [ -n "$dir" ] || return 1
  echo "${dir%/}"
}

# fetch_sources DIR PACKAGE...: unpacks each package's Debian source into DIR once. A mirror may lack a version's
# files: try the newest, then each version the archives list; where only the Debian part is missing, unpack the
# upstream tarball that did arrive.
fetch_sources() {
  local dir=$1 package version got orig
  shift
  mkdir -p "$dir"
  for package in "$@"; do
    source_dir "$dir" "$package" >/dev/null && continue
    got=0
    for version in "" $(apt-cache showsrc "$package" | awk '/^Version:/ {print "=" $2}' | sort -ru); do
      if (cd "$dir" && apt-get source -qq "$package$version" >/dev/null 2>&1); then
        got=1
        break
      fi
    done
    if [ $got -eq 0 ]; then
      orig=$(ls "$dir/${package}"_*.orig.tar.* 2>/dev/null | head -n 1 || true)
      [ -n "$orig" ] || { echo "apt-get source $package failed" >&2; return 1; }
      mkdir -p "$dir/$package-upstream"
      tar -xf "$orig" -C "$dir/$package-upstream" --strip-components=1
    fi
  done
}
