#!/usr/bin/env bash
# A PDF printer for the Wine tests: a cupsd of this build root's own (its own
# configuration, socket and spool, nothing of the system's CUPS) with one
# queue on the cups-pdf backend, which writes every job as a PDF file into
# the folder "pdf" beside them. They live under /tmp, not in the build tree:
# CUPS runs its filters as the user "lp", which must reach the spool, and a
# checkout under /root would shut it out.
#
#   start   start the cupsd (when cups and cups-pdf are installed and it does
#           not run yet) and make its queue the default printer
#   stop    end it
#   env     print the variables that point a program at it (CUPS_SERVER)
#
# Wine lists the printers of the cupsd that CUPS_SERVER names when the first
# program of a wineserver session loads winspool: start this before the
# wineserver. cups-pdf reads its settings from /etc/cups/cups-pdf-<queue>.conf
# for a device URI cups-pdf:/<queue>; the queue name carries a hash of the
# build root, so two build roots never share one.
set -euo pipefail
source "$(dirname "$0")/common.sh"
hash=$(printf '%s' "$ZV_BUILD" | md5sum | cut -c1-8)
dir=/tmp/zv-cups-$(id -u)-$hash
queue=zvpdf$hash
conf=/etc/cups/cups-pdf-$queue.conf
socket=$dir/cups.sock

available() { [ -x /usr/sbin/cupsd ] && [ -e /usr/lib/cups/backend/cups-pdf ] && [ -f /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd ]; }
running() { [ -f "$dir/cupsd.pid" ] && kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null; }

start() {
  if ! available; then
    echo "printer.sh: cups or printer-driver-cups-pdf is missing (scripts/deps.sh installs them); no printer" >&2
    return 0
  fi
  running && return 0
  mkdir -p "$dir"/{etc,spool,cache,state,log,tmp,pdf,pdf-spool}
  chmod 1777 "$dir/tmp"
  rm -f "$socket"
  cat > "$dir/etc/cupsd.conf" <<CONF
Listen $socket
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat > "$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
SystemGroup root
CONF
  # Label 0: the file is named after the job's title alone (plus "-job_N").
  printf 'Out %s\nAnonDirName %s\nSpool %s\nLog %s\nLabel 0\nGrp root\n' \
    "$dir/pdf" "$dir/pdf" "$dir/pdf-spool" "$dir/log" | as_root tee "$conf" >/dev/null
  # -f: in the foreground of a background job, so that its pid is known
  # (sudo passes the signal of stop on).
  local sudo=()
  [ "$(id -u)" = 0 ] || sudo=(sudo)
  "${sudo[@]}" /usr/sbin/cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" </dev/null >/dev/null 2>&1 &
  echo $! > "$dir/cupsd.pid"
  for _ in $(seq 100); do [ -S "$socket" ] && CUPS_SERVER=$socket lpstat -r >/dev/null 2>&1 && break; sleep 0.1; done
  export CUPS_SERVER=$socket
  lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>/dev/null
  lpadmin -d "$queue"
  for _ in $(seq 50); do lpstat -p "$queue" >/dev/null 2>&1 && break; sleep 0.1; done
  lpstat -p "$queue" >/dev/null
}

stop() {
  if running; then
    kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
    for _ in $(seq 50); do running || break; sleep 0.1; done
  fi
  rm -f "$dir/cupsd.pid"
  as_root rm -f "$conf" 2>/dev/null || true
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  env) running && [ -S "$socket" ] && echo "CUPS_SERVER=$socket ZV_PRINT_DIR=$dir/pdf" ;;
  *) echo "usage: $0 start|stop|env" >&2; exit 2 ;;
esac
