#!/usr/bin/env bash
# Makes the small seed corpus of the image header and PNG check fuzzers
# (committed under core/imagelib/fuzz/corpus; run again only to renew it).
#   make-fuzz-seeds.sh [corpus folder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-$root/core/imagelib/fuzz/corpus}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
convert -size 8x5 gradient:red-blue -depth 8 -alpha off PNG24:base.png
mkdir -p header png
c() { convert base.png "$@"; }
c -colorspace gray -define png:color-type=0 -define png:bit-depth=1 png/grey1.png
c -colors 7 -define png:color-type=3 -define png:bit-depth=4 png/palette4.png
c -depth 16 -alpha set png64:png/rgba64.png
c -interlace PNG png/interlaced.png
c png/rgb24.png
c -type palette -colors 2 bmp3:header/b1.bmp
c -type palette -colors 16 -compress none bmp3:header/b4.bmp
c -type palette -compress rle bmp3:header/rle8.bmp
c bmp2:header/os2.bmp
c -alpha set bmp:header/v5.bmp
c -quality 50 header/base.jpg
c -interlace JPEG header/prog.jpg
c -colorspace cmyk header/cmyk.jpg
c -compress none header/none.tif
c -compress lzw -endian msb header/be.tif
c -type bilevel -compress group4 header/g4.tif
c -define tiff:tile-geometry=16x16 header/tiled.tif
c base.png -compress lzw header/pages.tif
# The bytes libjpeg-class decoders skip before a marker: a stuffed zero and
# junk after the JFIF segment, an Adobe segment whose length ends short.
python3 - <<'PY'
d = open('header/base.jpg', 'rb').read()
app0 = 2 + 2 + (d[4] << 8 | d[5])
open('header/junk.jpg', 'wb').write(d[:app0] + b'\xff\x00junk\xff\xff\x00' +
                                    b'\xff\xee\x00\x07Adobe\x00\x64\x80\x00\x00\x00\x00\x01' + d[app0:])
PY
cp png/*.png header/
rm -rf "$corpus/header" "$corpus/png"
mkdir -p "$corpus"
cp -r header png "$corpus/"
du -sh "$corpus"
