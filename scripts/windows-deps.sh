#!/usr/bin/env bash
# Installs what `make windows-check` needs beyond `make deps`: Debian's Wine
# (a Windows client to draw our icons) and the mingw-w64 cross compiler (to
# build the viewer it runs), only those that are missing. Quiet when
# everything is already there.
set -euo pipefail

packages=(
  # the Windows client: wine64 runs 64-bit programs, wine brings the launcher
  wine wine64
  # the viewer, built as a static Windows program
  g++-mingw-w64-x86-64
  # a display for Wine's window driver, and the reader of what it draws
  xvfb xauth python3
)

exec bash "$(dirname "$0")/install-packages.sh" "${packages[@]}"
