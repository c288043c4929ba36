#!/usr/bin/python3
"""The Pillow peer: converts every PNG of a folder tree into an icon file with
the given sizes, mirroring the tree, in one process, one picture at a time.
Entries are stored as uncompressed bitmaps, like png2ico's, so that the work
compared is the same; --png keeps Pillow's default, every entry deflated as PNG.

usage: pillow_peer.py [--png] IN OUT SIZE [SIZE...]
"""
import os
import sys

from PIL import Image


def main():
    args = sys.argv[1:]
    entry_format = "png" if args[:1] == ["--png"] else "bmp"
    if entry_format == "png":
        args = args[1:]
    if len(args) < 3:
        sys.exit(__doc__)
    source, target = args[0], args[1]
    sizes = [(int(s), int(s)) for s in args[2:]]
    for folder, subfolders, names in os.walk(source):
        subfolders.sort()
        out = os.path.join(target, os.path.relpath(folder, source))
        pictures = sorted(n for n in names if n.lower().endswith(".png"))
        if pictures:
            os.makedirs(out, exist_ok=True)
        for name in pictures:
            with Image.open(os.path.join(folder, name)) as picture:
                picture = picture.convert("RGBA")
                picture.save(os.path.join(out, os.path.splitext(name)[0] + ".ico"), format="ICO",
                             sizes=sizes, bitmap_format=entry_format)


if __name__ == "__main__":
    main()
