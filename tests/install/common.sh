# Helpers shared by the install and package tests (sourced).

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A 40 x 30 RGBA PNG with a transparent corner, made with Python's standard
# library only (the clean system of the package test has no image tools).
make_png() {
  python3 - "$1" <<'PY'
import struct, sys, zlib
w, h = 40, 30
rows = b"".join(
    b"\0" + b"".join(bytes((x * 6, y * 8, 200, 0 if x < 8 and y < 8 else 255)) for x in range(w))
    for y in range(h))
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
open(sys.argv[1], "wb").write(png)
PY
}

# The image sizes an icon file lists in its directory, e.g. "16 48", read by
# the file's own header rather than by our reader.
icon_sizes() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
reserved, kind, count = struct.unpack_from("<HHH", data, 0)
assert reserved == 0 and kind == 1, "not an icon file"
sizes = []
for i in range(count):
    w = data[6 + 16 * i]
    sizes.append(str(w or 256))
print(" ".join(sizes))
PY
}

# The options png2ico's usage text names ("-?", "-i", ...), one per line.
usage_options() {
  "$1" -silent -? x 2>/dev/null | sed -n 's/^\(-[a-z?]\+\)[ ,].*/\1/p' | sort -u
}
