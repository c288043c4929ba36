#!/usr/bin/env bash
# Installs the build into a staging folder (DESTDIR) as `make install` does
# and checks what a user and a desktop get there: the file list, the desktop
# and AppStream validators, manual pages that format without warnings and
# name every option, icons of their stated sizes, both programs running from
# the staged bin/, and the documented uninstall.
#   Usage: install-test.sh <build folder> <work folder> <library folder, e.g. lib>
set -euo pipefail
build=$(cd "$1" && pwd)
work=$2
libdir=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

prefix=/usr/local
rm -rf "$work"
mkdir -p "$work"
stage=$work/stage
root=$stage$prefix

# The build folder's manifest belongs to a real `make install`: keep it.
manifest=$build/install_manifest.txt
if [ -f "$manifest" ]; then
  cp "$manifest" "$work/saved-manifest.txt"
  trap 'mv "$work/saved-manifest.txt" "$manifest"' EXIT
else
  trap 'rm -f "$manifest"' EXIT
fi
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >"$work/install.log"
cp "$manifest" "$work/manifest.txt"

icon_sizes_installed=(16 24 32 48 64 128 256)
expected=(bin/png2ico bin/trevalo "$libdir/trevalo/readers/libtrevalo-picturereader.so"
  share/applications/org.example.trevalo.desktop
  share/metainfo/org.example.trevalo.metainfo.xml
  share/man/man1/png2ico.1.gz share/man/man1/trevalo.1.gz
  share/doc/trevalo/copyright share/doc/trevalo/changelog.gz)
for size in "${icon_sizes_installed[@]}"; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/org.example.trevalo.png")
done
printf '%s\n' "${expected[@]}" | sort >"$work/expected.txt"
(cd "$root" && find . ! -type d | sed 's|^\./||' | sort) >"$work/installed.txt"
diff -u "$work/expected.txt" "$work/installed.txt" || fail "installed files differ from the list"
# The manifest names the files where they go without DESTDIR.
sed "s|^$prefix/||" "$work/manifest.txt" | sort | diff -u "$work/expected.txt" - ||
  fail "install_manifest.txt does not list what was installed"
[ -z "$(cd "$stage" && find . -path "./${prefix#/}" -prune -o ! -type d -print)" ] ||
  fail "files outside the prefix"

desktop-file-validate "$root/share/applications/org.example.trevalo.desktop" >"$work/desktop.log" 2>&1 ||
  { cat "$work/desktop.log"; fail "desktop-file-validate"; }
[ ! -s "$work/desktop.log" ] || { cat "$work/desktop.log"; fail "desktop-file-validate has remarks"; }
# --strict: warnings fail too; the tree check also finds the desktop file
# and the icon the metainfo names.
appstreamcli validate --no-net --strict "$root/share/metainfo/org.example.trevalo.metainfo.xml" ||
  fail "appstreamcli validate"
appstreamcli validate-tree --no-net --strict "$root" || fail "appstreamcli validate-tree"
grep -q '<summary xml:lang="zh-CN">' "$root/share/metainfo/org.example.trevalo.metainfo.xml" ||
  fail "no Chinese summary"

for size in "${icon_sizes_installed[@]}"; do
  file -b "$root/share/icons/hicolor/${size}x${size}/apps/org.example.trevalo.png" |
    grep -q "^PNG image data, $size x $size, 8-bit/color RGBA" || fail "icon of ${size}x${size} is not that size"
done

for page in trevalo png2ico; do
  gzip -dc "$root/share/man/man1/$page.1.gz" >"$work/$page.1"
  groff -man -ww -z -K utf8 -Tutf8 "$work/$page.1" 2>"$work/$page.groff.log"
  [ ! -s "$work/$page.groff.log" ] || { cat "$work/$page.groff.log"; fail "$page(1) formats with warnings"; }
  grep -q '@PROJECT_VERSION@' "$work/$page.1" && fail "$page(1) lacks its version"
  MANWIDTH=100 man -l "$work/$page.1" 2>/dev/null | col -b >"$work/$page.txt"
done
# Every option of the usage text, and the worker count, has an entry of its
# own in OPTIONS; the exit status is stated.
options=$(sed -n '/^OPTIONS/,/^EXIT STATUS/p' "$work/png2ico.txt")
for option in $(usage_options "$root/bin/png2ico") -j; do
  grep -qE "^ {7}$(printf '%s' "$option" | sed 's/[?]/\\?/g')( |$)" <<<"$options" ||
    fail "png2ico(1) has no entry for $option"
done
sed -n '/^EXIT STATUS/,/^[A-Z]/p' "$work/png2ico.txt" | grep -q 'always exits with status 0' ||
  fail "png2ico(1) does not state the exit status"

# The staged converter works from there.
mkdir -p "$work/pictures/sub"
make_png "$work/pictures/sub/photo.png"
(cd "$work" && "$root/bin/png2ico" -s 16 32bpp -s 48 8bpp -i pictures -o icons -noconfirm -silent) >"$work/png2ico.log"
[ "$(icon_sizes "$work/icons/sub/photo.ico")" = "16 48" ] || fail "png2ico wrote no icon with sizes 16 and 48"
# A JPEG named .png goes through the general reader, found beside the staged
# converter.
mkdir -p "$work/jpeg"
convert -size 40x30 gradient:red-blue "jpg:$work/jpeg/photo.png"
(cd "$work" && "$root/bin/png2ico" -s 16 32bpp -i jpeg -o jpeg-icons -noconfirm) >"$work/png2ico-jpeg.log"
grep -q '^jpeg/photo.png \.*\[OK\]$' "$work/png2ico-jpeg.log" || { cat "$work/png2ico-jpeg.log"; fail "png2ico read no JPEG"; }
[ "$(icon_sizes "$work/jpeg-icons/photo.ico")" = "16" ] || fail "png2ico wrote no icon of the JPEG"

# The staged window starts and keeps running until stopped (its artwork and
# the converter are inside the program; nothing is looked for beside it).
status=0
(cd "$work" && QT_QPA_PLATFORM=offscreen timeout 5 "$root/bin/trevalo" >"$work/trevalo.log" 2>&1) || status=$?
[ "$status" -eq 124 ] || { cat "$work/trevalo.log"; fail "trevalo ended by itself with status $status"; }

# Uninstall as the README says (here below the staging folder): every file
# of the manifest goes.
sed "s|^|$stage|" "$work/manifest.txt" | xargs -d '\n' rm -f --
[ -z "$(find "$stage" ! -type d)" ] || fail "files left after the uninstall"
echo "install test passed"
