#!/usr/bin/env bash
# Compiles the help file "ZVHelp.chm" from the pages in help/ with chmcmd
# (fp-utils) into $ZV_BUILD/help/ZVHelp.chm.
#
# Its pictures are taken from the real program: help_shots.exe (built with
# the Wine tests, tests/wine/help_shots.cpp) runs ZViewer.exe on the
# simulated board inside a Wine virtual desktop under Xvfb, in a Wine prefix
# and display of their own ($ZV_BUILD/help/rig), so that a running test rig
# is never disturbed. They are taken when missing, or again with --fresh
# (scripts/release.sh does that).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
out=$ZV_BUILD/help
shots=$out/shots
fresh=0
[ "${1:-}" = --fresh ] && fresh=1

take_shots() {
  local rig=$out/rig exe=$ZV_WINE_TREE/ZViewer.exe tool=$ZV_WINE_TREE/tests/wine/help_shots.exe
  [ -f "$exe" ] && [ -f "$tool" ] || { echo "make-help: build $exe and $tool first (scripts/build.sh)" >&2; exit 1; }
  rm -rf "$shots" && mkdir -p "$shots"
  rig_env=(env -u WINEPREFIX -u XDG_DATA_HOME ZV_BUILD="$rig")
  trap '"${rig_env[@]}" bash "$here/wine-env.sh" stop' EXIT
  "${rig_env[@]}" bash "$here/wine-env.sh" start
  "${rig_env[@]}" bash "$here/copyboard.sh" plug >/dev/null
  "${rig_env[@]}" ZV_EXE="Z:${exe//\//\\}" ZV_SHOT_DIR="Z:${shots//\//\\}" \
    timeout 300 bash "$here/wine-env.sh" exec explorer /desktop=Shots,1024x768 "Z:${tool//\//\\}" >/dev/null 2>&1 || true
  "${rig_env[@]}" bash "$here/wine-env.sh" stop
  trap - EXIT
  local name
  for name in shot_main shot_picture shot_setup; do
    [ -f "$shots/$name.bmp" ] || { echo "make-help: the program's picture $name was not taken" >&2; exit 1; }
    convert "$shots/$name.bmp" "$shots/$name.png"
    rm "$shots/$name.bmp"
  done
}

if [ $fresh = 1 ] || [ ! -f "$shots/shot_main.png" ] || [ ! -f "$shots/shot_picture.png" ] ||
   [ ! -f "$shots/shot_setup.png" ]; then
  take_shots
fi

# The pages stay UTF-8 (each says so); the project and the table of contents
# are read in the help file's ANSI code page, 932.
stage=$out/stage
rm -rf "$stage" && mkdir -p "$stage"
cp "$ZV_ROOT"/help/*.html "$ZV_ROOT"/help/*.css "$shots"/*.png "$stage/"
for f in ZVHelp.hhp toc.hhc; do iconv -f UTF-8 -t CP932 "$ZV_ROOT/help/$f" > "$stage/$f"; done
(cd "$stage" && chmcmd ZVHelp.hhp >"$out/chmcmd.log" 2>&1) || { cat "$out/chmcmd.log" >&2; exit 1; }
mv "$stage/ZVHelp.chm" "$out/ZVHelp.chm"
echo "$out/ZVHelp.chm"
