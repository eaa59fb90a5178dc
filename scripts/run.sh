#!/usr/bin/env bash
# Builds the program and opens the browser in a Wine virtual desktop on
# $DISPLAY. Without a display it runs under Xvfb, takes a screenshot after a
# few seconds and says where it is.
set -euo pipefail
here=$(dirname "$0")
bash "$here/deps.sh"
bash "$here/build.sh" >/dev/null
source "$here/common.sh"
bash "$here/wine-env.sh" prefix

program_dir=$WINEPREFIX/drive_c/ZViewer
mkdir -p "$program_dir"
cp "$ZV_WINE_TREE/ZViewer.exe" "$ZV_BUILD/help/ZVHelp.chm" "$program_dir/"
# The simulated copyboard, when its script is there, is plugged in with demo images.
if [ -x "$here/copyboard.sh" ]; then bash "$here/copyboard.sh" plug || true; fi

wine_dir=${ZV_WINE%/*}
if [ -n "${DISPLAY:-}" ]; then
  "$here/wine-env.sh" exec explorer /desktop=ZViewer,1280x1024 'C:\ZViewer\ZViewer.exe'
  exit 0
fi
bash "$here/wine-env.sh" start
display=$(cat "$ZV_BUILD/wine/display")
"$here/wine-env.sh" exec explorer /desktop=ZViewer,1280x1024 'C:\ZViewer\ZViewer.exe' &
sleep "${ZV_SCREENSHOT_DELAY:-8}"
shot=$ZV_BUILD/screenshot.png
DISPLAY=$display import -window root "$shot"
echo "No display: the browser ran under Xvfb ($display); screenshot: $shot"
"$wine_dir/wineserver" -k 2>/dev/null || true
bash "$here/wine-env.sh" stop
