#!/usr/bin/env bash
# Draws the main frame's toolbar strips (27 images of 16 x 15 pixels, in the
# order of toolbar 128, and the same drawn again at 150 % and 200 % for
# screens of 144 and 192 DPI: 24 x 23 and 32 x 30), the information dialog's
# picture and the hand cursor of its links, with ImageMagick. The results are
# committed under res/; run this again after changing it.
#
# The strip is an 8-bit palette bitmap on silver (192,192,192): the toolbar
# maps silver to the button face and uses it as the transparent colour, and
# black, grey and white follow the system's button colours.
set -euo pipefail
cd "$(dirname "$0")/../res"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

BG='#c0c0c0'; INK='#000000'; SHADE='#808080'; PAPER='#ffffff'
BLUE='#1f4e9c'; SKY='#6fa8e8'; GREEN='#2e8b3a'; RED='#d02020'; YELLOW='#f0c030'; DARKY='#a07810'

# The scales: percent, then the image size rounded as Windows' MulDiv rounds.
scales="100:16x15 150:24x23 200:32x30"
n=0
icon() {  # icon <draw primitives...>: one image at each scale, drawn without anti-aliasing
  n=$((n + 1))
  local entry percent size factor shift
  for entry in $scales; do
    percent=${entry%%:*}; size=${entry#*:}
    # The drawing is scaled as a whole (strokes too); the shift keeps a
    # one-pixel line on the middle of the pixels it covers at 100 %.
    factor=$(awk "BEGIN { print $percent / 100 }"); shift=$(awk "BEGIN { print ($percent / 100 - 1) / 2 }")
    convert -size "$size" "xc:$BG" +antialias -affine "$factor,0,0,$factor,$shift,$shift" -strokewidth 1 "$@" \
      "$tmp/$percent-$(printf %02d $n).png"
  done
}
# Shapes used by several images, as drawing primitives for one -draw each.
page() { echo "fill '$PAPER' stroke '$INK' polygon $1,$2 $(($1+7)),$2 $(($1+9)),$(($2+2)) $(($1+9)),$(($2+$3)) $1,$(($2+$3))"; }
picture() {
  echo "fill '$SKY' stroke '$INK' rectangle $1,$2 $3,$4" \
    "stroke none fill '$GREEN' polygon $(($1+1)),$(($4-1)) $(($1+3)),$(($4-3)) $(($1+5)),$(($4-2)) $(($3-3)),$(($4-4)) $(($3-1)),$(($4-2)) $(($3-1)),$(($4-1))" \
    "fill '$YELLOW' rectangle $(($3-3)),$(($2+2)) $(($3-2)),$(($2+3))"
}
lens() { echo "fill '$PAPER' stroke '$INK' circle 6,6 6,11 stroke-width 2 line 10,10 14,14 stroke-width 1"; }

# 1 32860 new folder: a folder with a spark
icon -fill "$YELLOW" -stroke "$DARKY" -draw "polygon 1,4 5,4 6,5 13,5 13,13 1,13" -draw "line 1,6 13,6" \
     -stroke "$RED" -draw "line 12,0 12,4" -draw "line 10,2 14,2"
# 2 32861 print: a printer with paper
icon -draw "$(page 4 0 5)" -fill "$SHADE" -stroke "$INK" -draw "rectangle 1,6 14,11" -fill "$PAPER" -draw "rectangle 4,10 11,14" \
     -stroke "$GREEN" -draw "point 12,8"
# 3 32864 save as: a diskette
icon -fill "$BLUE" -stroke "$INK" -draw "polygon 1,1 13,1 14,2 14,14 1,14" -fill "$PAPER" -stroke none -draw "rectangle 4,1 11,6" \
     -fill "$SHADE" -draw "rectangle 4,9 11,14" -fill "$INK" -draw "rectangle 9,2 10,5"
# 4 32881 refresh: two green arrows in a circle
icon -fill none -stroke "$GREEN" -strokewidth 2 -draw "arc 2,2 13,13 200,340" -draw "arc 2,2 13,13 20,160" -strokewidth 1 \
     -fill "$GREEN" -stroke none -draw "polygon 11,0 15,4 10,5" -draw "polygon 4,14 0,10 5,9"
# 5 32866 light thumbnails: four small pictures
icon -draw "$(picture 1 1 6 6)" -draw "$(picture 9 1 14 6)" -draw "$(picture 1 8 6 13)" -draw "$(picture 9 8 14 13)"
# 6 32867 detail thumbnails: pictures with text lines beside
icon -draw "$(picture 1 1 6 6)" -draw "$(picture 1 8 6 13)" -stroke "$INK" -draw "line 8,2 14,2" -draw "line 8,4 12,4" -draw "line 8,9 14,9" -draw "line 8,11 12,11"
# 7 32868 list: rows of small icons and lines
icon -draw "$(for y in 2 6 10; do echo "fill '$SKY' stroke '$INK' rectangle 1,$y 3,$((y+2)) line 6,$((y+1)) 14,$((y+1))"; done)"
# 8 32869 show the selected picture
icon -draw "$(picture 1 1 14 13)"
# 9 32870 back to the list: list lines and a return arrow
icon -stroke "$SHADE" -draw "line 6,2 14,2" -draw "line 6,5 14,5" -draw "line 6,8 14,8" \
     -fill "$BLUE" -stroke none -draw "polygon 0,10 4,6 4,8 9,8 9,12 4,12 4,14"
# 10 32871 previous picture
icon -fill "$BLUE" -stroke "$INK" -draw "polygon 11,2 11,12 4,7" -draw "line 3,2 3,12"
# 11 32872 next picture
icon -fill "$BLUE" -stroke "$INK" -draw "polygon 4,2 4,12 11,7" -draw "line 12,2 12,12"
# 12 32875 zoom in
icon -draw "$(lens)" -stroke "$INK" -draw "line 4,6 8,6" -draw "line 6,4 6,8"
# 13 32876 zoom out
icon -draw "$(lens)" -stroke "$INK" -draw "line 4,6 8,6"
# 14 32873 real size: 1:1
icon -fill "$PAPER" -stroke "$INK" -draw "rectangle 0,1 15,13" -stroke "$BLUE" \
     -draw "line 4,4 4,10" -draw "line 3,5 4,4" -draw "line 11,4 11,10" -draw "line 10,5 11,4" -draw "point 7,5" -draw "point 7,9"
# 15 32874 fit in the window: a picture in a frame with corner marks
icon -draw "$(picture 3 3 12 11)" -stroke "$INK" -draw "line 0,0 2,0" -draw "line 0,0 0,2" -draw "line 13,0 15,0" -draw "line 15,0 15,2" \
     -draw "line 0,14 2,14" -draw "line 0,12 0,14" -draw "line 13,14 15,14" -draw "line 15,12 15,14"
# 16 32886 cut: scissors
icon -stroke "$INK" -draw "line 5,0 9,8" -draw "line 10,0 6,8" -fill none -stroke "$BLUE" -draw "circle 4,11 4,13" -draw "circle 11,11 11,13"
# 17 32887 copy: two pages
icon -draw "$(page 1 1 9)" -draw "$(page 6 5 9)"
# 18 32888 paste: a clipboard with a page
icon -fill "$DARKY" -stroke "$INK" -draw "rectangle 1,2 10,14" -fill "$SHADE" -draw "rectangle 3,1 8,3" -draw "$(page 6 5 9)"
# 19 32889 delete: a red cross
icon -stroke "$RED" -strokewidth 2 -draw "line 3,2 12,12" -draw "line 12,2 3,12"
# 20 32890 copy and move: a page and an arrow
icon -draw "$(page 1 1 11)" -fill "$GREEN" -stroke none -draw "polygon 7,7 11,7 11,4 15,9 11,14 11,11 7,11"
# 21 32891 properties: a page with a check list
icon -draw "$(page 3 0 14)" -stroke "$BLUE" -draw "line 5,4 10,4" -draw "line 5,7 10,7" -draw "line 5,10 10,10"
# 22 32877 turn 90 degrees right
icon -draw "$(picture 1 6 9 14)" -fill none -stroke "$RED" -draw "arc 6,0 14,8 180,360" -draw "line 14,4 14,7" -fill "$RED" -stroke none -draw "polygon 12,4 15,4 14,8"
# 23 32878 turn 90 degrees left
icon -draw "$(picture 6 6 14 14)" -fill none -stroke "$RED" -draw "arc 1,0 9,8 180,360" -fill "$RED" -stroke none -draw "polygon 0,4 3,4 1,8"
# 24 32879 mirror left to right
icon -stroke "$SHADE" -draw "line 7,0 7,14" -fill "$BLUE" -stroke "$INK" -draw "polygon 5,2 5,12 0,12" -fill "$PAPER" -draw "polygon 9,2 9,12 14,12"
# 25 32880 mirror top to bottom
icon -stroke "$SHADE" -draw "line 0,7 15,7" -fill "$BLUE" -stroke "$INK" -draw "polygon 2,5 13,5 13,0" -fill "$PAPER" -draw "polygon 2,9 13,9 13,14"
# 26 32863 open with an application: a window and an arrow
icon -fill "$PAPER" -stroke "$INK" -draw "rectangle 0,1 13,13" -fill "$BLUE" -stroke none -draw "rectangle 1,2 12,3" \
     -fill "$GREEN" -draw "polygon 4,11 9,6 7,6 7,5 11,5 11,9 10,9 10,7 5,12"
# 27 32862 send by mail: an envelope
icon -fill "$PAPER" -stroke "$INK" -draw "rectangle 0,3 15,12" -draw "line 0,3 7,8" -draw "line 15,3 8,8"

[ "$n" -eq 27 ] || { echo "expected 27 images, drew $n" >&2; exit 1; }
convert "$tmp"/100-[0-9][0-9].png +append -type Palette -colors 64 BMP3:toolbar.bmp
convert "$tmp"/150-[0-9][0-9].png +append -type Palette -colors 64 BMP3:toolbar150.bmp
convert "$tmp"/200-[0-9][0-9].png +append -type Palette -colors 64 BMP3:toolbar200.bmp
convert toolbar.bmp -filter point -resize 400% "$tmp/preview.png" && cp "$tmp/preview.png" "${TOOLBAR_PREVIEW:-/dev/null}" 2>/dev/null || true

# The information dialog's picture: the program's board at 64 x 64 on the dialog colour.
s=64; f=5
convert -size ${s}x${s} "xc:#f0f0f0" \
  -fill "$BLUE" -draw "roundrectangle 0,8 63,56 $f,$f" -fill white -draw "rectangle $f,$((8+f)) $((63-f)),$((56-f))" \
  -stroke "$RED" -strokewidth 3 -fill none -draw "polyline 12,40 25,24 38,36 51,20" \
  -stroke '#202020' -strokewidth 1 -draw "line 12,44 51,44" \
  -stroke none -fill "$SHADE" -draw "rectangle 21,56 42,63" -type TrueColor BMP3:info.bmp

# The hand cursor, 32 x 32, hot spot at the fingertip (9, 1). A .cur file is
# an .ico whose type is 2 and whose planes / bit count fields hold the hot spot.
convert -size 32x32 xc:none +antialias -fill white -stroke black -draw \
  "polygon 8,1 10,1 11,2 11,10 13,9 15,10 16,10 18,11 20,11 22,12 23,13 23,21 21,24 21,27 10,27 10,24 4,17 4,15 5,14 7,14 8,15 8,2" \
  -draw "line 14,12 14,16" -draw "line 17,12 17,16" -draw "line 20,13 20,16" "$tmp/hand.png"
convert "$tmp/hand.png" -define icon:auto-resize=32 "$tmp/hand.ico"
python3 - "$tmp/hand.ico" hand.cur <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
struct.pack_into('<H', data, 2, 2)             # resource type: cursor
struct.pack_into('<HH', data, 6 + 4, 9, 1)    # hot spot of the first (only) image
open(sys.argv[2], 'wb').write(data)
PY
