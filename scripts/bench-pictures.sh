# The benchmarks' pictures (sourced, not run): 40 distinct pictures, 10 per
# format, 1.0 to 12.0 megapixels: a grey gradient with mild noise
# (photo-like, so PNG and LZW do not shrink it to nothing), as PNG,
# quality-85 JPEG, LZW TIFF and 24-bit BMP, p0 the smallest, p9 the largest.
# Made once into $1 (a minute or two).
bench_picture_sizes="1152x864 1600x1200 2048x1536 2560x1920 2816x2112 3072x2304 3264x2448 3456x2592 3648x2736 4000x3000"
make_bench_pictures() {  # folder
  local src=$1 i=0 s
  [ -f "$src/.done" ] && return 0
  rm -rf "$src" && mkdir -p "$src"
  for s in $bench_picture_sizes; do
    convert -size "$s" gradient:white-gray60 -attenuate 0.15 +noise Gaussian -depth 8 "$src/p$i.png"
    convert "$src/p$i.png" -quality 85 "$src/p$i.jpg"
    convert "$src/p$i.png" -compress lzw "$src/p$i.tif"
    convert "$src/p$i.png" bmp3:"$src/p$i.bmp"
    i=$((i + 1))
  done
  touch "$src/.done"
}
# A folder of `count` names made once: hard links to the pictures of $1 in
# turn (each name is its own directory entry; the page cache holds each
# picture once).
make_bench_folder() {  # pictures folder count
  local src=$1 folder=$2 count=$3 n p
  [ -d "$folder" ] && return 0
  mkdir -p "$folder.tmp"
  mapfile -t pictures < <(ls "$src"/p*.*)
  for n in $(seq 0 $((count - 1))); do
    p=${pictures[$((n % ${#pictures[@]}))]}
    ln "$p" "$folder.tmp/IMG_$(printf '%05d' "$n").${p##*.}"
  done
  mv "$folder.tmp" "$folder"
}
