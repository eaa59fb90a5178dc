#!/usr/bin/env bash
# Builds the installer package from package/ZViewer.wxs with wixl (msitools).
#   make-msi.sh PROGRAM.exe HELP.chm SETUP_ACTIONS.dll OUT.msi
# The package's version is the file version of PROGRAM.exe's version resource.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
[ $# = 4 ] || { echo "usage: $0 PROGRAM.exe HELP.chm SETUP_ACTIONS.dll OUT.msi" >&2; exit 2; }
for f in "$1" "$2" "$3"; do [ -f "$f" ] || { echo "make-msi: missing $f" >&2; exit 1; }; done
version=$(python3 "$here/exe-version.py" get "$1")
out=$(realpath -m "$4")
mkdir -p "$(dirname "$out")"
# wixl finds the files relative to the folder it runs in.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$1" "$stage/ZViewer.exe"
cp "$2" "$stage/ZVHelp.chm"
cp "$3" "$stage/setup_actions.dll"
cp "$root/res/zviewer.ico" "$stage/zviewer.ico"
# wixl reports the (plain, not advertised) shortcut as "unimplemented" but
# writes its row completely; that note is left out.
(cd "$stage" && wixl -a x86 -D Version="$version" -D ProgramExe=ZViewer.exe -D HelpFile=ZVHelp.chm \
  -D ActionsDll=setup_actions.dll -D IconFile=zviewer.ico -o "$out" "$root/package/ZViewer.wxs" 2>"$stage/wixl.log") ||
  { cat "$stage/wixl.log" >&2; exit 1; }
grep -v 'unimplemented' "$stage/wixl.log" >&2 || true
echo "$out ($version)"
