#!/usr/bin/env bash
# Makes the image zoo of the image library's tests: real files of every kind
# the program meets, written by ImageMagick (and a few by hand where it writes
# no such file), and a manifest with what each file is.
#   make-image-zoo.sh <output folder>
# manifest.txt, one file a line: name width height bits expectation, where
# width and height are as identify reports them, bits is the file's bit
# depth (checked against identify's PNG properties), and expectation is
#   load     the header probe accepts it and the full load works
#   reject   the header probe turns it away: the decoder cannot read it
#   damaged  the PNG check turns it away (the headers themselves are readable)
#   noload   the header probe reads it, but the load fails cleanly (too large to hold)
#   wicgap   the header probe lists it (Microsoft documents that the Windows decoder
#            reads it), but WIC here, Wine 8's, does not: its decoder or its format
#            converter fails, so no 32-bit picture or thumbnail is made of it
set -euo pipefail
out=${1:?usage: make-image-zoo.sh <output folder>}
mkdir -p "$out"
script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
if [ -f "$out/manifest.txt" ] && [ "$out/manifest.txt" -nt "$script" ]; then
  echo "image zoo: up to date in $out"
  exit 0
fi
cd "$out"
rm -f manifest.txt.new

# The picture: 97 x 61 (odd sizes catch row padding mistakes), smooth colour
# ramps with a pattern, and white lines through the middle.
python3 - <<'PY'
import struct, zlib
w, h = 97, 61
def px(x, y):
    if x == 48 or y == 30:
        return (255, 255, 255)
    return (x * 255 // (w - 1), y * 255 // (h - 1), (x * 7 + y * 13) % 256)
raw = b''.join(b'\0' + b''.join(bytes(px(x, y)) for x in range(w)) for y in range(h))
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
open('base.png', 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0)) +
                             chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
PY

entry() {  # name bits expectation
  local size
  size=$(identify -format '%w %h' "$1[0]")
  case $1 in
    *.bmp)  # the bit count field of the information header
      local field
      field=$(python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(); print(struct.unpack_from('<H', d, 24 if struct.unpack_from('<I', d, 14)[0] == 12 else 28)[0])" "$1")
      [ "$field" = "$2" ] || { echo "$1: the file has $field bits, the zoo says $2" >&2; exit 1; } ;;
    *.tif)  # identify's bits per sample times its channels (palette files: one index)
      local depth channels n
      read -r channels depth < <(identify -format '%[channels] %z\n' "$1[0]")
      case $channels in gray) n=1 ;; graya) n=2 ;; srgb) n=3 ;; srgba|cmyk) n=4 ;; cmyka) n=5 ;; *) n=0 ;; esac
      [ "$(identify -format '%[tiff:photometric]' "$1[0]")" = palette ] && n=1
      [ $((n * depth)) = "$2" ] || { echo "$1: identify says $channels x $depth bits, the zoo says $2" >&2; exit 1; } ;;
  esac
  echo "$1 $size $2 $3" >> manifest.txt.new
}

png() {  # name colour-type bit-depth expectation [convert options...]
  local name=$1 type=$2 depth=$3 expect=$4
  shift 4
  convert base.png "$@" -define png:color-type="$type" -define png:bit-depth="$depth" "$name"
  local got
  got=$(identify -format '%[png:IHDR.color-type-orig] %[png:IHDR.bit-depth-orig]' "$name")
  [ "$got" = "$type $depth" ] || { echo "$name: identify says colour type/depth $got, wanted $type $depth" >&2; exit 1; }
  local channels
  case $type in 0|3) channels=1 ;; 4) channels=2 ;; 2) channels=3 ;; 6) channels=4 ;; esac
  entry "$name" $((channels * depth)) "$expect"
}
png png_grey1.png 0 1 load -colorspace gray
png png_grey2.png 0 2 load -colorspace gray
png png_grey4.png 0 4 load -colorspace gray
png png_grey8.png 0 8 load -colorspace gray
png png_grey16.png 0 16 load -colorspace gray
png png_greyalpha8.png 4 8 load -colorspace gray -alpha set -channel A -evaluate set 60% +channel
png png_palette8.png 3 8 load -colors 200
png png_palette4.png 3 4 load -colors 16
png png_rgb24.png 2 8 load
png png_rgba32.png 6 8 load -alpha set -channel A -evaluate set 70% +channel
png png_rgb48.png 2 16 load -depth 16
png png_rgba64.png 6 16 load -depth 16 -alpha set -channel A -evaluate set 70% +channel
png png_interlaced.png 2 8 load -interlace PNG

bmp() {  # name bits expectation [convert options...] output-file
  local name=$1 bits=$2 expect=$3
  shift 3
  convert base.png "$@"
  entry "$name" "$bits" "$expect"
}
bmp bmp_1.bmp 1 load -type palette -colors 2 bmp3:bmp_1.bmp
bmp bmp_4.bmp 4 load -type palette -colors 16 -compress none bmp3:bmp_4.bmp
bmp bmp_8.bmp 8 load -type palette -colors 200 -compress none bmp3:bmp_8.bmp
bmp bmp_rle8.bmp 8 load -type palette -colors 200 -compress rle bmp3:bmp_rle8.bmp
bmp bmp_16.bmp 16 load -define bmp:subtype=RGB565 bmp:bmp_16.bmp
bmp bmp_24.bmp 24 load -type truecolor bmp3:bmp_24.bmp
bmp bmp_32.bmp 32 load -alpha set -channel A -evaluate set 80% +channel bmp:bmp_32.bmp
bmp bmp_os2.bmp 24 load -type truecolor bmp2:bmp_os2.bmp

# The BMP kinds ImageMagick does not write: RLE4, top-down, OS/2 2.x
# (64-byte header), made from its 4-bit and 24-bit files.
python3 - <<'PY'
import struct
def rows_of(data, off, stride, h):
    return [bytes(data[off + i * stride: off + (i + 1) * stride]) for i in range(h)]

d = open('bmp_4.bmp', 'rb').read()
off = struct.unpack_from('<I', d, 10)[0]
w, h = struct.unpack_from('<ii', d, 18)
stride = ((w * 4 + 31) // 32) * 4
pixels = []
for row in rows_of(d, off, stride, h):
    pixels.append([(row[x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(w)])
# RLE4: runs of up to 254 pixels of one index pair (encoded mode), rows end with 0 0.
enc = bytearray()
for px in pixels:
    x = 0
    while x < w:
        n = 1
        while x + n < w and n < 254 and px[x + n] == px[x]:
            n += 1
        enc += bytes([n, (px[x] << 4) | px[x]])
        x += n
    enc += b'\x00\x00'
enc += b'\x00\x01'
header = bytearray(d[:off])
struct.pack_into('<I', header, 30, 2)            # biCompression = BI_RLE4
struct.pack_into('<I', header, 34, len(enc))     # biSizeImage
struct.pack_into('<I', header, 2, len(header) + len(enc))
open('bmp_rle4.bmp', 'wb').write(bytes(header) + bytes(enc))

d = bytearray(open('bmp_24.bmp', 'rb').read())
off = struct.unpack_from('<I', d, 10)[0]
w, h = struct.unpack_from('<ii', d, 18)
stride = (w * 3 + 3) & ~3
rows = rows_of(d, off, stride, h)
d[off:off + h * stride] = b''.join(reversed(rows))
struct.pack_into('<i', d, 22, -h)
open('bmp_topdown.bmp', 'wb').write(bytes(d))

# OS/2 2.x: BITMAPINFOHEADER2 of 64 bytes, no compression.
info = struct.pack('<IiiHHIIiiII', 64, w, h, 1, 24, 0, h * stride, 2835, 2835, 0, 0) + bytes(24)
pix = b''.join(rows)
fh = struct.pack('<2sIHHI', b'BM', 14 + 64 + len(pix), 0, 0, 14 + 64)
open('bmp_os2v2.bmp', 'wb').write(fh + info + pix)
PY
entry bmp_rle4.bmp 4 load
entry bmp_topdown.bmp 24 load
entry bmp_os2v2.bmp 24 load

jpeg() {  # name bits expectation [convert options...]
  local name=$1 bits=$2 expect=$3
  shift 3
  convert base.png "$@" "$name"
  entry "$name" "$bits" "$expect"
}
jpeg jpeg_baseline.jpg 24 load -quality 85
jpeg jpeg_progressive.jpg 24 load -interlace JPEG
jpeg jpeg_grey.jpg 8 load -colorspace gray
jpeg jpeg_cmyk.jpg 32 load -colorspace cmyk
# A comment and a 20 kB Exif-like APP1 block before the frame header.
head -c 20000 /dev/zero | tr '\0' 'x' > app1.bin
jpeg jpeg_segments.jpg 24 load -set comment "$(printf 'zoo %.0s' $(seq 200))" -profile APP1:app1.bin 2>/dev/null ||
  jpeg jpeg_segments.jpg 24 load -set comment "$(printf 'zoo %.0s' $(seq 200))"
rm -f app1.bin

tiff() {  # name bits expectation [convert options...]
  local name=$1 bits=$2 expect=$3
  shift 3
  convert "$@" "$name"
  entry "$name" "$bits" "$expect"
}
tiff tiff_none.tif 24 load base.png -depth 8 -compress none
tiff tiff_lzw.tif 24 load base.png -depth 8 -compress lzw
tiff tiff_deflate.tif 24 load base.png -depth 8 -compress zip
tiff tiff_packbits.tif 24 load base.png -depth 8 -compress rle
tiff tiff_g3.tif 1 load base.png -type bilevel -compress fax
tiff tiff_g4.tif 1 load base.png -type bilevel -compress group4
tiff tiff_tiled.tif 24 load base.png -depth 8 -compress lzw -define tiff:tile-geometry=32x32
tiff tiff_bigendian.tif 24 load base.png -depth 8 -endian msb -compress lzw
tiff tiff_multipage.tif 24 load base.png -depth 8 \( base.png -flop \) -compress lzw
tiff tiff_rgb48.tif 48 load base.png -depth 16 -compress lzw
tiff tiff_grey8.tif 8 load base.png -colorspace gray -depth 8
tiff tiff_palette8.tif 8 load base.png -type palette -colors 200 -depth 8
tiff tiff_cmyk.tif 32 load base.png -colorspace cmyk -depth 8
tiff tiff_rgba.tif 32 load base.png -depth 8 -alpha set -channel A -evaluate set 50% +channel
tiff tiff_cmyk64.tif 64 load base.png -colorspace cmyk -depth 16
# Layouts Microsoft documents for the Windows decoder that Wine's WIC does not read.
tiff tiff_planar.tif 24 wicgap base.png -depth 8 -interlace plane -compress lzw
tiff tiff_greyfloat.tif 32 wicgap base.png -colorspace gray -depth 32 -define quantum:format=floating-point -define tiff:predictor=1
tiff tiff_rgbafloat.tif 128 wicgap base.png -alpha set -channel A -evaluate set 50% +channel -depth 32 \
  -define quantum:format=floating-point -define tiff:predictor=1
tiff tiff_cmyka.tif 40 wicgap base.png -colorspace cmyk -alpha set -channel A -evaluate set 50% +channel -depth 8
# What the Windows decoder is not documented to read: the probe turns these away.
tiff tiff_jpeg.tif 24 reject base.png -depth 8 -compress jpeg
tiff tiff_lzma.tif 24 reject base.png -depth 8 -compress lzma
tiff tiff_zstd.tif 24 reject base.png -depth 8 -compress zstd
tiff tiff_float.tif 96 reject base.png -depth 32 -define quantum:format=floating-point
tiff tiff_grey2.tif 2 reject base.png -colorspace gray -depth 2

# 16-bit grey in both byte orders, one strip, uncompressed. Each sample's
# high byte rises from left to right and its low byte falls, so a decoder
# that swaps the bytes shows the picture bright where it is dark.
python3 - <<'PY'
import struct
w, h = 97, 61
def sample(x, y):
    hi = x * 255 // (w - 1)
    return hi << 8 | (255 - hi)
for name, order in (('tiff_grey16.tif', '<'), ('tiff_grey16_be.tif', '>')):
    data = b''.join(struct.pack(order + 'H', sample(x, y)) for y in range(h) for x in range(w))
    tags = [(256, 3, w), (257, 3, h), (258, 3, 16), (259, 3, 1), (262, 3, 1), (273, 4, 8),
            (277, 3, 1), (278, 3, h), (279, 4, len(data)), (284, 3, 1)]
    ifd = struct.pack(order + 'H', len(tags))
    for tag, kind, value in tags:
        field = struct.pack(order + 'H', value) + b'\0\0' if kind == 3 else struct.pack(order + 'I', value)
        ifd += struct.pack(order + 'HHI', tag, kind, 1) + field
    ifd += struct.pack(order + 'I', 0)
    head = (b'II' if order == '<' else b'MM') + struct.pack(order + 'HI', 42, 8 + len(data))
    open(name, 'wb').write(head + data + ifd)
PY
entry tiff_grey16.tif 16 load
entry tiff_grey16_be.tif 16 load

# Pictures of the display-bitmap tests: the fit rule, the orientation codes
# (4 x 2, every pixel its own colour: red = 40 * x + 1, green = 100 * y + 1),
# and a whiteboard scan with one-pixel strokes.
convert -size 100x50 xc:'#3080c0' PNG24:fit_100x50.png
convert -size 1600x1200 xc:'#c08030' PNG24:fit_1600x1200.png
convert -size 1600x1200 xc:'#c08030' bmp3:fit_1600x1200.bmp
python3 - <<'PY'
import struct, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
def write_png(name, w, h, pixel):
    raw = b''.join(b'\0' + b''.join(bytes(pixel(x, y)) for x in range(w)) for y in range(h))
    ihdr = struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0)
    open(name, 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
write_png('orient_4x2.png', 4, 2, lambda x, y: (40 * x + 1, 100 * y + 1, 7))
def board(x, y):
    ink = y == 601 or x == 803 or (y == 300 and 200 <= x < 1400)
    return (0, 0, 0) if ink else (255, 255, 255)
write_png('stroke_1600x1200.png', 1600, 1200, board)
PY
entry fit_100x50.png 24 load
entry fit_1600x1200.png 24 load
entry fit_1600x1200.bmp 24 load
entry orient_4x2.png 24 load
entry stroke_1600x1200.png 24 load

# Damage and extremes.
python3 - <<'PY'
import struct, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
good = open('png_rgb24.png', 'rb').read()
open('png_badcrc.png', 'wb').write(good[:-5] + bytes([good[-5] ^ 1]) + good[-4:])   # IEND's CRC
open('png_trailing.png', 'wb').write(good + b'\0\0')
# 60000 x 60000 with well-formed chunks: the probe reads it, nobody may decode it.
sig = b'\x89PNG\r\n\x1a\n'
ihdr = struct.pack('>IIBBBBB', 60000, 60000, 8, 2, 0, 0, 0)
idat = zlib.compress(b'\0' * 1000)
open('png_huge.png', 'wb').write(sig + chunk(b'IHDR', ihdr) + chunk(b'IDAT', idat) + chunk(b'IEND', b''))
# A JPEG that claims 65000 x 65000 and then ends.
jpeg = open('jpeg_baseline.jpg', 'rb').read()
i = 2
while True:
    m = jpeg[i + 1]; n = struct.unpack('>H', jpeg[i + 2:i + 4])[0]
    if m == 0xC0:
        break
    i += 2 + n
open('jpeg_huge.jpg', 'wb').write(jpeg[:i + 5] + struct.pack('>HH', 65000, 65000) + jpeg[i + 9:i + 2 + n] + b'\xff\xd9')
PY
echo "png_badcrc.png 97 61 24 damaged" >> manifest.txt.new
echo "png_trailing.png 97 61 24 damaged" >> manifest.txt.new
echo "png_huge.png 60000 60000 24 noload" >> manifest.txt.new
echo "jpeg_huge.jpg 65000 65000 24 noload" >> manifest.txt.new
mv manifest.txt.new manifest.txt
echo "image zoo: $(wc -l < manifest.txt) files in $out"
