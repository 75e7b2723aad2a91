#!/usr/bin/env python3
"""Writes a deterministic tree of N picture files for the search benchmark:
three directory levels, about half the pictures 1920 x 1080 (the benchmark's
condition), the rest other sizes, and 5% files that are no pictures.
Usage: make-tree.py N DIR"""
import os
import struct
import sys
import zlib


def bmp(w, h):
    return b"BM" + struct.pack("<IHHI", 54, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, 0, 0, 0, 0, 0)


def png(w, h):
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)
    chunk = struct.pack(">I", 13) + b"IHDR" + ihdr + struct.pack(">I", zlib.crc32(b"IHDR" + ihdr))
    return b"\x89PNG\r\n\x1a\n" + chunk


def jpeg(w, h):
    app0 = b"\xff\xe0" + struct.pack(">H", 16) + b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"
    sof = b"\xff\xc0" + struct.pack(">HBHHB", 11, 8, h, w, 1) + b"\x01\x11\x00"
    return b"\xff\xd8" + app0 + sof + b"\xff\xd9"


def main():
    count, root = int(sys.argv[1]), sys.argv[2]
    stamp = os.path.join(root, f"tree-{count}.stamp")
    if os.path.exists(stamp):
        return
    makers = [(".bmp", bmp), (".png", png), (".jpg", jpeg)]
    for i in range(count):
        top, mid = i % 10, (i // 10) % 10
        folder = os.path.join(root, f"t{top:02d}", f"m{mid:02d}")
        os.makedirs(folder, exist_ok=True)
        if i % 20 == 19:
            name, data = f"f{i:06d}.txt", b"not a picture\n"
        else:
            ext, make = makers[i % 3]
            w, h = (1920, 1080) if i % 2 == 0 else (800 + i % 7, 600)
            name, data = f"f{i:06d}{ext}", make(w, h)
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    open(stamp, "w").close()


main()
