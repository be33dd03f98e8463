#!/usr/bin/env bash
# Installs the Debian packages tav needs to build, run and test; does nothing when all are present.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  zlib1g-dev libminizip-dev libopenmpt-dev libsndfile1-dev libpng-dev
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev
  libgtest-dev libbenchmark-dev
  clang-14 libclang-rt-14-dev valgrind
  xvfb xfonts-base xdotool x11-apps x11-utils python3-xlib zip imagemagick openmpt123 xmp
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
