#!/usr/bin/env bash
# png2ico over the generated PNG and BMP sets, and damaged copies of part of
# them, under valgrind's memcheck: any read of uninitialised memory or bad
# access fails the run (AddressSanitizer does not see uninitialised reads).
#
# usage: scripts/valgrind-check.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/tests/support/png/make_png_set" "$work/pngs" >/dev/null
# Cut and bit-flipped copies: the error paths read memory too.
count=0
for file in "$work"/pngs/*-pieces.png "$work"/pngs/*-adam7-40x40*.png; do
  name=$(basename "$file" .png)
  size=$(stat -c %s "$file")
  head -c $((size * 2 / 3)) "$file" >"$work/pngs/$name-cut.png"
  python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[len(b) // 2] ^= 0x21; open(sys.argv[2], "wb").write(b)' \
    "$file" "$work/pngs/$name-flipped.png"
  count=$((count + 2))
done
pictures=$(ls "$work/pngs" | wc -l)

valgrind --tool=memcheck --error-exitcode=99 --track-origins=yes --quiet \
  "$build/png2ico/png2ico" -s 16 32bpp -s 48 32bpp -s 32 8bpp -s 24 4bpp -s 20 24bpp \
  -i "$work/pngs" -o "$work/out" -noconfirm -silent
icons=$(ls "$work/out" | wc -l)
echo "valgrind-check: png2ico over $pictures pictures ($count damaged), $icons icons, no memcheck errors"

# Our BMP decoder: every kind of BMP, and damaged ones, named .png as
# png2ico finds pictures by that name.
"$build/tests/support/bmp/make_bmp_set" "$work/bmps" .png
for file in "$work"/bmps/rgb24.png "$work"/bmps/rle8.png "$work"/bmps/rle4.png "$work"/bmps/rgb16.png; do
  name=$(basename "$file" .png)
  size=$(stat -c %s "$file")
  head -c $((size - 7)) "$file" >"$work/bmps/$name-short.png"
done
bmps=$(ls "$work/bmps" | wc -l)
valgrind --tool=memcheck --error-exitcode=99 --track-origins=yes --quiet \
  "$build/png2ico/png2ico" -s 16 32bpp -s 32 8bpp -s 20 24bpp -i "$work/bmps" -o "$work/bmps-out" -noconfirm -silent
icons=$(ls "$work/bmps-out" | wc -l)
echo "valgrind-check: png2ico over $bmps BMPs named .png, $icons icons, no memcheck errors"

# Pictures that Qt's image plugins decode (or fail to), on several workers:
# the plugins are loaded on a worker thread, which ends before the program.
mkdir "$work/others"
/usr/bin/python3 - "$work/others" <<'PY'
import struct, sys
folder = sys.argv[1]
for i in range(6):
    width, height = 9 + i, 7
    stride = (width * 3 + 3) & ~3
    pixels = b"".join(bytes((x * 20 % 256, y * 30 % 256, i * 40 % 256)) * 1 for y in range(height) for x in range(width))
    rows = b"".join(pixels[y * width * 3:(y + 1) * width * 3].ljust(stride, b"\0") for y in range(height))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    open("%s/bmp%d.png" % (folder, i), "wb").write(header + info + rows)
    open("%s/text%d.png" % (folder, i), "w").write("not a picture %d\n" % i)
# Cut short: the rows the reader never reaches must not stay uninitialised.
try:
    import io
    from PIL import Image
    picture = Image.new("RGB", (40, 30))
    picture.putdata([(x * 6, y * 8, (x + y) * 3) for y in range(30) for x in range(40)])
    for kind in ("JPEG", "GIF"):
        data = io.BytesIO()
        picture.save(data, kind)
        data = data.getvalue()
        open("%s/cut-%s.png" % (folder, kind.lower()), "wb").write(data[:len(data) // 2])
except ImportError:
    pass
PY
valgrind --tool=memcheck --error-exitcode=99 --quiet \
  "$build/png2ico/png2ico" -s 16 32bpp -s 32 8bpp -i "$work/others" -o "$work/others-out" -noconfirm -silent -j 4
others=$(ls "$work/others-out" | wc -l)
echo "valgrind-check: png2ico on 4 workers over $(ls "$work/others" | wc -l) pictures for Qt's decoders, $others icons, no memcheck errors"
