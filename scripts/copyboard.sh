#!/usr/bin/env bash
# A simulated copyboard for the Wine prefix $WINEPREFIX.
#
#   plug [image-folder]  connect the board: two drives (unit 0 and unit 1) whose
#                        root folder "ZVM" holds images (those of image-folder,
#                        else what the board held before, else drawn demo scans),
#                        and the device entries the board's driver leaves in
#                        HKLM\SYSTEM\MountedDevices on Windows 7 to 10
#   unplug               pull it out: the drives' folders go away, so the drives
#                        are no longer ready; the letters stay registered, as on
#                        Windows
#   pull, insert         only the media go out and come back (the letters and
#                        device entries stay from the last plug; insert falls
#                        back to plug when the wineserver lost them): quick,
#                        for the soak's hundreds of cycles
#   status               what is connected and what the registry says
#   links                only make the board's drive letters (board not plugged
#                        in); run before a wineserver starts, so that plug and
#                        unplug never have to restart it
#
# ZV_BOARD_LETTERS="e f" chooses the drive letters of unit 0 and unit 1.
#
# How Wine is bridged (see docs/copyboard.md): a drive is a symlink in
# $WINEPREFIX/dosdevices; the mount manager fills MountedDevices from those
# symlinks when the wineserver starts and forgets other values when it ends.
# So the symlinks are made before a persistent wineserver (-p) starts, and
# the board's values are written into that running wineserver. The symlinks
# stay after unplug; only their target folders move away.
set -euo pipefail
# shellcheck source=scripts/common.sh
source "$(dirname "$0")/common.sh"
WINESERVER=${ZV_WINE%/*}/wineserver

read -r letter0 letter1 <<<"${ZV_BOARD_LETTERS:-e f}"
letter0=${letter0,,}
letter1=${letter1,,}
board=$WINEPREFIX/zv-copyboard  # unit0/, unit1/ while connected; pulled/unitN while not
mounted_key='HKLM\SYSTEM\MountedDevices'

die() { echo "copyboard: $*" >&2; exit 1; }
letter_of() { if [ "$1" = 0 ]; then echo "$letter0"; else echo "$letter1"; fi; }
winepath_of() { echo "Z:${1//\//\\}"; }

# What Windows 7 to 10 record for the board's volumes.
device_path() { echo "_??_USBSTOR#Disk&Ven_ZAMO&Prod_Q-7&Rev_1.00#000000000000&$1#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}"; }
volume_name() { echo "\\??\\Volume{5a4d4f51-3700-11ef-8000-00000000000$1}"; }
utf16_hex() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//'; }

need_prefix() {
  [ -d "$WINEPREFIX/dosdevices" ] || die "no Wine prefix at $WINEPREFIX (make one with: scripts/wine-env.sh prefix)"
  if [ -z "$letter0" ] || [ -z "$letter1" ] || [ "$letter0" = "$letter1" ]; then
    die "ZV_BOARD_LETTERS needs two different letters"
  fi
  case "$letter0$letter1" in *[!d-y]*) die "board letters must lie between D and Y" ;; esac
}

# The wineserver of this prefix runs when a wineserver process works in the
# prefix's server folder (server-<device>-<inode>, see wineserver(1)).
server_running() {
  local id pid
  id=$(stat -L -c '%d %i' "$WINEPREFIX" | awk '{printf "server-%x-%x", $1, $2}')
  for pid in /proc/[0-9]*; do
    case "$(readlink "$pid/cwd" 2>/dev/null)" in
      */"$id") grep -qa wineserver "$pid/cmdline" 2>/dev/null && return 0 ;;
    esac
  done
  return 1
}

# The two drive symlinks. A symlink made while the wineserver runs is only
# seen after it restarts, so that restart happens here, once per prefix.
ensure_links() {
  local made=0 u link target
  for u in 0 1; do
    link=$WINEPREFIX/dosdevices/$(letter_of $u):
    target=$board/unit$u
    if [ -L "$link" ] || [ -e "$link" ]; then
      [ "$(readlink "$link")" = "$target" ] || die "drive $(letter_of $u): is already used: $link -> $(readlink "$link")"
    else
      ln -s "$target" "$link"
      made=1
    fi
  done
  if [ $made = 1 ] && server_running; then
    echo "copyboard: new drive letters; restarting the wineserver of $WINEPREFIX (its programs end)"
    "$WINESERVER" -k || true
    "$WINESERVER" -w || true
  fi
}

start_server() {
  server_running || "$WINESERVER" -p </dev/null >/dev/null 2>&1
}

wine_quiet() { "$ZV_WINE" "$@" </dev/null 2>/dev/null; }

# The MountedDevices data of a value as text, or nothing.
mounted_value() {
  wine_quiet reg query "$mounted_key" /v "$1" | tr -d '\r' |
    awk -v name="$1" 'index($0, name) && $2 == "REG_BINARY" { print $3 }' | xxd -r -p | iconv -f UTF-16LE -t UTF-8 2>/dev/null |
    tr -d '\0' || true
}

write_entries() {
  local reg=$board/mounted-devices.reg u letter
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\MountedDevices]\r\n'
    for u in 0 1; do
      letter=$(letter_of $u)
      printf '"\\\\DosDevices\\\\%s:"=hex:%s\r\n' "${letter^^}" "$(utf16_hex "$(device_path $u)")"
      printf '"%s"=hex:%s\r\n' "$(volume_name $u | sed 's/\\/\\\\/g')" "$(utf16_hex "$(device_path $u)")"
    done
  } >"$reg"
  wine_quiet regedit /S "$(winepath_of "$reg")" >/dev/null
}

# The mount manager starts with the first process of a new wineserver and
# writes its own values for the drives; the board's are written after it.
wait_for_mount_manager() {
  local _
  for _ in $(seq 40); do
    [ -n "$(mounted_value "\\DosDevices\\${letter0^^}:")" ] && return 0
    sleep 0.25
  done
}

make_demo_scans() {  # make_demo_scans <folder>: four board scans drawn with ImageMagick
  command -v convert >/dev/null || die "no ImageMagick: give a folder of images to plug"
  local out=$1 n name
  n=0
  for name in 20240501_093000.png 20240501_094512.png 20240501_101530.jpg 20240502_140000.bmp; do
    n=$((n + 1))
    convert -size 640x400 xc:white \
      -stroke '#1f4e9c' -strokewidth 6 -fill none -draw "rectangle 10,10 629,389" \
      -stroke '#d02020' -strokewidth 4 -draw "polyline 60,$((300 - n * 30)) 200,$((120 + n * 20)) 340,260 560,$((90 + n * 25))" \
      -stroke none -fill '#202020' -font DejaVu-Sans -pointsize 28 -annotate +60+360 "Copyboard scan $n" \
      "$out/$name"
  done
}

is_image() { case "${1,,}" in *.png | *.tif | *.tiff | *.bmp | *.jpg | *.jpeg) return 0 ;; *) return 1 ;; esac; }

fill_board() {  # fill_board <image folder or empty>
  local src=$1 u zvm f demo
  if [ -z "$src" ]; then
    # The board keeps what it holds; an empty board gets the demo scans.
    [ -n "$(find "$board/unit0/ZVM" "$board/unit1/ZVM" -maxdepth 1 -type f 2>/dev/null)" ] && return 0
    demo=$board/demo
    rm -rf "$demo" && mkdir -p "$demo"
    make_demo_scans "$demo"
    src=$demo
  fi
  for u in 0 1; do
    zvm=$board/unit$u/ZVM
    find "$zvm" -maxdepth 1 -type f -delete
    for f in "$src"/*; do
      [ -f "$f" ] && is_image "$f" && cp -p "$f" "$zvm/"
    done
  done
  return 0
}

plug() {
  local src=${1:-} u
  if [ -n "$src" ]; then
    [ -d "$src" ] || die "no such folder: $src"
    src=$(cd "$src" && pwd)
  fi
  need_prefix
  mkdir -p "$board"
  ensure_links
  for u in 0 1; do
    if [ ! -d "$board/unit$u" ] && [ -d "$board/pulled/unit$u" ]; then mv "$board/pulled/unit$u" "$board/unit$u"; fi
    mkdir -p "$board/unit$u/ZVM"
  done
  fill_board "$src"
  start_server
  wait_for_mount_manager
  write_entries
  local letter
  for u in 0 1; do
    letter=$(letter_of $u)
    [ "$(mounted_value "\\DosDevices\\${letter^^}:")" = "$(device_path $u)" ] ||
      die "the device entry of unit $u did not stay in MountedDevices"
  done
  status
}

unplug() {
  need_prefix
  ensure_links
  move_media out
  status
}

move_media() {  # move_media out|in
  local u
  need_prefix
  mkdir -p "$board/pulled"
  for u in 0 1; do
    if [ "$1" = out ] && [ -d "$board/unit$u" ]; then
      rm -rf "$board/pulled/unit$u"
      mv "$board/unit$u" "$board/pulled/unit$u"
    elif [ "$1" = in ] && [ ! -d "$board/unit$u" ] && [ -d "$board/pulled/unit$u" ]; then
      mv "$board/pulled/unit$u" "$board/unit$u"
    fi
  done
}

insert() {
  if [ "$(mounted_value "\\DosDevices\\${letter0^^}:")" = "$(device_path 0)" ] && [ -d "$board/pulled/unit1" ]; then
    move_media in
  else
    plug >/dev/null
  fi
}

status() {
  local u letter state count data
  need_prefix
  for u in 0 1; do
    letter=$(letter_of $u)
    if [ -d "$board/unit$u" ]; then
      count=$(find "$board/unit$u/ZVM" -maxdepth 1 -type f 2>/dev/null | wc -l)
      state="connected, ZVM holds $count files"
    elif [ -d "$board/pulled/unit$u" ]; then
      state="pulled out"
    else
      state="never plugged in"
    fi
    [ -L "$WINEPREFIX/dosdevices/$letter:" ] || state="$state, no drive symlink"
    echo "unit $u: ${letter^^}: $state"
  done
  if ! server_running; then
    echo "wineserver: not running (device entries live only while a persistent wineserver runs; plug writes them)"
    return 0
  fi
  for u in 0 1; do
    letter=$(letter_of $u)
    data=$(mounted_value "\\DosDevices\\${letter^^}:")
    if [ "$data" = "$(device_path $u)" ]; then
      echo "MountedDevices \\DosDevices\\${letter^^}: = the board's unit $u"
    elif [ -n "$data" ]; then
      echo "MountedDevices \\DosDevices\\${letter^^}: = $data (not the board's)"
    else
      echo "MountedDevices \\DosDevices\\${letter^^}: missing"
    fi
  done
}

links() {
  need_prefix
  mkdir -p "$board"
  ensure_links
}

case "${1:-}" in
  plug) shift; plug "$@" ;;
  links) links ;;
  unplug) unplug ;;
  pull) move_media out ;;
  insert) insert ;;
  status) status ;;
  *) echo "usage: $0 plug [image-folder] | unplug | pull | insert | status | links" >&2; exit 2 ;;
esac
