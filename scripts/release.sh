#!/usr/bin/env bash
# One release into build/dist/, named with the program's version:
#   ZViewer-<version>.msi   the installer package (per user, no administrator rights)
#   ZViewer-<version>.zip   the same program and help file, to unpack and run
#   ZVHelp.chm              the help file
# from the 32-bit Release build of ZViewer.exe; the help file's pictures are
# taken afresh from the program under Xvfb.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/deps.sh"
source "$here/common.sh"
jobs=$(nproc)
tree=$ZV_BUILD/win32
cmake -S "$ZV_ROOT" -B "$tree" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$ZV_ROOT/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$tree" -j"$jobs" --target ZViewer setup_actions help_shots
if [ "$ZV_ARCH" = win64 ]; then  # this host runs the 64-bit build under Wine: its pictures come from that one
  cmake -S "$ZV_ROOT" -B "$ZV_BUILD/win64" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ZV_ROOT/cmake/mingw-x86_64.cmake" >/dev/null
  cmake --build "$ZV_BUILD/win64" -j"$jobs" --target ZViewer help_shots
fi
help=$(bash "$here/make-help.sh" --fresh | tail -1)

version=$(python3 "$here/exe-version.py" get "$tree/ZViewer.exe")
dist=$ZV_BUILD/dist
rm -rf "$dist" && mkdir -p "$dist"
bash "$here/make-msi.sh" "$tree/ZViewer.exe" "$help" "$tree/package/setup_actions.dll" "$dist/ZViewer-$version.msi"
cp "$help" "$dist/ZVHelp.chm"
portable=$(mktemp -d)
trap 'rm -rf "$portable"' EXIT
mkdir "$portable/ZAMO Image Viewer"
cp "$tree/ZViewer.exe" "$help" "$portable/ZAMO Image Viewer/"
(cd "$portable" && zip -qr "$dist/ZViewer-$version.zip" "ZAMO Image Viewer")
ls -l "$dist"
