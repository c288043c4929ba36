#!/usr/bin/python3
"""Quality sanity for the benchmark: reads one picture's icon as written by each
tool, checks that it holds the expected sizes, and compares its 32 x 32 image
with a Lanczos reference made by Pillow from the same source. The comparison
is on premultiplied colour plus alpha, so invisible pixels do not count.

usage: quality.py SOURCE_ROOT PICTURE NAME=OUTPUT_ROOT [NAME=OUTPUT_ROOT...]
"""
import math
import os
import sys

from PIL import IcoImagePlugin, Image, ImageChops, ImageStat

SIZES = {(s, s) for s in (16, 32, 48, 64, 72, 96, 128)}
PROBE = (32, 32)


def premultiplied(picture):
    """RGBA whose colour is premultiplied by alpha: colour over black, alpha kept."""
    picture = picture.convert("RGBA")
    black = Image.new("RGBA", picture.size, (0, 0, 0, 255))
    colour = Image.alpha_composite(black, picture).convert("RGB")
    colour.putalpha(picture.getchannel("A"))
    return colour


def find_icon(output_root, source_root, picture):
    """The tool's icon for the picture: in a mirrored tree, or in one flat folder."""
    stem = os.path.splitext(os.path.relpath(picture, source_root))[0] + ".ico"
    for candidate in (os.path.join(output_root, stem), os.path.join(output_root, os.path.basename(stem))):
        if os.path.exists(candidate):
            return candidate
    return None


def compare(icon_path, reference):
    with open(icon_path, "rb") as f:
        icon = IcoImagePlugin.IcoFile(f)
        sizes = set(icon.sizes())
        probe = premultiplied(icon.getimage(PROBE)) if PROBE in sizes else None
    entries = "7 sizes" if sizes == SIZES else "sizes %s" % sorted(s[0] for s in sizes)
    if probe is None or probe.size != PROBE:
        return "%s, no %d x %d image" % (entries, PROBE[0], PROBE[1])
    diff = ImageChops.difference(probe, reference)
    stat = ImageStat.Stat(diff)
    mean = sum(stat.mean) / len(stat.mean)
    mse = sum(r * r for r in stat.rms) / len(stat.rms)
    largest = max(high for _, high in diff.getextrema())
    psnr = "inf" if mse == 0 else "%.1f dB" % (10 * math.log10(255 * 255 / mse))
    return "%s; mean |diff| %5.2f  max %3d  PSNR %s" % (entries, mean, largest, psnr)


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    source_root, picture = sys.argv[1], sys.argv[2]
    with Image.open(picture) as source:
        reference = premultiplied(source.convert("RGBA").resize(PROBE, Image.Resampling.LANCZOS))
    print("  %d x %d of %s against Pillow's Lanczos resize (premultiplied RGBA, 0..255):"
          % (PROBE[0], PROBE[1], os.path.relpath(picture, source_root)))
    for pair in sys.argv[3:]:
        name, output_root = pair.split("=", 1)
        icon = find_icon(output_root, source_root, picture)
        try:
            verdict = compare(icon, reference) if icon else "no icon written"
        except (OSError, ValueError, SyntaxError) as error:
            verdict = "unreadable icon: %s" % error
        print("    %-30s %s" % (name, verdict))


if __name__ == "__main__":
    main()
