#!/usr/bin/env bash
# The Windows check: our icons drawn by a real Windows client (Wine) with
# the Windows icon calls, compared with what each icon's own bytes say.
#   tests/windows/windows-check.sh <build folder>
# Inputs, made anew each run: png2ico's output over a generated picture set
# at every depth and size, the icons the window's BMP run writes from
# generated BMPs, and the icons the executable page saves from the sample
# executables. Works without a display and without standard input: Wine runs
# on its null display driver in a prefix kept under the build folder.
set -euo pipefail
build=$(realpath "${1:?usage: windows-check.sh <build folder>}")
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3   # Debian's, which has python3-pil
start=$(date +%s)

top=$build/windows-check
work=$top/run
prefix=$top/wineprefix
viewer=$top/viewer.exe
mkdir -p "$top"

# The viewer: a static Windows program, so Wine needs no DLLs of the compiler.
if [ ! -e "$viewer" ] || [ "$here/viewer.c" -nt "$viewer" ]; then
  x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -static -o "$viewer" "$here/viewer.c" -luser32 -lgdi32 -lshell32
fi

export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko installers: nothing here needs them, and they would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# Qt's offscreen platform wants a private runtime folder; CI has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR=$top/runtime
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
fi
# The prefix is made once (about half a minute); the null driver needs no
# display and drew the same pixels as the X11 driver on Xvfb when tried.
if [ ! -e "$prefix/.trevalo-ready" ]; then
  rm -rf "$prefix"
  echo "Making a Wine prefix in $prefix (once)"
  if ! wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >"$top/wineprefix.log" 2>&1; then
    cat "$top/wineprefix.log"
    exit 1
  fi
  wineserver -w
  touch "$prefix/.trevalo-ready"
fi

rm -rf "$work"
mkdir -p "$work/icons/png" "$work/icons/bmp" "$work/exe" "$work/results"
"$python" "$here/make_pictures.py" "$work/pictures/png" "$work/pictures/bmp"

# png2ico: every size at each depth in one file, and 256 alone in a file of
# its own (Wine's LoadImageW cannot pick 256 out of several sizes).
sizes=(16 32 48 64 72 96 128 256)
for depth in 4 8 16 24 32; do
  args=()
  for s in "${sizes[@]}"; do args+=(-s "$s" "${depth}bpp"); done
  "$build/png2ico/png2ico" "${args[@]}" -i "$work/pictures/png" -o "$work/icons/png/all-$depth" -noconfirm -silent
  "$build/png2ico/png2ico" -s 256 "${depth}bpp" -i "$work/pictures/png" -o "$work/icons/png/one-256-$depth" \
    -noconfirm -silent
done

# The window's BMP run and the executable page's batch run.
"$build/tests/windows/trevalo_icon_runs" bmp "$work/pictures/bmp" "$work/icons/bmp" >/dev/null
"$build/exewriter/trevalo_make_sample_exes" "$work/exe"
"$build/tests/windows/trevalo_icon_runs" write-exes "$work/exe"
"$build/tests/windows/trevalo_icon_runs" exe "$work/exe" >/dev/null

"$python" "$here/icon_check.py" plan "$work"
to_windows() { echo "Z:${1//\//\\}"; }
# A viewer that dies or hangs leaves loads without a drawing, which the
# comparison reports one by one.
timeout 600 wine "$viewer" "$(to_windows "$work/jobs.txt")" "$(to_windows "$work/results")" </dev/null ||
  echo "The viewer ended with status $?"
wineserver -k 2>/dev/null || true

status=0
"$python" "$here/icon_check.py" compare "$work" || status=$?
echo "windows-check took $(( $(date +%s) - start )) s"
exit $status
