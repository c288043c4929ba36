#!/usr/bin/python3
"""The "shapes" set: pictures of the same kind of content in every shape and
layout a decoder must bear (square, one row, one column, interlaced 16-bit
near the streaming threshold, as noise in 1 MiB IDATs, a picture in
1-byte IDATs, one in many small IDATs). Each is converted alone by png2ico
-j 1; printed per picture: its CPU time (best of three) and its ratio to the
square's, and its peak memory as a ratio of its 8-bit RGBA size, against the
bound of 1.25 x that size + 48 MiB.

The pictures are written into WORK/shapes once (generated, never kept in
the source tree). A run longer than --timeout seconds is stopped; its peak
memory so far is still printed.

usage: shapes.py --png2ico PATH --work DIR [--timeout SECONDS]
"""
import argparse
import os
import random
import shutil
import struct
import subprocess
import time
import zlib

MIB = 1 << 20
REPEATS = 3
# The square comes first; these convert the same pixels in one row and one column.
LINE_SHAPES = ("2^23x1 grey8", "1x2^23 grey8")
LINE_TARGET = 2.0


def chunk(name, data):
    return struct.pack(">I", len(data)) + name + data + struct.pack(">I", zlib.crc32(name + data))


def png(width, height, depth, colour, interlaced, stream, piece=0):
    head = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0,
                                                             1 if interlaced else 0))
    if piece == 0:
        body = chunk(b"IDAT", stream)
    else:
        body = b"".join(chunk(b"IDAT", stream[i:i + piece]) for i in range(0, len(stream), piece))
    return head + body + chunk(b"IEND", b"")


def adam7_rows(width, height):
    """(pass width, pass height) of the seven passes."""
    passes = []
    for x0, y0, dx, dy in ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
                           (0, 1, 1, 2)):
        passes.append(((width - x0 + dx - 1) // dx if width > x0 else 0,
                       (height - y0 + dy - 1) // dy if height > y0 else 0))
    return passes


def filtered(width, height, bytes_per_pixel, interlaced, noise):
    """Filtered rows (filter 0): noise or a gentle ramp."""
    out = bytearray()
    rng = random.Random(7)
    for w, h in (adam7_rows(width, height) if interlaced else [(width, height)]):
        if w == 0 or h == 0:
            continue
        row = w * bytes_per_pixel
        for y in range(h):
            out += b"\0"
            out += rng.randbytes(row) if noise else bytes((i + y) & 0xFF for i in range(min(row, 4096))) * (
                row // 4096) + bytes((i + y) & 0xFF for i in range(row % 4096))
    return bytes(out)


def empty_stored_blocks(count, final_rows):
    """A zlib stream: `count` empty stored blocks, then the rows in one final block."""
    body = b"\x00\x00\x00\xff\xff" * count
    raw = zlib.compressobj(9, zlib.DEFLATED, -15)
    data = raw.compress(final_rows) + raw.flush()
    return b"\x78\x01" + body + data + struct.pack(">I", zlib.adler32(final_rows))


def make_shapes(folder):
    shapes = [
        ("square 2896x2896 RGBA8", 2896, 2896, 8, 6, False, False, 0),
        ("2^23x1 grey8", 1 << 23, 1, 8, 0, False, False, 0),
        ("1x2^23 grey8", 1, 1 << 23, 8, 0, False, False, 0),
        ("2^23x1 RGBA16", 1 << 23, 1, 16, 6, False, False, 0),
        ("interlaced 2896x2895 RGBA16", 2896, 2895, 16, 6, True, False, 0),
        ("interlaced 2896x2895 RGBA16 noise, 1 MiB IDATs", 2896, 2895, 16, 6, True, True, MIB),
        ("2048x2048 RGBA8 noise, 256-byte IDATs", 2048, 2048, 8, 6, False, True, 256),
    ]
    made = []
    for i, (name, w, h, depth, colour, interlaced, noise, piece) in enumerate(shapes):
        path = os.path.join(folder, "s%d" % i, "p.png")
        if not os.path.exists(path):
            os.makedirs(os.path.dirname(path), exist_ok=True)
            channels = {0: 1, 6: 4}[colour]
            rows = filtered(w, h, channels * depth // 8, interlaced, noise)
            with open(path + ".tmp", "wb") as f:
                f.write(png(w, h, depth, colour, interlaced, zlib.compress(rows, 1 if noise else 6), piece))
            os.rename(path + ".tmp", path)
        made.append((name, path, w * h))
    # One pixel in five million 1-byte IDATs (a million empty stored blocks first).
    path = os.path.join(folder, "s%d" % len(shapes), "p.png")
    if not os.path.exists(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path + ".tmp", "wb") as f:
            f.write(png(1, 1, 8, 0, False, empty_stored_blocks(1000000, b"\0\x80"), 1))
        os.rename(path + ".tmp", path)
    made.append(("1x1 in 1-byte IDATs", path, 1))
    return made


def peak_so_far(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def children_of(pid):
    try:
        with open("/proc/%d/task/%d/children" % (pid, pid)) as f:
            return [int(c) for c in f.read().split()]
    except OSError:
        return []


def run_measured(command, timeout):
    """CPU seconds and peak RSS in KiB; a run over `timeout` wall seconds is
    stopped (its time then given as the timeout), its peak read from the
    kernel just before.

    The program is started by GNU time, which reports its peak: a child forked
    straight from this script would count this script's own memory at the fork
    (the kernel keeps the largest resident size a process had before exec)."""
    start = time.monotonic()
    report = os.path.join("/tmp", "shapes-peak-%d" % os.getpid())
    child = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", report] + command, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, start_new_session=True)
    peak = 0
    while True:
        pid, status, usage = os.wait4(child.pid, os.WNOHANG)
        if pid == child.pid:
            child.returncode = status
            try:
                with open(report) as f:
                    peak = max(peak, int(f.read().split()[-1]))
                os.unlink(report)
            except (OSError, ValueError, IndexError):
                pass
            # CPU time: the usage of GNU time includes the program it waited for.
            return usage.ru_utime + usage.ru_stime, peak
        for grandchild in children_of(child.pid):
            peak = max(peak, peak_so_far(grandchild))
        if time.monotonic() - start > timeout:
            os.killpg(child.pid, 9)
            os.wait4(child.pid, 0)
            return timeout, peak
        time.sleep(0.02)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--png2ico", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--timeout", type=float, default=600)
    args = parser.parse_args()
    folder = os.path.join(args.work, "shapes")
    shapes = make_shapes(folder)
    print("  %-48s %8s %8s %9s %9s %8s %9s %s" % ("shape", "file MiB", "CPU s", "x square", "peak MiB", "x RGBA8",
                                                "bound MiB", "peak within bound"))
    square_seconds = None
    ratios = {}
    all_within = True
    for name, path, pixels in shapes:
        out = os.path.join(args.work, "shapes-out")
        command = [args.png2ico, "-s", "16", "32bpp", "-s", "256", "32bpp", "-i", os.path.dirname(path), "-o", out,
                   "-noconfirm", "-silent", "-j", "1"]
        # Best of three: the time ratios below are read against the square's.
        seconds, peak_kib = None, 0
        for _ in range(REPEATS):
            shutil.rmtree(out, ignore_errors=True)
            once, peak_once = run_measured(command, args.timeout)
            seconds = once if seconds is None else min(seconds, once)
            peak_kib = max(peak_kib, peak_once)
            if once >= args.timeout:
                break
        if square_seconds is None:
            square_seconds = seconds
        rgba = 4 * pixels
        peak = peak_kib * 1024
        bound = 1.25 * rgba + 48 * MIB
        written = os.path.exists(os.path.join(out, "p.ico"))
        note = "yes" if peak <= bound else "NO"
        all_within = all_within and peak <= bound and written
        if not written:
            note += ", no icon" + (" (stopped)" if seconds >= args.timeout else "")
        ratio = seconds / square_seconds
        if name in LINE_SHAPES:
            ratios[name] = ratio
        print("  %-48s %8.1f %8.3f %9.2f %9.1f %8.2f %9.1f %s" % (name, os.path.getsize(path) / MIB, seconds, ratio,
                                                                peak / MIB, peak / rgba, bound / MIB, note), flush=True)
    worst = max(ratios.values()) if ratios else float("inf")
    print("  target: one row and one column within %.0fx the square's time: %s [%s]"
          % (LINE_TARGET, ", ".join("%s %.2fx" % (n, r) for n, r in ratios.items()),
             "met" if worst <= LINE_TARGET else "NOT met"))
    print("  target: every peak within 1.25 x RGBA8 + 48 MiB, icon written [%s]" % ("met" if all_within else "NOT met"))


if __name__ == "__main__":
    main()
