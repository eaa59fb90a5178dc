#!/usr/bin/env bash
# The packages of the installer test (CTest fixture "package"):
#   make_test_packages.sh TREE OUT
# OUT/ZViewer.msi from TREE's ZViewer.exe and setup_actions.dll, and
# OUT/ZViewer-newer.msi from a copy of the same program whose version
# resource says one build higher. The help file is compiled first
# (scripts/make-help.sh; quick when its pictures exist).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tree=$1
out=$2
help=$(bash "$root/scripts/make-help.sh" | tail -1)
mkdir -p "$out"
bash "$root/scripts/make-msi.sh" "$tree/ZViewer.exe" "$help" "$tree/package/setup_actions.dll" "$out/ZViewer.msi"
IFS=. read -r major minor build revision <<<"$(python3 "$root/scripts/exe-version.py" get "$tree/ZViewer.exe")"
cp "$tree/ZViewer.exe" "$out/ZViewer-newer.exe"
python3 "$root/scripts/exe-version.py" set "$out/ZViewer-newer.exe" "$major.$minor.$((build + 1)).$revision"
bash "$root/scripts/make-msi.sh" "$out/ZViewer-newer.exe" "$help" "$tree/package/setup_actions.dll" "$out/ZViewer-newer.msi"
