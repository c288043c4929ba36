#!/usr/bin/env bash
# `make run`: starts the window beside the bundled samples (pictures and
# executables drawn at build time). Without a display it says so and shows
# the converter at work on the sample pictures instead.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
samples="$build/samples"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cd "$samples"
  exec "$build/app/trevalo"
fi

echo "No display available: converting the sample pictures with png2ico instead."
out="$build/run-output/icons"
rm -rf "$out"
"$build/png2ico/png2ico" -s 16 32bpp -s 32 32bpp -s 48 32bpp -s 64 32bpp -s 72 32bpp -s 96 32bpp -s 128 32bpp \
  -i "$samples/pictures" -o "$out" -noconfirm
echo
echo "Icons written to $out:"
find "$out" -name '*.ico' | sort
