#!/usr/bin/env python3
"""Writes the header reader's fuzz seeds: real BMP, GIF, PNG and JPEG files
(baseline, progressive, with EXIF), hand-made JPEG marker walks, and names
in every extension form the reader tells apart, double-byte ones among them.
Each file stands behind the fuzz input's prefix: one byte with the name's
length (low 4 bits) and the harness's flags (0x10: walk as JPEG directly,
0x20: the file claims to be longer, 0x40: a seek past its bytes fails), then
the name."""
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
    jpeg = seeds["a.jpg"]
    app0 = b"\xff\xe0\x00\x10" + b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
    sof = b"\x00\x11\x08\x03\x00\x04\x00"
    walks = {
        "crlf": b"\xff\xd8\x0d\x0a\x99\x99\x77\x77\xff\xc0" + sof,
        "eoi": b"\xff\xd8" + app0 + b"\xff\xd9\x00\x00",
        "zero": b"\xff\xd8\xff\xe0\x00\x00\xff\xe0\x00\x01\xff\xc2" + sof,
        "short": b"\xff\xd8" + app0 + b"\xff\xc0\x00",
        "end": b"\xff\xd8" + app0,
        "noheight": b"\xff\xd8\xff\xc0\x00\x11\x08\x00\x00\x04\x00",
        "nowidth": b"\xff\xd8\xff\xc0\x00\x11\x08\x03\x00\x00\x00",
        "soi": b"\xff\xd8",
    }
    # Every extension form: the same bytes under names the reader reads or skips.
    names = ["A.BMP", "x.Gif", "x.PNG", "x.JpEg", "x.jpegx", "x.jpe", "x.jp", "x.bmpx",
             "noext", "x.", ".png.x", "a.b.jpg"]
    files = {name: jpeg if "j" in name.lower() else seeds["a.png"] for name in names}
    # Double-byte names (code page 932): a trail byte that is "\\" or "." is
    # no separator and no extension dot.
    files.update({b"\x83\x5c.jpg": jpeg, b"\x81.png": seeds["a.png"], b"\x82\xa0.bmp": seeds["a.bmp"]})
    files.update(seeds)
    entries = [(name, data, 0) for name, data in files.items()]
    entries += [("w.jpg", data, 0) for data in walks.values()]
    entries += [("", data, 0x10) for data in list(walks.values()) + [jpeg]]
    entries += [("s.jpg", walks["short"], 0x20), ("s.bmp", seeds["a.bmp"][:20], 0x20)]
    entries += [("s.jpg", walks["short"], 0x60), ("j.jpg", b"\xff\xd8\xff\xe0\x01\x00", 0x60)]
    entries += [("s" + ext, seeds["a" + ext][:4], 0x40) for ext in (".bmp", ".gif", ".png")]
    for i, (name, data, flags) in enumerate(entries):
        raw = name if isinstance(name, bytes) else name.encode("ascii")
        assert len(raw) < 16
        with open(os.path.join(target, "seed%02d.seed" % i), "wb") as f:
            f.write(bytes([len(raw) | flags]) + raw + data)


if __name__ == "__main__":
    main()
