#!/usr/bin/env bash
# `make run`: converts the bundled sample pictures with png2ico, showing its
# progress, into a folder of the build tree.
set -euo pipefail
build=${1:-build}
samples="$build/samples"
out="$build/run-output/icons"
rm -rf "$out"
"$build/png2ico/png2ico" -s 16 32bpp -s 32 32bpp -s 48 32bpp -s 64 32bpp -s 72 32bpp -s 96 32bpp -s 128 32bpp \
  -i "$samples/pictures" -o "$out" -noconfirm
echo
echo "Icons written to $out:"
find "$out" -name '*.ico' | sort
