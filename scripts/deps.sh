#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Quiet when everything is already there.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  # libraries
  qt6-base-dev libimagequant-dev libgtest-dev googletest
  # our PNG decoder (inflate and checksums: ISA-L); the tests' PNG encoder
  # (libdeflate), zlib and libspng as independent references for its tests,
  # fuzz target and benchmark
  libisal-dev libdeflate-dev zlib1g-dev libspng-dev
  # fonts for the Chinese window texts
  fonts-wqy-microhei
  # independent readers, peers for the benchmark, a display for screenshots
  icoutils imagemagick python3 python3-pil xvfb xauth xdotool time
  # Qt's own Chinese texts for its standard buttons and dialogs
  qt6-translations-l10n
  # install and package checks: validators, CPack's shlibdeps, a scratch system
  desktop-file-utils appstream dpkg-dev fakeroot debootstrap man-db groff-base bsdextrautils file lintian
  # the window's accessibility tree as a screen reader sees it
  at-spi2-core python3-pyatspi dbus
  # uninitialised reads, which AddressSanitizer does not see
  valgrind
)

exec bash "$(dirname "$0")/install-packages.sh" "${packages[@]}"
