#!/usr/bin/env python3
"""Turns the pixel-art sources in res/art into the toolbar strip (a 16-colour
BMP) and the application icon (16 x 16 and 32 x 32 images).

  make-art.py ART_DIR OUT_DIR  writes OUT_DIR/toolbar.bmp and OUT_DIR/trawlix.ico"""
import os
import struct
import sys

# The 16 colours of the strip, by the character that stands for each.
PALETTE = {
    ".": (255, 0, 255), "K": (0, 0, 0), "r": (128, 0, 0), "g": (0, 128, 0),
    "y": (128, 128, 0), "b": (0, 0, 128), "P": (128, 0, 128), "c": (0, 128, 128),
    "L": (192, 192, 192), "D": (128, 128, 128), "R": (255, 0, 0), "G": (0, 255, 0),
    "Y": (255, 255, 0), "B": (0, 0, 255), "C": (0, 255, 255), "W": (255, 255, 255),
}
ORDER = list(PALETTE)


def read_pictures(path):
    """Returns [(name, rows)] from a file of '= name' blocks; '#' lines are comments."""
    pictures = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("#") or not line:
                continue
            if line.startswith("= "):
                pictures.append((line[2:], []))
            else:
                pictures[-1][1].append(line)
    for name, rows in pictures:
        if len(rows) != 16 or any(len(r) != 16 for r in rows):
            raise SystemExit(f"{path}: picture {name} is not 16 x 16")
        for r in rows:
            for ch in r:
                if ch not in PALETTE:
                    raise SystemExit(f"{path}: picture {name} uses unknown colour {ch!r}")
    return pictures


def write_bmp4(path, width, height, pixel):
    """A bottom-up 4-bit BMP; pixel(x, y) gives a palette index."""
    stride = ((width * 4 + 31) // 32) * 4
    rows = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            index = pixel(x, y)
            row[x // 2] |= index << 4 if x % 2 == 0 else index
        rows += row
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE.values())
    offset = 14 + 40 + len(palette)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(rows), 2835, 2835, 16, 16))
        f.write(palette)
        f.write(rows)


def icon_image(rows, scale):
    """One icon directory image: 32-bit colour rows and a 1-bit mask, bottom-up."""
    size = 16 * scale
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        mask_row = bytearray(mask_stride)
        for x in range(size):
            ch = rows[y // scale][x // scale]
            r, g, b = PALETTE[ch]
            transparent = ch == "."
            colour += struct.pack("<BBBB", b, g, r, 0 if transparent else 255)
            if transparent:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        mask += mask_row
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return size, header + colour + mask


def write_icon(path, rows):
    images = [icon_image(rows, 1), icon_image(rows, 2)]
    offset = 6 + 16 * len(images)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for size, data in images:
            f.write(struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset))
            offset += len(data)
        for _, data in images:
            f.write(data)


def main():
    art, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    strip = read_pictures(os.path.join(art, "toolbar.txt"))
    if len(strip) != 14:
        raise SystemExit(f"the toolbar strip needs 14 pictures, found {len(strip)}")
    write_bmp4(os.path.join(out, "toolbar.bmp"), 16 * len(strip), 16,
               lambda x, y: ORDER.index(strip[x // 16][1][y][x % 16]))
    write_icon(os.path.join(out, "trawlix.ico"), read_pictures(os.path.join(art, "icon.txt"))[0][1])


if __name__ == "__main__":
    main()
