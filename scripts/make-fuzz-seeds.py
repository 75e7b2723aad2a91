#!/usr/bin/env python3
"""Writes the header reader's fuzz seeds: real BMP, GIF, PNG and JPEG files
(baseline, progressive, with EXIF), hand-made JPEG marker walks, names in
every extension form the reader tells apart, double-byte ones among them,
WebP, AVIF, HEIC and JPEG XL files from Debian's encoders (as
make-pictures.py makes them), and hand-made boxes in the forms those
encoders do not write (64-bit sizes, long item ids and property indices,
JPEG XL's small size header and parts).
Each file stands behind the fuzz input's prefix: one byte with the name's
length (low 4 bits) and the harness's flags (0x10: walk as JPEG directly,
0x20: the file claims to be longer, 0x40: a seek past its bytes fails,
0x80: the format is told by the file's head), then the name."""
import io
import os
import runpy
import struct
import sys
import tempfile

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


def box(kind, payload, large=False):
    if large:
        return struct.pack(">I4sQ", 1, kind, 16 + len(payload)) + payload
    return struct.pack(">I4s", 8 + len(payload), kind) + payload


def full_box(kind, version, flags, payload):
    return box(kind, struct.pack(">I", version << 24 | flags) + payload)


def heif_long_forms(properties=None, ipma_first=True):
    """pitm and ipma with 32-bit item ids, 15-bit property indices, meta
    with a 64-bit size, properties ispe, irot and pixi (or the three given)."""
    if properties is None:
        properties = (full_box(b"ispe", 0, 0, struct.pack(">II", 300, 200)), box(b"irot", b"\x01"),
                      full_box(b"pixi", 0, 0, b"\x03\x08\x08\x08"))
    ipco = box(b"ipco", b"".join(properties))
    ipma = full_box(b"ipma", 1, 1, struct.pack(">IIBHIBHHH", 2, 7, 1, 0x8001, 5, 3, 0x8001, 2, 3))
    # ipma before ipco: a file cut inside the properties still says which are the item's.
    meta = full_box(b"pitm", 1, 0, struct.pack(">I", 5)) + box(b"iprp", ipma + ipco if ipma_first else ipco + ipma)
    ftyp = box(b"ftyp", b"heic\x00\x00\x00\x00mif1heic")
    return ftyp + box(b"meta", b"\x00\x00\x00\x00" + meta, large=True)


def heif_damaged():
    """Properties too short for their fields, an empty ipco, a meta box
    longer than a file cut inside its properties, boxes too far apart for
    the reader's budget, boxes missing."""
    long_forms = heif_long_forms()
    short = heif_long_forms((full_box(b"ispe", 0, 0, b"\x00\x00"), box(b"irot", b""),
                             full_box(b"pixi", 0, 0, b"\x09\x08")))
    empty = heif_long_forms((b"", b"", b""))
    ipma = long_forms.index(b"ipma")
    cuts = {"cut%d.heic" % n: long_forms[:n] for n in range(ipma + 8, len(long_forms))}
    # In the usual order, a cut inside ipma's associations.
    usual = heif_long_forms(ipma_first=False)
    cuts.update({"ucut%d.heic" % n: usual[:n] for n in range(len(usual) - 8, len(usual))})
    far = box(b"ftyp", b"avif\x00\x00\x00\x00mif1")
    far += b"".join(box(b"free", bytes(5000)) for _ in range(5)) + long_forms[long_forms.index(b"meta") - 4:]
    # iprp without ipma; a file without meta whose last box runs to its end.
    no_ipma = long_forms.replace(b"ipma", b"free")
    no_meta = box(b"ftyp", b"avif\x00\x00\x00\x00mif1") + struct.pack(">I4s", 0, b"mdat") + bytes(16)
    # ipma too short for its own header.
    short_ipma = heif_long_forms(ipma_first=False)
    at = short_ipma.index(b"ipma") - 4
    short_ipma = short_ipma[:at] + box(b"ipma", b"")
    cuts.update({"short.heic": short, "empty.heic": empty, "far.avif": far, "noipma.heic": no_ipma,
                 "nometa.avif": no_meta, "shortipma.heic": short_ipma})
    return cuts


def jxl_bits(fields):
    value = used = 0
    for bits, count in fields:
        value |= bits << used
        used += count
    return b"\xff\x0a" + value.to_bytes((used + 7) // 8 + 4, "little")


def modern_files():
    """The files make-pictures.py makes with Debian's encoders."""
    here = os.path.dirname(os.path.abspath(__file__))
    write_modern = runpy.run_path(os.path.join(here, "make-pictures.py"))["write_modern"]
    files = {}
    with tempfile.TemporaryDirectory() as scratch:
        write_modern(scratch)
        folder = os.path.join(scratch, "modern")
        for name in sorted(os.listdir(folder)):
            if name != "sizes.txt":
                with open(os.path.join(folder, name), "rb") as f:
                    files[name] = f.read()
    signature = b"\x00\x00\x00\x0cJXL \x0d\x0a\x87\x0a"
    small = jxl_bits([(1, 1), (3, 5), (5, 3), (1, 1)])
    turned = jxl_bits([(1, 1), (1, 5), (0, 3), (3, 5), (0, 1), (1, 1), (5, 3)])
    files.update(heif_damaged())
    # Lossless with alpha; lossy with a zero width, and with a zero height.
    vp8l = b"\x2f" + struct.pack("<I", 99 | 49 << 14 | 1 << 28)
    files["alphal.webp"] = b"RIFF" + struct.pack("<I", 4 + 8 + 5) + b"WEBPVP8L" + struct.pack("<I", 5) + vp8l
    for name, width, height in (("zerow.webp", 0, 50), ("zeroh.webp", 50, 0)):
        vp8 = b"\x10\x02\x00\x9d\x01\x2a" + struct.pack("<HH", width, height)
        files[name] = b"RIFF" + struct.pack("<I", 4 + 8 + 10) + b"WEBPVP8 " + struct.pack("<I", 10) + vp8
    files.update({
        "long.heic": heif_long_forms(),
        "small.jxl": small,
        "turned.jxl": turned,
        "parts.jxl": signature + box(b"jxlp", b"\x00\x00\x00\x00" + turned[:6]) + box(b"jxlp", turned[6:]),
        # A part with its index and no codestream, and one whose codestream is no JPEG XL.
        "bare-part.jxl": signature + box(b"jxlp", b"\x00\x00\x00\x00"),
        "bad-part.jxl": signature + box(b"jxlp", b"\x00\x00\x00\x00\x12\x34"),
        "zero.avif": files["lossy.avif"][:files["lossy.avif"].index(b"meta") - 4] + b"\x00\x00\x00\x00" +
                     files["lossy.avif"][files["lossy.avif"].index(b"meta"):],
    })
    return files


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
    modern = modern_files()
    files.update(modern)
    entries = [(name, data, 0) for name, data in files.items()]
    entries += [("w.jpg", data, 0) for data in walks.values()]
    entries += [("", data, 0x10) for data in list(walks.values()) + [jpeg]]
    entries += [("s.jpg", walks["short"], 0x20), ("s.bmp", seeds["a.bmp"][:20], 0x20)]
    entries += [("s.jpg", walks["short"], 0x60), ("j.jpg", b"\xff\xd8\xff\xe0\x01\x00", 0x60)]
    entries += [("s" + ext, seeds["a" + ext][:4], 0x40) for ext in (".bmp", ".gif", ".png")]
    # The same files told apart by their heads, as the plug-in tells them.
    entries += [("", data, 0x80) for data in modern.values()]
    # Each new format's first bytes flipped one at a time, and the file cut
    # at each of them: every field's test fails once without waiting for the
    # fuzzer to find it.
    for name in ("lossy.webp", "lossless.webp", "alpha.webp", "lossy.avif", "lossy.jxl", "container.jxl"):
        data = modern[name]
        for i in range(48):
            flipped = data[:i] + bytes([data[i] ^ 0xFF]) + data[i + 1:]
            entries += [(name, flipped, 0), (name, data[:i], 0), ("", flipped, 0x80), ("", data[:i], 0x80)]
    entries.append(("far.avif", modern["far.avif"], 0x40))  # a seek past the bytes fails
    for i, (name, data, flags) in enumerate(entries):
        raw = name if isinstance(name, bytes) else name.encode("ascii")
        assert len(raw) < 16
        with open(os.path.join(target, "seed%02d.seed" % i), "wb") as f:
            f.write(bytes([len(raw) | flags]) + raw + data)


if __name__ == "__main__":
    main()
