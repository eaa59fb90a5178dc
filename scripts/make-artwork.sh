#!/usr/bin/env bash
# Draws the program's artwork with ImageMagick: the program icon (a small
# copyboard: white sheet, blue frame, pen strokes) and the start picture.
# The results are committed under res/; run this again after changing it.
set -euo pipefail
cd "$(dirname "$0")/../res"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

board() {  # board <size> <out.png>: the copyboard drawn at one icon size
  local s=$1 f=$(( $1 / 16 + 1 ))
  convert -size "${s}x${s}" xc:none \
    -fill '#1f4e9c' -draw "roundrectangle 0,$((s/8)) $((s-1)),$((s*7/8)) $f,$f" \
    -fill white -draw "rectangle $f,$((s/8+f)) $((s-1-f)),$((s*7/8-f))" \
    -stroke '#d02020' -strokewidth $(( s/16 > 0 ? s/16 : 1 )) -fill none \
    -draw "polyline $((s/5)),$((s*5/8)) $((s*2/5)),$((s*3/8)) $((s*3/5)),$((s*9/16)) $((s*4/5)),$((s*5/16))" \
    -stroke '#202020' -strokewidth 1 -draw "line $((s/5)),$((s*11/16)) $((s*4/5)),$((s*11/16))" \
    -stroke none -fill '#808080' -draw "rectangle $((s/3)),$((s*7/8)) $((s*2/3)),$((s-1))" \
    "$2"
}
# 16, 32 and 48 at 100 %; 24 and 64 for the small and large icon at 150 % and 200 %.
for s in 16 24 32 48 64; do board "$s" "$tmp/icon$s.png"; done
convert "$tmp/icon16.png" "$tmp/icon24.png" "$tmp/icon32.png" "$tmp/icon48.png" "$tmp/icon64.png" zviewer.ico

# Start picture, 400 x 240, 24-bit BMP for the splash dialog.
board 160 "$tmp/big.png"
convert -size 400x240 gradient:'#f4f7fc'-'#c9d6ee' \
  "$tmp/big.png" -geometry +20+40 -composite \
  -font DejaVu-Sans-Bold -pointsize 26 -fill '#1f4e9c' -annotate +190+105 'ZAMO' \
  -font DejaVu-Sans -pointsize 22 -fill '#1f4e9c' -annotate +190+135 'Image Viewer' \
  -pointsize 13 -fill '#404040' -annotate +190+162 'Version 2.1' \
  -pointsize 11 -fill '#606060' -annotate +190+215 'ZAMO Kivon software' \
  -stroke '#1f4e9c' -strokewidth 2 -fill none -draw 'rectangle 1,1 398,238' \
  -type TrueColor BMP3:splash.bmp

# Tray icons: the board greyed out while it is not connected (176), and the
# board with a green plug badge while it is connected (177). The tray shows a
# small icon: 16 pixels at 100 %, 24 at 150 %, 32 at 200 %.
tray() {  # tray <size> <out.png> <on|off>
  local s=$1 r=$(( $1 * 5 / 16 ))
  board "$s" "$2"
  if [ "$3" = off ]; then
    convert "$2" -colorspace Gray -channel A -evaluate multiply 0.8 +channel "$2"
  else
    convert "$2" -stroke white -strokewidth 1 -fill '#1fa83a' \
      -draw "circle $((s - r)),$((s - r)) $((s - r)),$((s - 1))" "$2"
  fi
}
for state in off on; do
  for s in 16 24 32; do tray "$s" "$tmp/tray-$state$s.png" "$state"; done
  convert "$tmp/tray-${state}16.png" "$tmp/tray-${state}24.png" "$tmp/tray-${state}32.png" "tray_$state.ico"
done
