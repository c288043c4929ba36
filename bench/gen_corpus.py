#!/usr/bin/python3
"""Writes the benchmark corpus: RGBA PNG pictures of varied content in a small
folder tree. The same seed gives the same pictures on every run, so timings of
one machine stay comparable. A finished corpus is marked by a stamp file and
reused; an unfinished one is rebuilt.

usage: gen_corpus.py ROOT
"""
import os
import random
import shutil
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageOps

# Bump when the pictures change, so old corpora are rebuilt.
CORPUS_VERSION = 3
STAMP = ".corpus-v%d" % CORPUS_VERSION

# name -> (edge, [(sub folder, picture count)]).
CORPORA = {
    "small": (256, [("", 20), ("icons", 60), ("icons/ui", 60), ("icons/ui/dark", 40),
                    ("photos", 60), ("photos/thumbs", 60)]),
    "large": (1024, [("", 6), ("art", 12), ("art/hires", 12)]),
    # Many folders of a few pictures each: the walk must keep every worker
    # busy across folder boundaries, not only inside one big folder.
    "folders": (256, [("set%03d" % n, 3) for n in range(100)]),
    # One folder of small pictures with a few large ones among them: a slow
    # picture must not leave the other workers idle.
    "mixed": (256, [("", 128)]),
}
# name -> (every how many pictures one is large, its edge)
LARGE_AMONG = {"mixed": (16, 1024)}

KINDS = ("icon", "photo", "glass", "texture")


def random_colour(rng, alpha=255):
    return (rng.randrange(256), rng.randrange(256), rng.randrange(256), alpha)


def gradient(rng, edge):
    """An RGB gradient between two random colours, linear at some angle or radial."""
    if rng.random() < 0.6:
        base = Image.linear_gradient("L").rotate(rng.uniform(0, 360), resample=Image.Resampling.BILINEAR,
                                                 expand=False, fillcolor=128)
    else:
        base = Image.radial_gradient("L")
    base = base.resize((edge, edge), Image.Resampling.BILINEAR)
    return ImageOps.colorize(base, random_colour(rng)[:3], random_colour(rng)[:3])


def noise(rng, edge, mode="RGB"):
    channels = len(mode)
    return Image.frombytes(mode, (edge, edge), rng.randbytes(edge * edge * channels))


def random_box(rng, edge, lo=0.1, hi=0.6):
    w = int(edge * rng.uniform(lo, hi))
    h = int(edge * rng.uniform(lo, hi))
    x = rng.randrange(0, edge - w)
    y = rng.randrange(0, edge - h)
    return (x, y, x + w, y + h)


def draw_shapes(rng, layer, count):
    edge = layer.width
    draw = ImageDraw.Draw(layer)
    for _ in range(count):
        box = random_box(rng, edge)
        colour = random_colour(rng, rng.choice((255, 255, 200, 128)))
        if layer.mode == "L":
            colour = colour[3]
        shape = rng.randrange(4)
        if shape == 0:
            draw.ellipse(box, fill=colour)
        elif shape == 1:
            draw.rounded_rectangle(box, radius=max(1, (box[2] - box[0]) // 5), fill=colour)
        elif shape == 2:
            points = [(rng.randrange(edge), rng.randrange(edge)) for _ in range(rng.randrange(3, 7))]
            draw.polygon(points, fill=colour)
        else:
            draw.line([(rng.randrange(edge), rng.randrange(edge)) for _ in range(4)], fill=colour,
                      width=max(1, edge // 40))


def icon_picture(rng, edge):
    """A shape with soft edges and a drop shadow on a transparent background."""
    picture = Image.new("RGBA", (edge, edge), (0, 0, 0, 0))
    body = gradient(rng, edge).convert("RGBA")
    draw_shapes(rng, body, 4)
    mask = Image.new("L", (edge, edge), 0)
    inset = edge // 8
    if rng.random() < 0.5:
        ImageDraw.Draw(mask).ellipse((inset, inset, edge - inset, edge - inset), fill=255)
    else:
        ImageDraw.Draw(mask).rounded_rectangle((inset, inset, edge - inset, edge - inset), radius=edge // 6,
                                               fill=255)
    mask = mask.filter(ImageFilter.GaussianBlur(edge / 256))
    shadow = ImageChops.offset(mask, edge // 40, edge // 40).filter(ImageFilter.GaussianBlur(edge / 64))
    picture.putalpha(shadow.point(lambda v: v // 2))
    picture.paste(body, (0, 0), mask)
    return picture


def photo_picture(rng, edge):
    """Opaque, photo-like: blurred shapes over a gradient with grain."""
    picture = gradient(rng, edge).convert("RGBA")
    draw_shapes(rng, picture, 12)
    picture = picture.filter(ImageFilter.GaussianBlur(edge / 200))
    grain = Image.blend(picture.convert("RGB"), noise(rng, edge), 0.08)
    grain.putalpha(255)
    return grain


def glass_picture(rng, edge):
    """Partial alpha everywhere: a radial fade with shapes and light noise."""
    picture = gradient(rng, edge).convert("RGBA")
    draw_shapes(rng, picture, 6)
    rgb = Image.blend(picture.convert("RGB"), noise(rng, edge), 0.04)
    alpha = ImageOps.invert(Image.radial_gradient("L").resize((edge, edge), Image.Resampling.BILINEAR))
    alpha = ImageChops.multiply(alpha, noise(rng, edge, "L").point(lambda v: 160 + v * 95 // 255))
    rgb.putalpha(alpha)
    return rgb


def texture_picture(rng, edge):
    """High entropy: strong noise on shapes, ragged alpha; compresses badly."""
    picture = Image.new("RGBA", (edge, edge), random_colour(rng))
    draw_shapes(rng, picture, 8)
    rgb = Image.blend(picture.convert("RGB"), noise(rng, edge), 0.35)
    alpha = Image.new("L", (edge, edge), 0)
    draw_shapes(rng, alpha, 6)
    alpha = ImageChops.lighter(alpha, noise(rng, edge, "L").point(lambda v: 255 if v > 40 else 0))
    rgb.putalpha(alpha)
    return rgb


MAKERS = {"icon": icon_picture, "photo": photo_picture, "glass": glass_picture, "texture": texture_picture}


def write_corpus(root, name, edge, folders):
    number = 0
    for sub, count in folders:
        folder = os.path.join(root, name, sub)
        os.makedirs(folder, exist_ok=True)
        for _ in range(count):
            rng = random.Random("%s-%d" % (name, number))
            kind = KINDS[number % len(KINDS)]
            every, large_edge = LARGE_AMONG.get(name, (0, edge))
            picture_edge = large_edge if every and number % every == every // 2 else edge
            # Names are unique across the corpus so that flat outputs do not collide.
            path = os.path.join(folder, "%s%03d_%s.png" % (name[0], number, kind))
            MAKERS[kind](rng, picture_edge).save(path, compress_level=6)
            number += 1
    return number


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    if os.path.exists(os.path.join(root, STAMP)):
        return
    if os.path.exists(root):
        shutil.rmtree(root)
    os.makedirs(root)
    for name, (edge, folders) in CORPORA.items():
        count = write_corpus(root, name, edge, folders)
        print("corpus %s: %d pictures of %d x %d" % (name, count, edge, edge), flush=True)
    with open(os.path.join(root, STAMP), "w") as stamp:
        stamp.write("done\n")


if __name__ == "__main__":
    main()
