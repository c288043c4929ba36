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

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
