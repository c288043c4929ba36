#!/usr/bin/python3
"""The Windows check's own side: an icon reader written from the format's
definition (ICONDIR, ICONDIRENTRY, BITMAPINFOHEADER, colour table, XOR and AND
rows), independent of the project's writer, that says what each entry must
show over black and over white; and the comparison with what Windows drew.

    icon_check.py plan <work folder>     writes jobs.txt (the viewer's job list)
    icon_check.py compare <work folder>  reads the viewer's drawings, prints
                                         the summary; exit 1 on any mismatch

The work folder holds icons/<group>/*.ico (png, bmp) and exe/*.exe with the
.ico the executable page saved beside each; results/ gets the drawings.
"""
import json
import os
import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
GROUPS = ("png", "bmp", "exe")


class BadIcon(Exception):
    pass


def row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def read_directory(data):
    """[(width, height, bit count, offset, length)] of an .ico file."""
    if len(data) < 6:
        raise BadIcon("shorter than its 6-byte ICONDIR")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        raise BadIcon(f"ICONDIR reserved {reserved}, type {kind}, count {count}")
    if len(data) < 6 + 16 * count:
        raise BadIcon(f"{count} entries do not fit")
    entries = []
    for i in range(count):
        w, h, _colours, _res, _planes, bits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        if offset + length > len(data):
            raise BadIcon(f"entry {i}: {length} bytes at {offset} run past the file's {len(data)}")
        entries.append((w or 256, h or 256, bits, offset, length))
    return entries


def expand5(c):
    # 5-bit channels widen by repeating their high bits, as Windows' GDI does.
    return (c << 3) | (c >> 2)


class Picture:
    """What an entry must show: rows top first, blue-green-red triples over a
    black and over a white background; `soft` marks pixels blended by an
    alpha between 0 and 255."""

    def __init__(self, width, height, black, white, soft):
        self.width, self.height = width, height
        self.black, self.white, self.soft = black, white, soft


def decode_entry(data, width, height):
    """The entry's stored image as it must be drawn, or BadIcon saying why
    its own bytes do not make one."""
    if data[:8] == PNG_SIGNATURE:
        raise BadIcon("a PNG image (not drawn by this reader)")
    if len(data) < 40:
        raise BadIcon(f"{len(data)} bytes, less than a BITMAPINFOHEADER")
    (size, w, h2, planes, bits, compression, _image_size, _xppm, _yppm, used,
     _important) = struct.unpack_from("<IiiHHIIiiII", data, 0)
    if size != 40 or compression != 0:
        raise BadIcon(f"header size {size}, compression {compression}")
    if planes != 1 or bits not in (1, 4, 8, 16, 24, 32):
        raise BadIcon(f"planes {planes}, bit count {bits}")
    if (w, h2) != (width, 2 * height):
        raise BadIcon(f"header says {w} x {h2}, directory {width} x {height} (x 2)")
    # The colour table holds biClrUsed entries, or 2^bits below 16 bits when
    # it is 0; above 8 bits a non-zero biClrUsed still puts a table (for
    # palette devices) before the pixels.
    if bits <= 8 and used > (1 << bits):
        raise BadIcon(f"biClrUsed {used} above 2^{bits}")
    entries = used if used else (1 << bits if bits <= 8 else 0)
    table_end = 40 + 4 * entries
    xor_row, and_row = row_bytes(w, bits), row_bytes(w, 1)
    needed = table_end + (xor_row + and_row) * height
    if needed > len(data):
        raise BadIcon(f"biClrUsed {used}: a {entries}-entry colour table and the rows take {needed} bytes, "
                      f"the entry holds {len(data)}")
    table = [data[40 + 4 * i:43 + 4 * i] for i in range(entries)]
    and_start = table_end + xor_row * height
    n = w * height
    colour = bytearray(3 * n)
    alpha = bytearray(n)
    clear = bytearray(n)
    for y in range(height):
        row = table_end + (height - 1 - y) * xor_row
        mrow = and_start + (height - 1 - y) * and_row
        for x in range(w):
            i = y * w + x
            clear[i] = (data[mrow + x // 8] >> (7 - x % 8)) & 1
            if bits <= 8:
                per = 8 // bits
                index = (data[row + x // per] >> (8 - bits * (x % per + 1))) & ((1 << bits) - 1)
                if index >= entries:
                    raise BadIcon(f"pixel {x},{y}: index {index} beyond the {entries}-entry table")
                colour[3 * i:3 * i + 3] = table[index]
            elif bits == 16:
                v = data[row + 2 * x] | data[row + 2 * x + 1] << 8
                colour[3 * i:3 * i + 3] = bytes((expand5(v & 31), expand5((v >> 5) & 31), expand5((v >> 10) & 31)))
            else:
                p = row + x * (bits // 8)
                colour[3 * i:3 * i + 3] = data[p:p + 3]
                if bits == 32:
                    alpha[i] = data[p + 3]
    return compose(w, height, colour, alpha, clear, bits == 32 and any(alpha))


def compose(w, h, colour, alpha, clear, blended):
    """A 32-bit image with any alpha is blended by its alpha and its mask is
    not used; every other image is the background ANDed with the mask, then
    XORed with the colour."""
    n = w * h
    soft = bytearray(n)
    if blended:
        black, white = bytearray(3 * n), bytearray(3 * n)
        for i in range(n):
            a = alpha[i]
            soft[i] = 0 < a < 255
            for k in range(3):
                c = colour[3 * i + k] * a
                black[3 * i + k] = (2 * c + 255) // 510
                white[3 * i + k] = (2 * (c + 255 * (255 - a)) + 255) // 510
        return Picture(w, h, bytes(black), bytes(white), soft)
    white = bytearray(colour)
    for i in range(n):
        if clear[i]:
            for k in range(3):
                white[3 * i + k] ^= 0xFF
    return Picture(w, h, bytes(colour), bytes(white), soft)


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def icon_files(work, group):
    folder = os.path.join(work, "exe" if group == "exe" else os.path.join("icons", group))
    names = []
    for top, _dirs, files in os.walk(folder):
        names += [os.path.join(top, f) for f in files if f.lower().endswith(".ico")]
    return sorted(names)


def plan(work):
    """The viewer's jobs: every entry through CreateIconFromResourceEx, every
    file through LoadImageW at each entry's size, and for the executables
    the shell's own icon beside the saved one."""
    jobs, lines, notes = [], [], []
    for group in GROUPS:
        for ico in icon_files(work, group):
            try:
                entries = read_directory(open(ico, "rb").read())
            except BadIcon as e:
                jobs.append({"id": f"j{len(jobs)}", "group": group, "kind": "D", "ico": ico, "error": str(e)})
                continue
            for index, (w, h, bits, offset, length) in enumerate(entries):
                base = {"group": group, "ico": ico, "entry": index, "bits": bits, "width": w, "height": h}
                jobs.append(dict(base, id=f"j{len(jobs)}", kind="E"))
                lines.append(f"E\t{jobs[-1]['id']}\t{win_path(ico)}\t{offset}\t{length}\t{w}\t{h}")
                if w == 256 and len(entries) > 1:
                    # Wine's LoadImageW picks another entry when asked for
                    # 256 among several sizes: one-image files cover it.
                    notes.append(ico)
                    continue
                jobs.append(dict(base, id=f"j{len(jobs)}", kind="F"))
                lines.append(f"F\t{jobs[-1]['id']}\t{win_path(ico)}\t{w}\t{h}")
            if group == "exe":
                exe = ico[:-4] + ".exe"
                jobs.append({"id": f"j{len(jobs)}", "group": group, "kind": "X", "ico": ico, "entry": 0, "exe": exe})
                lines.append(f"X\t{jobs[-1]['id']}\t{win_path(exe)}")
    with open(os.path.join(work, "jobs.txt"), "w", encoding="utf-8") as f:
        f.write("".join(line + "\n" for line in lines))
    with open(os.path.join(work, "plan.json"), "w", encoding="utf-8") as f:
        json.dump({"jobs": jobs, "by_file_skipped_256": len(notes)}, f)


def read_drawing(path):
    data = open(path, "rb").read()
    w, h = struct.unpack_from("<II", data, 0)
    n = w * h
    if len(data) != 8 + 8 * n:
        raise BadIcon(f"drawing of {len(data)} bytes for {w} x {h}")
    black, white = bytearray(data[8:8 + 4 * n]), bytearray(data[8 + 4 * n:])
    del black[3::4]  # the unused fourth byte
    del white[3::4]
    return w, h, bytes(black), bytes(white)


class Blend:
    """Alpha-blended channels seen, and how many of them Wine drew one off the
    exact blend rounded half up. Wine 8 drew exactly that value in every one
    of the about four million blended channels of these icons, so blended
    pixels are held to exact equality like all others; a Wine that rounds
    another way shows here at once."""

    def __init__(self):
        self.channels = self.off_by_one = 0


def differences(expected, actual, soft, blend):
    """Count of pixels that differ in any channel, and the first of them."""
    bad, first = 0, None
    for i in range(len(soft)):
        wrong = None
        for k in range(3):
            e, a = expected[3 * i + k], actual[3 * i + k]
            if soft[i]:
                blend.channels += 1
                blend.off_by_one += abs(e - a) == 1
            if wrong is None and e != a:
                wrong = (i, k, e, a)
        if wrong:
            bad += 1
            first = first or wrong
    return bad, first


CALLS = {"E": "CreateIconFromResourceEx", "F": "LoadImageW", "X": "ExtractIconW", "D": "directory"}


def read_status(work):
    status = {}
    path = os.path.join(work, "results", "status.txt")
    if os.path.exists(path):
        for line in open(path, encoding="utf-8", errors="replace"):
            parts = line.split(maxsplit=1)
            if len(parts) == 2:
                status[parts[0]] = parts[1].strip()
    return status


class Expected:
    """Each entry decoded once, whatever number of loads look at it."""

    def __init__(self):
        self.pictures = {}

    def __call__(self, ico, entry):
        key = (ico, entry)
        if key not in self.pictures:
            data = open(ico, "rb").read()
            try:
                w, h, _bits, offset, length = read_directory(data)[entry]
                self.pictures[key] = decode_entry(data[offset:offset + length], w, h)
            except BadIcon as e:
                self.pictures[key] = e
        return self.pictures[key]


def check_drawing(work, job, expected, state, blend):
    """None when Windows drew exactly what the entry says, else why not."""
    if isinstance(expected, BadIcon):
        shown = "drew it" if state == "ok" else f"did not draw it ({state})"
        return f"its own bytes make no image: {expected}; Windows {shown}"
    if state != "ok":
        return f"Windows did not draw it ({state})"
    try:
        w, h, black, white = read_drawing(os.path.join(work, "results", job["id"] + ".raw"))
    except (OSError, BadIcon) as e:
        return f"no drawing ({e})"
    if (w, h) != (expected.width, expected.height):
        return f"drawn {w} x {h}"
    for background, want, got in (("black", expected.black, black), ("white", expected.white, white)):
        if want == got and not any(expected.soft):
            continue
        bad, first = differences(want, got, expected.soft, blend)
        if bad:
            i, k, e, a = first
            return (f"over {background}, {bad} pixels differ; first at {i % w},{i // w} "
                    f"channel {'BGR'[k]}: expected {e}, drawn {a}")
    return None


def compare(work):
    with open(os.path.join(work, "plan.json"), encoding="utf-8") as f:
        planned = json.load(f)
    status, expected_for, blend = read_status(work), Expected(), Blend()
    counts = {g: {"E": 0, "F": 0, "X": 0, "bad": 0} for g in GROUPS}
    problems = {g: [] for g in GROUPS}
    for job in planned["jobs"]:
        group, kind = job["group"], job["kind"]
        state = status.get(job["id"], "never ran")
        if kind == "D":
            text, where = job["error"], os.path.relpath(job["ico"], work)
            counts[group]["E"] += 1
        else:
            expected = expected_for(job["ico"], job["entry"])
            if kind == "X":
                # Only a program with icons of its own, against the icon the page
                # saved from it, when that is 32 x 32 as the shell's large icon is.
                if state == "none" or isinstance(expected, BadIcon) or (expected.width, expected.height) != (32, 32):
                    continue
                where = f"{os.path.relpath(job['exe'], work)} against its saved icon"
            else:
                where = (f"{os.path.relpath(job['ico'], work)} entry {job['entry']} "
                         f"({job['width']}x{job['height']}, {job['bits']} bits)")
            counts[group][kind] += 1
            text = check_drawing(work, job, expected, state, blend)
        if text:
            counts[group]["bad"] += 1
            problems[group].append(f"[{group}] {where} by {CALLS[kind]}: {text}")
    return summary(planned, counts, problems, blend)


def summary(planned, counts, problems, blend):
    print("Windows check: what Wine's icon calls draw against what each icon's bytes say")
    for g in GROUPS:
        c = counts[g]
        line = f"  {g:3}: {c['E']} entries by CreateIconFromResourceEx, {c['F']} by LoadImageW from the file"
        if g == "exe":
            line += f", {c['X']} executables by ExtractIconW against the saved icon"
        print(line + f"; {c['bad']} mismatches")
    print(f"  256-pixel entries of several-size files not loaded from the file (Wine's LoadImageW picks "
          f"another entry; their one-image files are): {planned['by_file_skipped_256']}")
    print(f"  alpha-blended channels compared: {blend.channels}, of which off by one from the exact blend "
          f"rounded: {blend.off_by_one}")
    for g in GROUPS:
        for p in problems[g][:12]:
            print("  MISMATCH " + p)
        if len(problems[g]) > 12:
            print(f"  ... and {len(problems[g]) - 12} more of {g}")
    checked = sum(c[k] for c in counts.values() for k in "EFX")
    failed = sum(c["bad"] for c in counts.values())
    print(f"{checked - failed} passed, {failed} failed")
    return 1 if failed or checked == 0 else 0


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("plan", "compare"):
        sys.exit(__doc__)
    if sys.argv[1] == "plan":
        plan(sys.argv[2])
        return 0
    return compare(sys.argv[2])


if __name__ == "__main__":
    sys.exit(main())
