#!/usr/bin/env python3
"""Writes deterministic pictures.

  make-pictures.py tests DIR    small pictures with known colours for the tests
  make-pictures.py samples DIR  the demo collection the run command opens

Test pictures are 64 x 48 (icons 32 x 32) in four quadrants: red top left,
green top right, blue bottom left, white bottom right. DIR/modern holds
WebP, AVIF, HEIC and JPEG XL pictures made by Debian's encoders from such
quadrants, each of its own size, and sizes.txt: "name width height corners"
as a viewer shows each one (turned where the file says so); corners names
the colours of the top left, top right, bottom left and bottom right
quadrants (R, G, B, W; transparent reads as W, blended over white)."""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

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
    write_modern(target)


# name, width, height, whether the input has a transparent quadrant, the
# encoder's command (input and output appended as it wants them), quarter
# turns clockwise the file asks of a viewer, and the encoder's input: an
# 8-bit PNG, a 16-bit one, or a JPEG whose Exif says "turn a quarter
# clockwise" (for JPEG XL, which keeps that as its own orientation).
MODERN = (
    ("lossy.webp", 120, 80, False, ["cwebp", "-quiet", "-q", "80"], 0, "png"),
    ("lossless.webp", 100, 70, False, ["cwebp", "-quiet", "-lossless"], 0, "png"),
    ("alpha.webp", 90, 60, True, ["cwebp", "-quiet", "-q", "90"], 0, "png"),
    ("animated.webp", 110, 66, False, ["img2webp", "-lossless"], 0, "png"),
    ("lossy.avif", 96, 64, False, ["avifenc", "-s", "10"], 0, "png"),
    ("lossless.avif", 80, 48, False, ["avifenc", "-s", "10", "-l"], 0, "png"),
    ("alpha.avif", 72, 40, True, ["avifenc", "-s", "10"], 0, "png"),
    ("rotated.avif", 128, 32, False, ["avifenc", "-s", "10", "--irot", "1"], 3, "png"),
    ("grid.avif", 256, 128, False, ["avifenc", "-s", "10", "--grid", "2x2"], 0, "png"),
    ("deep.avif", 88, 64, False, ["avifenc", "-s", "10", "-d", "10"], 0, "png16"),
    ("lossy.heic", 112, 72, False, ["heif-enc", "-q", "50"], 0, "png"),
    ("lossless.heic", 88, 56, False, ["heif-enc", "-L", "-p", "chroma=444", "--matrix_coefficients=0"], 0, "png"),
    ("alpha.heic", 76, 44, True, ["heif-enc", "-q", "60"], 0, "png"),
    ("rotated.heic", 144, 48, False, ["heif-enc", "-q", "50"], 1, "png"),
    ("deep.heic", 96, 56, False, ["heif-enc", "-q", "60", "-b", "10"], 0, "png16"),
    ("lossy.jxl", 136, 88, False, ["cjxl", "--quiet", "-d", "1", "--container=0"], 0, "png"),
    ("lossless.jxl", 60, 36, False, ["cjxl", "--quiet", "-d", "0", "--container=0"], 0, "png"),
    ("alpha.jxl", 84, 52, True, ["cjxl", "--quiet", "-d", "1"], 0, "png"),
    ("container.jxl", 150, 50, False, ["cjxl", "--quiet", "-d", "1", "--container=1"], 0, "png"),
    ("deep.jxl", 72, 48, False, ["cjxl", "--quiet", "-d", "1"], 0, "png16"),
    ("rotated.jxl", 120, 40, False, ["cjxl", "--quiet", "--lossless_jpeg=1"], 1, "jpeg"),
)


def corners(turns, alpha):
    """The quadrants' colours as shown, after turns quarter turns clockwise."""
    top_left, top_right, bottom_left, bottom_right = "W" if alpha else "R", "G", "B", "W"
    for _ in range(turns):
        top_left, top_right, bottom_left, bottom_right = bottom_left, top_left, bottom_right, top_right
    return top_left + top_right + bottom_left + bottom_right


def png16(image, path):
    """image (RGB) as a 16-bit PNG, which PIL does not write."""
    raw = b"".join(
        b"\0" + b"".join(struct.pack(">HHH", *(c * 257 for c in image.getpixel((x, y)))) for x in range(image.width))
        for y in range(image.height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", image.width, image.height, 16, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def boxes(data, start, end):
    """(type, start, header length, end) of each ISO base media box in data[start:end]."""
    at = start
    while at < end:
        size, kind = struct.unpack(">I4s", data[at:at + 8])
        header = 8
        if size == 1:
            size = struct.unpack(">Q", data[at + 8:at + 16])[0]
            header = 16
        elif size == 0:
            size = end - at
        yield kind, at, header, at + size
        at += size


def child(data, parent, kind, skip=0):
    _, start, header, end = parent
    for box in boxes(data, start + header + skip, end):
        if box[0] == kind:
            return box
    raise ValueError("no %s box" % kind)


def with_irot(data, angle):
    """data, a HEIF file, with an irot property of angle quarter turns given
    to its primary item. heif-enc has no option for it; every box around the
    new bytes grows, and the item locations past them move on."""
    meta = next(b for b in boxes(data, 0, len(data)) if b[0] == b"meta")
    iprp = child(data, meta, b"iprp", 4)
    ipco = child(data, iprp, b"ipco")
    ipma = child(data, iprp, b"ipma")
    pitm = child(data, meta, b"pitm", 4)
    primary = struct.unpack(">H", data[pitm[1] + 12:pitm[1] + 14])[0]
    index = sum(1 for _ in boxes(data, ipco[1] + ipco[2], ipco[3])) + 1
    version, flags = data[ipma[1] + 8], data[ipma[1] + 11]
    assert version == 0 and flags & 1 == 0 and index < 128
    at = ipma[1] + 16
    for _ in range(struct.unpack(">I", data[ipma[1] + 12:ipma[1] + 16])[0]):
        item, count = struct.unpack(">HB", data[at:at + 3])
        if item == primary:
            break
        at += 3 + count
    else:
        raise ValueError("the primary item has no properties")
    irot = struct.pack(">I4sB", 9, b"irot", angle)
    grown = bytearray(data)
    grown[at + 3 + count:at + 3 + count] = bytes([0x80 | index])
    grown[at + 2] = count + 1
    grown[ipco[3]:ipco[3]] = irot
    added = len(irot) + 1
    for box, extra in ((meta, added), (iprp, added), (ipco, len(irot)), (ipma, 1)):
        assert box[2] == 8
        moved = box[1] + (len(irot) if box is ipma else 0)
        size = struct.unpack(">I", grown[moved:moved + 4])[0]
        grown[moved:moved + 4] = struct.pack(">I", size + extra)
    # iloc (version 0 or 1 here): extents past meta's end move by what it grew.
    iloc = child(bytes(grown), (b"meta", meta[1], meta[2], meta[3] + added), b"iloc", 4)
    version = grown[iloc[1] + 8]
    sizes = grown[iloc[1] + 12], grown[iloc[1] + 13]
    offset_size, length_size, base_size = sizes[0] >> 4, sizes[0] & 15, sizes[1] >> 4
    index_size = sizes[1] & 15 if version >= 1 else 0
    assert version < 2 and offset_size in (0, 4, 8) and base_size in (0, 4, 8)
    at = iloc[1] + 14
    count = struct.unpack(">H", grown[at:at + 2])[0]
    at += 2
    def move(at, size):
        if size:
            form = ">I" if size == 4 else ">Q"
            value = struct.unpack(form, grown[at:at + size])[0]
            if value >= meta[3]:
                grown[at:at + size] = struct.pack(form, value + added)
    for _ in range(count):
        at += 2 + (2 if version == 1 else 0) + 2  # item, construction method, data reference
        base = at
        at += base_size
        extents = struct.unpack(">H", grown[at:at + 2])[0]
        at += 2
        if base_size:
            move(base, base_size)
        for _ in range(extents):
            at += index_size
            if not base_size:
                move(at, offset_size)
            at += offset_size + length_size
    return bytes(grown)


def write_modern(target):
    folder = os.path.join(target, "modern")
    os.makedirs(folder, exist_ok=True)
    sizes = []
    with tempfile.TemporaryDirectory() as scratch:
        for name, width, height, alpha, command, turns, kind in MODERN:
            image = quadrants(width, height, "RGBA")
            if alpha:
                ImageDraw.Draw(image).rectangle((0, 0, width // 2 - 1, height // 2 - 1), fill=(255, 0, 0, 0))
            source = os.path.join(scratch, name + (".jpg" if kind == "jpeg" else ".png"))
            if kind == "png":
                image.save(source, format="PNG")
            elif kind == "png16":
                png16(image.convert("RGB"), source)
            else:
                exif = Image.Exif()
                exif[0x0112] = 6  # shown turned a quarter clockwise
                image.convert("RGB").save(source, format="JPEG", quality=95, subsampling=0, exif=exif.tobytes())
            output = os.path.join(folder, name)
            if command[0] == "img2webp":
                second = os.path.join(scratch, name + ".2.png")
                image.transpose(Image.Transpose.ROTATE_180).save(second)
                argv = command + [source, second, "-o", output]
            elif command[0] in ("cwebp", "heif-enc"):
                argv = command + [source, "-o", output]
            else:
                argv = command + [source, output]
            done = subprocess.run(argv, capture_output=True, text=True)
            if done.returncode != 0:
                sys.exit("make-pictures: %s failed:\n%s%s" % (" ".join(argv), done.stdout, done.stderr))
            if turns and name.endswith(".heic"):
                with open(output, "rb") as f:
                    data = f.read()
                with open(output, "wb") as f:
                    f.write(with_irot(data, 4 - turns))  # irot turns anticlockwise
            shown = (height, width) if turns % 2 else (width, height)
            sizes.append("%s %d %d %s" % ((name,) + shown + (corners(turns, alpha),)))
    with open(os.path.join(folder, "sizes.txt"), "w") as f:
        f.write("\n".join(sizes) + "\n")


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
    ("more/lagoon 2560x1080.webp", 2560, 1080, {"quality": 85}),
    ("more/reef 1920x1080.heic", 1920, 1080, ["heif-enc", "-q", "60"]),
    ("more/dune 2560x1440.avif", 2560, 1440, ["avifenc", "-s", "8"]),
    ("more/glacier 1920x1200.jxl", 1920, 1200, ["cjxl", "--quiet", "-d", "1"]),
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
        if isinstance(options, list):  # a format PIL does not write: Debian's encoder
            with tempfile.TemporaryDirectory() as scratch:
                source = os.path.join(scratch, "source.png")
                image.save(source)
                argv = options + ([source, "-o", path] if options[0] == "heif-enc" else [source, path])
                done = subprocess.run(argv, capture_output=True, text=True)
                if done.returncode != 0:
                    sys.exit("make-pictures: %s failed:\n%s%s" % (" ".join(argv), done.stdout, done.stderr))
            continue
        image.save(path, **options)


def main():
    what, target = sys.argv[1], sys.argv[2]
    os.makedirs(target, exist_ok=True)
    {"tests": write_tests, "samples": write_samples}[what](target)


if __name__ == "__main__":
    main()
