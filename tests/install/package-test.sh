#!/usr/bin/env bash
# Installs the Debian package the way a user would and takes it out again:
# with apt-get into a clean Debian 12 made by debootstrap when that is
# possible (root, and Debian's mirror reachable), else with dpkg into a
# scratch root beside this system's own libraries. Either way png2ico must
# convert a picture when called from PATH, the window must start, and
# removing the package must leave none of its files.
#   Usage: package-test.sh <folder holding trevalo_*.deb>
#   PACKAGE_TEST_ROOT=scratch skips the clean system.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"
folder=$(cd "$1" && pwd)
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
work=$folder/package-test
cache=$folder/package-test-cache  # downloaded packages, kept between runs

debs=("$folder"/trevalo_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one trevalo_*.deb in $folder"
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# Debian's own checks: neither errors nor warnings (the remarks of lower
# levels are shown).
checks=$folder/package-checks
rm -rf "$checks"
mkdir -p "$checks"
lintian --fail-on error,warning --display-info "$deb" >"$checks/lintian.log" 2>"$checks/lintian.err" ||
  { cat "$checks/lintian.log" "$checks/lintian.err"; fail "lintian"; }
[ ! -s "$checks/lintian.log" ] && echo "lintian: clean" || { echo "lintian remarks:"; cat "$checks/lintian.log"; }

# The metainfo as packaged, with the validator's network checks.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/metainfo/org.example.trevalo.metainfo.xml >"$checks/metainfo.xml"
appstreamcli validate --strict "$checks/metainfo.xml" || fail "appstreamcli validate (with network checks)"

# Packaged again from the same build: the same bytes.
cp "$deb" "$checks/first.deb"
(cd "$folder" && cpack >"$checks/cpack-again.log" 2>&1) || { cat "$checks/cpack-again.log"; fail "cpack again"; }
cmp "$checks/first.deb" "$deb" || fail "a second packaging gave other bytes"
echo "packaged twice: the same $(stat -c %s "$deb") bytes"

# What the package says of itself: its dependencies come from the libraries
# the programs link, and libimagequant, which they open when needed.
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || fail "qt6-wayland is not recommended"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libimagequant0; do
  grep -q "\b$library\b" <<<"$depends" || fail "no dependency on $library"
done
dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '/$' | sed 's|^\./||' | sort >"$folder/package-files.txt"
for file in usr/bin/trevalo usr/bin/png2ico usr/share/applications/org.example.trevalo.desktop \
  usr/share/metainfo/org.example.trevalo.metainfo.xml usr/share/man/man1/png2ico.1.gz \
  usr/share/doc/trevalo/copyright usr/share/doc/trevalo/changelog.gz; do
  grep -qx "$file" "$folder/package-files.txt" || fail "package lacks $file"
done
grep -qE '^usr/lib/([a-z0-9_-]+/)?trevalo/readers/libtrevalo-picturereader\.so$' "$folder/package-files.txt" ||
  fail "package lacks the general reader's library"

cleanup() {
  local mount
  for mount in proc var/cache/apt/archives; do
    if [ -n "${root:-}" ] && mountpoint -q "$root/$mount"; then umount "$root/$mount"; fi
  done
}
trap cleanup EXIT

make_chroot() {
  root=$work/debian12
  mkdir -p "$cache"
  echo "making a clean Debian 12 in $root"
  debootstrap --variant=minbase --cache-dir="$cache" bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1
}

# In the clean system: apt-get resolves the dependencies from the mirror.
test_in_chroot() {
  mount -t proc proc "$root/proc"
  # A throw-away system: dpkg need not sync every file, and the packages
  # apt fetches are kept for the next run.
  echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/unsafe-io"
  mkdir -p "$cache/apt/partial"
  mount --bind "$cache/apt" "$root/var/cache/apt/archives"
  in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
  cp "$deb" "$root/tmp/"
  echo "clean Debian 12 made after $(($(date +%s) - start)) s"
  in_root apt-get update -qq
  in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./tmp/$(basename "$deb")" \
    >"$work/apt-install.log" 2>&1 || { cat "$work/apt-install.log"; fail "apt-get install"; }
  echo "package installed after $(($(date +%s) - start)) s"
  [ "$(in_root sh -c 'command -v png2ico')" = /usr/bin/png2ico ] || fail "png2ico is not on PATH"
  [ "$(in_root trevalo --version)" = "Trevalo V1.00 (1.0.0)" ] || fail "trevalo --version without a display"
  [ -f "$root/usr/share/qt6/translations/qtbase_zh_CN.qm" ] || fail "Qt's Chinese texts were not installed"
  mkdir -p "$root/tmp/pictures"
  make_png "$root/tmp/pictures/photo.png"
  # The 8-bit image needs the quantiser, which png2ico opens at run time and
  # which only the package's dependencies bring into this system.
  in_root sh -c 'cd /tmp && LD_DEBUG=files png2ico -s 16 32bpp -s 32 8bpp -i pictures -o icons -noconfirm' \
    >"$work/png2ico.log" 2>"$work/png2ico.loads"
  [ "$(icon_sizes "$root/tmp/icons/photo.ico")" = "16 32" ] || fail "png2ico from PATH wrote no icon"
  grep -q 'file=libimagequant\.so\.0 .*dynamically loaded' "$work/png2ico.loads" ||
    fail "png2ico did not load libimagequant for an 8-bit image"
  local status=0
  in_root env QT_QPA_PLATFORM=offscreen timeout 5 trevalo >"$work/trevalo.log" 2>&1 || status=$?
  [ "$status" -eq 124 ] || { cat "$work/trevalo.log"; fail "trevalo did not keep running ($status)"; }
  in_root dpkg -L trevalo >"$work/owned.txt"
  in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq trevalo >"$work/apt-purge.log" 2>&1 ||
    { cat "$work/apt-purge.log"; fail "apt-get purge"; }
  ! in_root dpkg -s trevalo >/dev/null 2>&1 || fail "trevalo still installed"
  check_removed "$root" "$work/owned.txt"
  echo "installed with apt-get into a clean Debian 12, used and purged"
}

# Beside this system: dpkg unpacks into a scratch root; the libraries are
# this system's own, so only the programs and their files are checked.
test_in_scratch_root() {
  root=$work/scratch
  local dpkg=(dpkg "--root=$root" --force-depends --force-not-root)
  [ "$(id -u)" -eq 0 ] || dpkg=(fakeroot "${dpkg[@]}")
  mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
  touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
  "${dpkg[@]}" -i "$deb" >"$work/dpkg-install.log" 2>&1 || { cat "$work/dpkg-install.log"; fail "dpkg -i"; }
  mkdir -p "$work/pictures"
  make_png "$work/pictures/photo.png"
  [ "$(PATH=$root/usr/bin:$PATH command -v png2ico)" = "$root/usr/bin/png2ico" ] || fail "png2ico not on PATH"
  (cd "$work" && PATH=$root/usr/bin:$PATH png2ico -s 16 32bpp -s 32 8bpp -i pictures -o icons -noconfirm) \
    >"$work/png2ico.log"
  [ "$(icon_sizes "$work/icons/photo.ico")" = "16 32" ] || fail "png2ico from PATH wrote no icon"
  local status=0
  (cd "$work" && QT_QPA_PLATFORM=offscreen timeout 5 "$root/usr/bin/trevalo" >"$work/trevalo.log" 2>&1) ||
    status=$?
  [ "$status" -eq 124 ] || { cat "$work/trevalo.log"; fail "trevalo did not keep running ($status)"; }
  "${dpkg[@]}" -L trevalo >"$work/owned.txt"
  "${dpkg[@]}" -P trevalo >"$work/dpkg-purge.log" 2>&1 || { cat "$work/dpkg-purge.log"; fail "dpkg -P"; }
  check_removed "$root" "$work/owned.txt"
  echo "installed with dpkg into a scratch root, used and purged"
}

# None of the files the package owned is left (folders shared with other
# packages may stay).
check_removed() {
  local left=0
  while read -r path; do
    [ -d "$1$path" ] && continue
    if [ -e "$1$path" ] || [ -L "$1$path" ]; then echo "left behind: $path" >&2; left=1; fi
  done <"$2"
  [ "$left" -eq 0 ] || fail "files left after removal"
}

# A run that was stopped may have left its mounts: never delete through them.
findmnt -rn -o TARGET | { grep "^$work/" || true; } | sort -r | xargs -r -n 1 umount
rm -rf --one-file-system "$work"
mkdir -p "$work"
start=$(date +%s)
if [ "${PACKAGE_TEST_ROOT:-}" != scratch ] && [ "$(id -u)" -eq 0 ] && command -v debootstrap >/dev/null &&
  make_chroot; then
  test_in_chroot
else
  [ -f "$work/debootstrap.log" ] && { echo "no clean Debian 12 (debootstrap failed):"; tail -n 3 "$work/debootstrap.log"; }
  cleanup
  test_in_scratch_root
fi
echo "package test passed in $(($(date +%s) - start)) s"
cleanup
rm -rf --one-file-system "$work"
