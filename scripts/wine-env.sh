#!/usr/bin/env bash
# The Wine side of the rig.
#   prefix  make the Wine prefix (Japanese locale, Japanese fonts) if missing
#   start   start Xvfb (tests always get their own display) and a persistent wineserver
#   stop    end both
#   exec    run a Windows program: exec [--cp1252] <program.exe> [arguments]
set -euo pipefail
source "$(dirname "$0")/common.sh"
state=$ZV_BUILD/wine
mkdir -p "$state" "$XDG_DATA_HOME"
# One per build root, so that one rig's cleanup never unlocks another's.
readonly_dir=/tmp/zv-readonly-$(id -u)-$(printf '%s' "$ZV_BUILD" | md5sum | cut -c1-8)

locale_env() {  # code page 932 by default, 1252 on request
  if [ "${1:-932}" = 1252 ]; then echo "LANG=C.UTF-8 LC_ALL=C.UTF-8"; else echo "LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8"; fi
}

make_prefix() {
  [ -f "$WINEPREFIX/.zv-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  env $(locale_env) "$ZV_WINE" wineboot --init >/dev/null 2>&1 || true
  "${ZV_WINE%/*}/wineserver" -w
  # The application font "ＭＳ ゴシック" and the dialog fonts map to IPAGothic.
  local reg=$state/fonts.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for f in 'ＭＳ ゴシック' 'ＭＳ Ｐゴシック' 'MS Gothic' 'MS PGothic' 'MS UI Gothic' 'MS Shell Dlg' 'MS Shell Dlg 2' 'Tahoma'; do
      printf '"%s"="IPAGothic"\r\n' "$f"
    done
  } | iconv -f UTF-8 -t UTF-16 > "$reg"
  env $(locale_env) "$ZV_WINE" regedit /S "$(winepath_of "$reg")" >/dev/null 2>&1
  "${ZV_WINE%/*}/wineserver" -w
  touch "$WINEPREFIX/.zv-ready"
}

# CUPS_SERVER and ZV_PRINT_DIR while the rig's printer runs (printer.sh).
printer_env() { bash "$(dirname "$0")/printer.sh" env || true; }

winepath_of() { echo "Z:${1//\//\\}"; }

start() {
  make_prefix
  if [ ! -f "$state/display" ] || ! kill -0 "$(cat "$state/xvfb.pid" 2>/dev/null)" 2>/dev/null; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! > "$state/xvfb.pid"
    echo ":$n" > "$state/display"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  # The simulated board's drive letters exist before the wineserver starts,
  # so tests can plug and unplug it while the server runs.
  bash "$(dirname "$0")/copyboard.sh" links >/dev/null
  # The PDF printer runs before the wineserver: the session's first program
  # that loads winspool (every one that loads comdlg32) lists the printers.
  bash "$(dirname "$0")/printer.sh" start
  # (an already running persistent server, e.g. from copyboard.sh plug, is fine)
  "${ZV_WINE%/*}/wineserver" -p </dev/null >/dev/null 2>&1 || true
  # The first program of a wineserver session starts Wine's services
  # (services.exe, winedevice, rpcss...), which inherit its output and live as
  # long as the wineserver. Start them here, detached, or CTest would wait for
  # the output of the first test to end until the wineserver does.
  env $(printer_env) "$ZV_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
  # A folder that even root cannot write into, for the "folder writable"
  # tests (chmod does not stop root; the immutable attribute does).
  mkdir -p "$readonly_dir" && chattr +i "$readonly_dir" 2>/dev/null || true
}

stop() {
  bash "$(dirname "$0")/printer.sh" stop
  chattr -i "$readonly_dir" 2>/dev/null || true
  "${ZV_WINE%/*}/wineserver" -k 2>/dev/null || true
  if [ -f "$state/xvfb.pid" ]; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; rm -f "$state/xvfb.pid" "$state/display"; fi
}

run_exe() {
  local cp=932
  if [ "${1:-}" = --cp1252 ]; then cp=1252; shift; fi
  local display=${DISPLAY:-}
  [ -f "$state/display" ] && display=$(cat "$state/display")
  env $(locale_env $cp) $(printer_env) DISPLAY="$display" ZV_SOURCE_DIR="$(winepath_of "$ZV_ROOT")" \
    ZV_READONLY_DIR="$(winepath_of "$readonly_dir")" "$ZV_WINE" "$@"
}

case "${1:-}" in
  prefix) make_prefix ;;
  start) start ;;
  stop) stop ;;
  exec) shift; run_exe "$@" ;;
  *) echo "usage: $0 prefix|start|stop|exec [--cp1252] program.exe [args]" >&2; exit 2 ;;
esac
