#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Seed inputs for the fuzz targets: small valid files of each kind (written here, by ImageMagick, by zip and
# by Python's zipfile) and the smaller files of the content set in BUILD. Usage: make_seeds.sh BUILD OUT
set -euo pipefail
build=$1
out=$2
rm -rf "$out"
mkdir -p "$out"/{targa,bitmap,raw,archive,sound}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
py=/usr/bin/python3

# Targa and bitmap files written byte by byte: 24 and 32 bits, a width that needs row padding.
"$py" - "$out" <<'PY'
import struct, sys
out = sys.argv[1]
def tga(w, h, depth):
    header = bytes([0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0]) + struct.pack('<HHBB', w, h, depth, 8 if depth == 32 else 0)
    return header + bytes((i * 7) & 255 for i in range(w * h * depth // 8))
def bmp(w, h, bits, compression=0):
    stride = (w * bits // 8 + 3) & ~3
    pixels = bytes((i * 5) & 255 for i in range(stride * h))
    masks = struct.pack('<III', 0xFF0000, 0xFF00, 0xFF) if compression == 3 else b''
    offset = 54 + len(masks)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, bits, compression, len(pixels), 2835, 2835, 0, 0)
    return b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + masks + pixels
for name, data in [('tga24_2x1', tga(2, 1, 24)), ('tga32_4x4', tga(4, 4, 32)), ('tga24_5x3', tga(5, 3, 24))]:
    open(f'{out}/targa/{name}.tga', 'wb').write(data)
for name, data in [('bmp24_4x2', bmp(4, 2, 24)), ('bmp24_5x3', bmp(5, 3, 24)), ('bmp32_3x3', bmp(3, 3, 32)),
                   ('bmp32_fields', bmp(2, 2, 32, 3))]:
    open(f'{out}/bitmap/{name}.bmp', 'wb').write(data)
# Raw: width, height (16 bits each), a format choice, then the pixels.
for w, h, choice, n in [(2, 2, 4, 12), (3, 1, 6, 12), (4, 4, 0, 16), (1, 1, 3, 2)]:
    open(f'{out}/raw/raw_{w}x{h}_{choice}', 'wb').write(struct.pack('<hhB', w, h, choice) + bytes(range(n)))
# A short stereo WAV and a mono 8-bit one for the stream loader.
import wave
for name, channels, width, rate in [('stereo16', 2, 2, 44100), ('mono8', 1, 1, 11025)]:
    with wave.open(f'{out}/sound/{name}.wav', 'wb') as w:
        w.setnchannels(channels); w.setsampwidth(width); w.setframerate(rate)
        w.writeframes(bytes((i * 13) & 255 for i in range(400 * channels * width)))
PY

# ImageMagick's own uncompressed files.
convert -size 6x4 gradient:red-blue -depth 8 -compress none "$out/targa/magick24.tga"
convert -size 5x5 gradient:red-blue -alpha set -channel A -evaluate set 50% -depth 8 -compress none \
  "$out/targa/magick32.tga"
convert -size 7x3 gradient:green-yellow -depth 8 -type TrueColor "BMP3:$out/bitmap/magick24.bmp"
convert -size 4x4 gradient:green-yellow -alpha set -depth 8 "BMP:$out/bitmap/magick32.bmp"

# The content set's small pictures, and its short test soundtrack.
if [ -f "$build/vel.kod" ]; then
  unzip -q -o "$build/vel.kod" "Data/gfx/particle.tga" "data/gfx/brodic.tga" -d "$scratch/content" || true
  for f in "$scratch"/content/*/gfx/*.tga; do [ -f "$f" ] && cp "$f" "$out/targa/content_$(basename "$f")"; done
fi
for xm in "$build"/test-content/*/Data/sfx/trancen.xm; do
  [ -f "$xm" ] && cp "$xm" "$out/sound/$(basename "$(dirname "$(dirname "$(dirname "$xm")")")").xm"
done

# Archives holding small pictures under the name the target asks for, made by zip (stored and deflated)
# and by Python's zipfile.
mkdir -p "$scratch/tree/Data/gfx"
cp "$out/targa/tga24_5x3.tga" "$scratch/tree/Data/gfx/box_0.tga"
cp "$out/bitmap/bmp24_4x2.bmp" "$scratch/tree/Data/gfx/other.bmp"
(cd "$scratch/tree" && zip -q -X -0 "$out/archive/stored.kod" Data/gfx/box_0.tga Data/gfx/other.bmp &&
  zip -q -X -9 "$out/archive/deflated.kod" Data/gfx/box_0.tga Data/gfx/other.bmp &&
  zip -q -X -9 "$out/archive/other_first.kod" Data/gfx/other.bmp Data/gfx/box_0.tga)
"$py" - "$out" "$scratch/tree/Data/gfx/box_0.tga" <<'PY'
import sys, zipfile
out, picture = sys.argv[1], open(sys.argv[2], 'rb').read()
with zipfile.ZipFile(f'{out}/archive/python.kod', 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('DATA/GFX/BOX_0.TGA', picture)
    z.writestr('empty', b'')
PY
echo "seeds: $(find "$out" -type f | wc -l) files in $out"
