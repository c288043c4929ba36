#!/usr/bin/env bash
# The real window, run as installed (its folder on PATH, so its PNG jobs use
# a private folder in TMPDIR), is ended by SIGINT, SIGTERM and SIGHUP while
# a PNG job runs: the private job folder goes with it every time. Runs under
# a virtual X display; exits 77 (skipped) without one.
#   Usage: job-folder-signals.sh <trevalo program> <work folder>
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  shift
  program=$1 work=$2
  here=$(cd "$(dirname "$0")/../../install" && pwd)
  source "$here/common.sh"
  # A picture large enough that the job is still running when the signal comes.
  convert -size 2000x2000 -seed 1 plasma:fractal "$work/big.png" 2>/dev/null || make_png "$work/big.png"
  for sig in INT TERM HUP; do
    tmp=$work/tmp-$sig start=$work/start-$sig
    mkdir -p "$tmp" "$start"
    cp "$work/big.png" "$start/big.png"
    make_png "$start/small.png"
    # The signal's default action in the window, whatever the shell did to it.
    (cd "$start" && exec env --default-signal=INT,TERM,HUP PATH="$(dirname "$program"):$PATH" TMPDIR="$tmp" \
      QT_QPA_PLATFORM=xcb "$program") >"$work/trevalo-$sig.log" 2>&1 &
    pid=$!
    win=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name '^Trevalo$' | head -n 1) ||
      fail "no window ($sig)"
    # The start button of the picture page (its centre, in window pixels).
    xdotool mousemove --window "$win" 252 108 click 1
    batch=
    for _ in $(seq 200); do
      batch=$(find "$tmp" -path '*/.trevalo-job-*/png2ico.bat' 2>/dev/null | head -n 1)
      [ -n "$batch" ] && break
      sleep 0.05
    done
    [ -n "$batch" ] || { cat "$work/trevalo-$sig.log"; fail "no PNG job started in a private folder ($sig)"; }
    kill -"$sig" "$pid"
    status=0
    timeout 20 tail --pid="$pid" -f /dev/null || fail "the window did not end on SIG$sig"
    wait "$pid" || status=$?
    expected=$((128 + $(kill -l "$sig")))
    [ "$status" -eq "$expected" ] || fail "status $status after SIG$sig, expected $expected"
    left=$(find "$tmp" -mindepth 1 -maxdepth 1 -name '.trevalo-job-*')
    [ -z "$left" ] || { ls -la "$left"; fail "job folder left after SIG$sig: $left"; }
    echo "SIG$sig: the job folder went with the window"
  done
  exit 0
fi

program=${1:?usage: job-folder-signals.sh <trevalo> <work folder>}
work=${2:?usage: job-folder-signals.sh <trevalo> <work folder>}
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "missing $tool: skipped"; exit 77; }
done
rm -rf "$work"
mkdir -p "$work"
timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside "$program" "$work"
