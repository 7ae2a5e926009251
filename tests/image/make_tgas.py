#!/usr/bin/env python3
"""Writes TGA fixtures with ImageMagick: OUT_DIR/<name>.tga for
rgb24, rgb24_rle, rgba32, rgba32_rle, palette, palette_rle. The pictures mix
runs of equal pixels (so run-length packets of both kinds appear) with noise.
"""
import os
import random
import shutil
import subprocess
import sys

convert, out = sys.argv[1], sys.argv[2]
shutil.rmtree(out, ignore_errors=True)
os.makedirs(out)
rng = random.Random(11)
width, height = 37, 23


def pixel(x, y, colours=None):
    if colours is not None:
        return colours[(x // 5 + y // 3) % len(colours)]
    if x < 12:  # runs
        return (200, 40 * (y % 6), 7, 255 - 10 * y)
    return (rng.randrange(256), rng.randrange(256), rng.randrange(256), rng.randrange(256))


def write_pam(path, colours=None, alpha=True):
    with open(path, "wb") as f:
        depth, kind = (4, "RGB_ALPHA") if alpha else (3, "RGB")
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n" % (width, height, depth, kind.encode()))
        for y in range(height):
            for x in range(width):
                f.write(bytes(pixel(x, y, colours)[:depth]))


write_pam(os.path.join(out, "rgb.pam"), alpha=False)
write_pam(os.path.join(out, "rgba.pam"))
write_pam(os.path.join(out, "few.pam"), colours=[(255, 0, 0, 255), (0, 128, 255, 255), (9, 9, 9, 255), (250, 250, 0, 255)],
          alpha=False)


def make(source, target, *options):
    subprocess.run([convert, os.path.join(out, source), *options, os.path.join(out, target)], check=True)


make("rgb.pam", "rgb24.tga", "-compress", "None")
make("rgb.pam", "rgb24_rle.tga", "-compress", "RLE")
make("rgba.pam", "rgba32.tga", "-compress", "None")
make("rgba.pam", "rgba32_rle.tga", "-compress", "RLE")
make("few.pam", "palette.tga", "-type", "Palette", "-compress", "None")
make("few.pam", "palette_rle.tga", "-type", "Palette", "-compress", "RLE")
