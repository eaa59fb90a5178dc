#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, when it is missing.
set -euo pipefail
source "$(dirname "$0")/common.sh"
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
for p in g++ cmake googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools \
         wine wine64 wine32:i386 xvfb x11-utils imagemagick python3 e2fsprogs fonts-ipafont-gothic \
         cups printer-driver-cups-pdf poppler-utils wixl msitools fp-utils zip; do
  have "$p" || need+=("$p")
done
have locales || need+=(locales)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  as_root dpkg --add-architecture i386
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" >/dev/null
fi
# Wine takes file names through the Unix locale: without ja_JP.UTF-8 it
# refuses every non-ASCII name under the Japanese test locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  as_root sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
