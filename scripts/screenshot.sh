#!/usr/bin/env bash
# Starts the window under a virtual X display and saves one picture per tab
# page, three of keyboard focus and two of hover feedback, into
# <build>/screenshots/.
#   Usage: bash scripts/screenshot.sh <build folder>
set -euo pipefail

# Inside the virtual display (the script calls itself through xvfb-run).
shoot() {
  local program=$1 out=$2 start_dir=$3
  cd "$start_dir"
  QT_QPA_PLATFORM=xcb "$program" &
  local pid=$!
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  local win
  win=$(xdotool search --sync --onlyvisible --name '^Trevalo$' | head -n 1)
  sleep 1
  # Keyboard focus as it starts (on the start button), moved back onto the
  # banner, then onto the source folder list and the fifth size box.
  # Without a window manager a click on the bare surface makes the window
  # the one that takes the keys.
  xdotool mousemove --window "$win" 250 378 click 1
  xdotool key shift+Tab
  sleep 0.3
  import -window "$win" "$out/focus-banner.png"
  xdotool key Tab Tab Tab
  sleep 0.3
  import -window "$win" "$out/focus-list.png"
  xdotool key Tab Tab Tab Tab Tab Tab Tab Tab Tab
  sleep 0.3
  import -window "$win" "$out/focus-size-box.png"
  # Tab label centres, in pixels of the window: page 1, page 2, page 0.
  local -A tab_x=([1]=52 [2]=126 [0]=452)
  for page in 1 2 0; do
    xdotool mousemove --window "$win" "${tab_x[$page]}" 57 click 1
    xdotool mousemove --window "$win" 250 378   # the bare surface: tab colours reset
    sleep 0.5
    import -window "$win" "$out/page-$page.png"
  done
  # Page 2 again, the pointer over the executable list: the two-line hint.
  xdotool mousemove --window "$win" "${tab_x[2]}" 57 click 1
  xdotool mousemove --window "$win" 250 200 mousemove --window "$win" 260 210
  sleep 0.5
  import -window "$win" "$out/page-2-hover.png"
  # The pointer over the tab of page 0: its hover colour.
  xdotool mousemove --window "$win" 440 57 mousemove --window "$win" 450 58
  sleep 0.5
  import -window "$win" "$out/tab-hover.png"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  trap - EXIT
}

if [ "${1:-}" = "--inside" ]; then
  shift
  shoot "$@"
  exit 0
fi

build=$(cd "${1:?usage: screenshot.sh <build folder>}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
program="$build/app/trevalo"
out="$build/screenshots"
[ -x "$program" ] || { echo "no program at $program: build first" >&2; exit 1; }
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing $tool (make deps installs it)" >&2; exit 1; }
done
mkdir -p "$out"
# Start where `make run` starts, so that the lists show the samples.
start_dir="$root/samples"
[ -d "$build/samples" ] && start_dir="$build/samples"

xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside "$program" "$out" "$start_dir"
ls "$out"/*.png
