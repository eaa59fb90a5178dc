#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, when it is missing.
set -euo pipefail
source "$(dirname "$0")/common.sh"
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
for p in g++ cmake googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools \
         wine wine64 wine32:i386 xvfb x11-utils imagemagick fonts-ipafont-gothic; do
  have "$p" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0
echo "Installing: ${need[*]}"
as_root dpkg --add-architecture i386
as_root apt-get update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
