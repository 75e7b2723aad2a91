#!/usr/bin/env python3
"""Writes the header reader's fuzz seeds: real BMP, GIF, PNG and JPEG files
(baseline, progressive, with EXIF), each behind the fuzz input's name prefix
(one length byte, then the file name)."""
import io
import os
import sys

from PIL import Image


def picture(width, height):
    image = Image.new("RGB", (width, height))
    for x in range(width):
        for y in range(height):
            image.putpixel((x, y), ((x * 7) % 256, (y * 5) % 256, (x + y) % 256))
    return image


def encoded(image, fmt, **options):
    out = io.BytesIO()
    image.save(out, fmt, **options)
    return out.getvalue()


def main():
    target = sys.argv[1]
    os.makedirs(target, exist_ok=True)
    image = picture(40, 24)
    exif = Image.Exif()
    exif[0x010F] = "Trawlix test camera"
    exif[0x0112] = 1
    seeds = {
        "a.bmp": encoded(image, "BMP"),
        "a.gif": encoded(image.convert("P"), "GIF"),
        "a.png": encoded(image, "PNG"),
        "a.jpg": encoded(image, "JPEG", quality=80),
        "p.jpeg": encoded(image, "JPEG", quality=80, progressive=True),
        "e.JPG": encoded(image, "JPEG", quality=80, exif=exif.tobytes()),
    }
    for name, data in seeds.items():
        prefix = bytes([len(name)]) + name.encode("ascii")
        with open(os.path.join(target, name.replace(".", "_") + ".seed"), "wb") as f:
            f.write(prefix + data)


if __name__ == "__main__":
    main()
