#!/usr/bin/env python3
"""Writes deterministic pictures.

  make-pictures.py tests DIR    small pictures with known colours for the tests
  make-pictures.py samples DIR  the demo collection the run command opens

Test pictures are 64 x 48 (icons 32 x 32) in four quadrants: red top left,
green top right, blue bottom left, white bottom right."""
import os
import sys

from PIL import Image, ImageDraw

QUADRANTS = ((255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255))


def quadrants(width, height, mode="RGB"):
    image = Image.new(mode, (width, height))
    draw = ImageDraw.Draw(image)
    half_w, half_h = width // 2, height // 2
    boxes = ((0, 0), (half_w, 0), (0, half_h), (half_w, half_h))
    for (x, y), colour in zip(boxes, QUADRANTS):
        fill = colour + (255,) if mode == "RGBA" else colour
        draw.rectangle((x, y, x + half_w - 1, y + half_h - 1), fill=fill)
    return image


def write_tests(target):
    image = quadrants(64, 48)
    image.save(os.path.join(target, "quad.png"))
    image.save(os.path.join(target, "quad.bmp"))
    image.save(os.path.join(target, "quad.tif"))
    image.save(os.path.join(target, "quad.jpg"), quality=95, subsampling=0)
    image.save(os.path.join(target, "quadp.jpg"), quality=95, subsampling=0, progressive=True)
    exif = Image.Exif()
    exif[0x010F] = "Trawlix test camera"
    image.save(os.path.join(target, "quade.jpg"), quality=95, subsampling=0, exif=exif.tobytes())
    image.convert("P", palette=Image.Palette.ADAPTIVE, colors=4).save(
        os.path.join(target, "quad.gif"))
    quadrants(32, 32).save(os.path.join(target, "quad.ico"), sizes=[(32, 32)])
    quadrants(400, 300).save(os.path.join(target, "wide.png"))
    # Top-left quadrant fully transparent: it blends to white.
    alpha = quadrants(64, 48, "RGBA")
    ImageDraw.Draw(alpha).rectangle((0, 0, 31, 23), fill=(255, 0, 0, 0))
    alpha.save(os.path.join(target, "alpha.png"))


def backdrop(width, height, seed):
    """A smooth gradient with a few discs: quick to make at any size."""
    horizontal = Image.linear_gradient("L").rotate(90).resize((width, height))
    vertical = Image.linear_gradient("L").resize((width, height))
    radial = Image.radial_gradient("L").resize((width, height))
    bands = [horizontal, vertical, radial]
    image = Image.merge("RGB", bands[seed % 3:] + bands[:seed % 3])
    draw = ImageDraw.Draw(image)
    for i in range(5):
        r = (i + 1) * min(width, height) // 14
        x = (seed * 97 + i * 211) % width
        y = (seed * 53 + i * 137) % height
        colour = ((seed * 40 + i * 60) % 256, (i * 90) % 256, (seed * 70) % 256)
        draw.ellipse((x - r, y - r, x + r, y + r), fill=colour)
    return image


SAMPLES = (
    ("dawn 1920x1080.jpg", 1920, 1080, {"quality": 85}),
    ("dusk 2560x1440.jpg", 2560, 1440, {"quality": 85, "progressive": True}),
    ("harbour 3840x2160.jpg", 3840, 2160, {"quality": 80}),
    ("meadow 1366x768.png", 1366, 768, {}),
    ("ridge 1280x1024.png", 1280, 1024, {}),
    ("tower 1080x1920.jpg", 1080, 1920, {"quality": 85}),
    ("classic 1024x768.gif", 1024, 768, {}),
    ("small 800x600.bmp", 800, 600, {}),
    ("thumb 320x240.png", 320, 240, {}),
    ("more/coast 1920x1200.tif", 1920, 1200, {"compression": "tiff_lzw"}),
    ("more/forest 1920x1080.png", 1920, 1080, {}),
    ("more/icon 48x48.ico", 48, 48, {}),
)


def write_samples(target):
    for seed, (name, width, height, options) in enumerate(SAMPLES):
        path = os.path.join(target, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        image = backdrop(width, height, seed)
        if name.endswith(".gif"):
            image = image.convert("P", palette=Image.Palette.ADAPTIVE)
        if name.endswith(".ico"):
            options = {"sizes": [(width, height)]}
        image.save(path, **options)


def main():
    what, target = sys.argv[1], sys.argv[2]
    os.makedirs(target, exist_ok=True)
    {"tests": write_tests, "samples": write_samples}[what](target)


if __name__ == "__main__":
    main()
