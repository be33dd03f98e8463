#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the Windows tav.exe (i686 and x86_64) with Debian's MinGW-w64, linked statically so it imports only
# Windows system DLLs, and packs build-win32/tav-VERSION-win32.zip and build-win64/tav-VERSION-win64.zip (the exe,
# vel.kod, README.txt, LICENSE.txt and THIRD-PARTY.txt, the same bytes on every run). Installs what it needs
# (MinGW-w64, Wine for the tests, deb-src lines for the dependencies' sources) and builds the cross dependencies
# once into build-winNN/deps; a second run skips whatever is already built.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

. "$root/scripts/lib/debian.sh"
. "$root/scripts/lib/version.sh"
version=$(tav_version)

install_packages() {
  local packages=(
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev mingw-w64-tools
    cmake make pkg-config dpkg-dev zip
    wine wine32:i386 wine64 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
    xvfb xdotool x11-utils python3-xlib
  )
  local missing=() updated=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $tav_sudo dpkg --add-architecture i386
    updated=1
  fi
  # apt-get source needs deb-src lines.
  add_deb_src && updated=1
  [ $updated -eq 1 ] && apt_update
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}" >&2
  [ $updated -eq 1 ] || apt_update
  apt_install "${missing[@]}"
}

# Debian's source packages, unpacked once into build-winsrc/ (shared by both targets).
src=$root/build-winsrc

# minizip from zlib's contrib: the unzip half and its file layer, as a static library.
build_minizip() {
  local host=$1 deps=$2
  [ -f "$deps/lib/libminizip.a" ] && return 0
  local dir work
  dir=$(source_dir "$src" zlib)/contrib/minizip
  work=$deps/build/minizip
  mkdir -p "$work" "$deps/lib" "$deps/include/minizip"
  for f in ioapi unzip; do
    "$host-gcc-posix" -O2 -c "$dir/$f.c" -o "$work/$f.o" -I"$dir"
  done
  "$host-ar" rcs "$deps/lib/libminizip.a" "$work/ioapi.o" "$work/unzip.o"
  cp "$dir/ioapi.h" "$dir/unzip.h" "$deps/include/minizip/"
}

# libopenmpt's library only: no player, no examples, no tests, no optional decoders (the show plays XM). No -g:
# the released exe is stripped, and debug information makes this, the longest step of the build, slower still.
build_openmpt() {
  local host=$1 deps=$2
  [ -f "$deps/lib/libopenmpt.a" ] && return 0
  local work=$deps/build/libopenmpt
  mkdir -p "$work"
  (cd "$work" &&
    "$(source_dir "$src" libopenmpt)/configure" --host="$host" --prefix="$deps" --enable-static --disable-shared \
      --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
      --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
      --without-portaudio --without-portaudiocpp --without-pulseaudio --without-sndfile --without-flac \
      CC="$host-gcc-posix" CXX="$host-g++-posix" CFLAGS=-O2 CXXFLAGS=-O2 >/dev/null &&
    make -j"$jobs" >/dev/null && make install >/dev/null)
}

# libsndfile with its built-in formats only (WAV and friends); no programs, examples or tests.
build_sndfile() {
  local host=$1 deps=$2 toolchain=$3
  [ -f "$deps/lib/libsndfile.a" ] && return 0
  cmake -S "$(source_dir "$src" libsndfile)" -B "$deps/build/libsndfile" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF -DBUILD_PROGRAMS=OFF \
    -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DENABLE_CPACK=OFF \
    -DBUILD_REGTEST=OFF -DINSTALL_MANPAGES=OFF -Wno-dev -Wno-deprecated >/dev/null
  cmake --build "$deps/build/libsndfile" -j"$jobs" >/dev/null
  cmake --install "$deps/build/libsndfile" >/dev/null
}

# The release folder and its zip: the exe, the content set, how to run it, and the notices of what it contains.
package() {
  local build=$1 name=$2
  local release=$build/$name
  rm -rf "$release" "$build/$name.zip"
  mkdir -p "$release"
  cp "$build/tav.exe" "$release/"
  cp "$root/build/vel.kod" "$release/"
  sed 's/$/\r/' "$build/README.txt" >"$release/README.txt"
  python3 "$root/scripts/notices.py" windows "$version" "$release"
  SOURCE_DATE_EPOCH=$(tav_source_date_epoch) python3 "$root/scripts/lib/pack_zip.py" "$build/$name.zip" \
    "$release" "$name"
}

build_target() {
  local arch=$1 bits=$2
  local host=$arch-w64-mingw32
  local build=$root/build-win$bits
  local toolchain=$root/cmake/toolchain-mingw-$arch.cmake
  local deps=$build/deps
  build_minizip "$host" "$deps"
  build_openmpt "$host" "$deps"
  build_sndfile "$host" "$deps" "$toolchain"
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DTAV_WINDOWS_DEPS="$deps" >/dev/null
  # The 32-bit build also makes the console program the Wine sound tests play through.
  cmake --build "$build" -j"$jobs" --target tav $([ "$bits" = 32 ] && echo sound_probe)
  package "$build" "tav-$version-win$bits"
}

install_packages
fetch_sources "$src" zlib libopenmpt libsndfile
# vel.kod comes from the Linux build's make_content: the same bytes on every platform.
if [ ! -f build/vel.kod ]; then
  ./scripts/install-deps.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$jobs" --target content
fi
build_target i686 32
build_target x86_64 64
