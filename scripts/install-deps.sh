#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages that building and running tav need, plus any packages named as arguments
# (scripts/test.sh names what the tests need); does nothing when all are present.
# --list prints the packages it would see to, one a line, and installs nothing.
set -euo pipefail
packages=(
  # building
  build-essential
  cmake
  pkg-config
  file                # cpack tells programs from data with it
  python3             # writes the package's copyright file from the list of third-party components
  libsdl2-dev
  libgl-dev
  libglu1-mesa-dev
  libegl-dev
  zlib1g-dev
  libminizip-dev
  libopenmpt-dev
  libsndfile1-dev
  libpng-dev
  libavcodec-dev
  libavformat-dev
  libswscale-dev
  libswresample-dev
  libavfilter-dev     # the capture's PSNR and SSIM
  libyuv-dev          # the capture's colour conversion
  # running: Mesa's drivers (tav-capture renders with them where there is no GPU) and the X core fonts of
  # SDL's message boxes
  libegl-mesa0
  libgl1-mesa-dri
  xfonts-base
)
list=0
if [ "${1:-}" = "--list" ]; then
  list=1
  shift
fi
packages+=("$@")
if [ "$list" -eq 1 ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}" >&2
. "$(dirname "$0")/lib/debian.sh"
apt_update
apt_install "${missing[@]}"
