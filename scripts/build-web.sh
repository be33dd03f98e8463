#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds tav for the browser (WebAssembly + WebGL) into build-web/: index.html, licenses.html, tav.js, tav.wasm and
# the content package content.js + content.data. Installs what it needs (emscripten, node, the native compilers for the
# content tool), fetches Debian's sources of zlib, libopenmpt and libglu once into build-websrc/, compiles them
# to wasm into build-web/deps, and skips whatever is already built.
#
#   scripts/build-web.sh                      build the site
#   scripts/build-web.sh --serve [PORT]       build, then serve build-web/ on http://127.0.0.1:PORT/ (8000)
#   scripts/build-web.sh --content OUTDIR FILE=PATH...
#                                             only pack a content package: OUTDIR/content.data + content.js holding
#                                             each PATH as FILE in the program's folder, e.g.
#                                             --content /tmp/fast vel.kod=build/vel.kod \
#                                                 Data/sfx/trancen.xm=build/test-content/fast/Data/sfx/trancen.xm
#
# A content package is emscripten's file_packager run from the folder it is written to (the program's folder is
# the root of the browser's file system, where it finds vel.kod):
#   python3 /usr/share/emscripten/tools/file_packager.py content.data --preload PATH@/FILE... \
#       --js-output=content.js
# index.html loads content.js before tav.js; put another pair beside a copy of the site to run other content.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
site=$root/build-web
deps=$site/deps
src=$root/build-websrc
jobs=2
export NODE_PATH=/usr/share/nodejs  # Debian's emcc needs its acorn from there with the machine's node
file_packager=/usr/share/emscripten/tools/file_packager.py
. "$root/scripts/lib/debian.sh"
. "$root/scripts/lib/version.sh"

step_start=0
step() { step_start=$(date +%s); echo "== $1" >&2; }
step_done() { echo "   ($1: $(($(date +%s) - step_start)) s)" >&2; }

# ---- Content packages: needs only python3 and emscripten's file_packager.
pack_content() {
  local out=$1
  shift
  [ $# -gt 0 ] || { echo "--content needs FILE=PATH arguments" >&2; exit 2; }
  mkdir -p "$out"
  local args=() pair name path
  for pair in "$@"; do
    name=${pair%%=*}
    path=${pair#*=}
    [ "$name" != "$pair" ] && [ -n "$name" ] || { echo "not FILE=PATH: $pair" >&2; exit 2; }
    [ -f "$path" ] || { echo "no such file: $path" >&2; exit 2; }
    args+=("$(realpath "$path")@/${name#/}")
  done
  # It reminds of -sFORCE_FILESYSTEM on stderr every time; tav.js is linked with it.
  (cd "$out" && python3 "$file_packager" content.data --preload "${args[@]}" --js-output=content.js \
    >/dev/null 2>&1) || { echo "file_packager failed for $out" >&2; exit 1; }
  # It names each package with a random UUID (a cache key, which the page does not use): name it by its data
  # instead, so that the same content always gives the same content.js.
  local id
  id=$(sha256sum "$out/content.data" | sed 's/^\(.\{8\}\)\(.\{4\}\)\(.\{4\}\)\(.\{4\}\)\(.\{12\}\).*/\1-\2-\3-\4-\5/')
  sed -i "s/\"package_uuid\": \"[^\"]*\"/\"package_uuid\": \"$id\"/" "$out/content.js"
}

if [ "${1:-}" = "--content" ]; then
  [ $# -ge 3 ] || { echo "usage: $0 --content OUTDIR FILE=PATH..." >&2; exit 2; }
  out=$2
  shift 2
  pack_content "$out" "$@"
  exit 0
fi

serve=0
port=8000
if [ "${1:-}" = "--serve" ]; then
  serve=1
  [ -n "${2:-}" ] && port=$2
fi

# ---- Packages, and deb-src lines for apt-get source.
install_packages() {
  add_deb_src && apt_update
  ./scripts/install-deps.sh emscripten nodejs python3 dpkg-dev
}

# ---- The wasm dependencies.
build_zlib() {
  [ -f "$deps/lib/libz.a" ] && [ -f "$deps/lib/libminizip.a" ] && return 0
  local dir work f objects=()
  dir=$(source_dir "$src" zlib)
  work=$deps/build/zlib
  mkdir -p "$work" "$deps/lib" "$deps/include/minizip"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
           uncompr zutil; do
    emcc -O2 -DHAVE_UNISTD_H -c "$dir/$f.c" -o "$work/$f.o" -I"$dir"
    objects+=("$work/$f.o")
  done
  emar rcs "$deps/lib/libz.a" "${objects[@]}"
  cp "$dir/zlib.h" "$dir/zconf.h" "$deps/include/"
  # minizip's unzip half and its file layer: what the program reads vel.kod with.
  for f in ioapi unzip; do
    emcc -O2 -c "$dir/contrib/minizip/$f.c" -o "$work/mz_$f.o" -I"$dir" -I"$dir/contrib/minizip"
  done
  emar rcs "$deps/lib/libminizip.a" "$work/mz_ioapi.o" "$work/mz_unzip.o"
  cp "$dir/contrib/minizip/ioapi.h" "$dir/contrib/minizip/unzip.h" "$deps/include/minizip/"
}

# gluPerspective and the rest of libglu's projection code; the GL 1.1 calls it makes come from the GL 1.1 layer.
build_glu() {
  [ -f "$deps/lib/libGLU.a" ] && return 0
  local dir
  dir=$(source_dir "$src" libglu)
  mkdir -p "$deps/build/glu" "$deps/lib" "$deps/include/GL"
  emcc -O2 -c "$dir/src/libutil/project.c" -o "$deps/build/glu/project.o" -I"$dir/include" -I"$dir/src/include"
  emar rcs "$deps/lib/libGLU.a" "$deps/build/glu/project.o"
  cp "$dir/include/GL/glu.h" "$deps/include/GL/"
}

# libopenmpt's library sources as its Makefile.am lists them; no optional decoders (the show plays XM).
build_openmpt() {
  [ -f "$deps/lib/libopenmpt.a" ] && return 0
  local dir work
  dir=$(source_dir "$src" libopenmpt)
  work=$deps/build/libopenmpt
  mkdir -p "$work" "$deps/lib" "$deps/include/libopenmpt"
  local sources
  sources=$(grep -E '^(MPT_FILES_COMMON|MPT_FILES_SOUNDBASE|MPT_FILES_SOUNDLIB|MPT_FILES_SOUNDDSP|libopenmpt_la_SOURCES) \+= .*\.cpp$' \
    "$dir/Makefile.am" | awk '{print $3}')
  # One make rule per object, so -j works and an interrupted build resumes.
  {
    echo "all:"
    local s o all=""
    for s in $sources; do
      o=$work/$(echo "$s" | tr '/' '_').o
      all="$all $o"
      printf '%s: %s\n\t@em++ -O2 -w -std=c++17 -fexceptions -DLIBOPENMPT_BUILD -DNDEBUG -I%s -I%s/src -I%s/common -I%s/build/svn_version -c $< -o $@\n' \
        "$o" "$dir/$s" "$dir" "$dir" "$dir" "$dir"
    done
    echo "all:$all"
  } >"$work/Makefile"
  cp "$dir"/libopenmpt/libopenmpt.h "$dir"/libopenmpt/libopenmpt_config.h "$dir"/libopenmpt/libopenmpt_version.h \
    "$dir"/libopenmpt/libopenmpt.hpp "$deps/include/libopenmpt/"
  nice -n 10 make -s -C "$work" -j"$jobs" all
  emar rcs "$deps/lib/libopenmpt.a" "$work"/*.o
}

# vel.kod and the test soundtracks come from the native content tool: the same bytes on every platform.
native_content() {
  [ -f build/vel.kod ] && [ -f build/test-content/fast/Data/sfx/trancen.xm ] && return 0
  if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  nice -n 10 cmake --build build -j"$jobs" --target content >/dev/null
}

build_program() {
  emcmake cmake -S . -B "$site/cmake" -DCMAKE_BUILD_TYPE=Release -DTAV_WEB_DEPS="$deps" >/dev/null
  nice -n 10 cmake --build "$site/cmake" -j"$jobs" --target tav
  cp "$site/cmake/tav.js" "$site/cmake/tav.wasm" "$site/"
  # The page, with the version the CMake project gives it, and the licences page it links to.
  cp "$site/cmake/index.html" "$site/"
  python3 scripts/notices.py web "$(tav_version)" "$site/licenses.html"
}

step "packages"; install_packages; step_done packages
step "sources"; fetch_sources "$src" zlib libopenmpt libglu; step_done sources
step "zlib, minizip, glu"; build_zlib; build_glu; step_done "zlib, minizip, glu"
step "libopenmpt"; build_openmpt; step_done libopenmpt
step "native content"; native_content; step_done "native content"
step "content package"; pack_content "$site" vel.kod=build/vel.kod; step_done "content package"
step "tav.wasm"; build_program; step_done "tav.wasm"

wasm=$(stat -c %s "$site/tav.wasm")
total=0
for f in index.html tav.js tav.wasm content.js content.data; do
  total=$((total + $(gzip -9 -c "$site/$f" | wc -c)))
done
echo "tav.wasm: $wasm bytes; download gzipped (index.html tav.js tav.wasm content.*): $total bytes" >&2

if [ $serve -eq 1 ]; then
  echo "serving build-web/ on http://127.0.0.1:$port/" >&2
  exec python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port"
fi
