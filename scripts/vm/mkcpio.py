#!/usr/bin/env python3
"""Writes a directory as a gzip-compressed newc cpio archive (an initramfs)."""
import gzip, os, stat, sys

def entry(out, name, st, data):
    fields = [0, st.st_mode, 0, 0, 1, 0, len(data), 0, 0, 0, 0, len(name) + 1, 0]
    out.write(b"070701" + b"".join(b"%08X" % f for f in fields))
    out.write(name.encode() + b"\0")
    out.write(b"\0" * ((4 - (110 + len(name) + 1) % 4) % 4))
    out.write(data)
    out.write(b"\0" * ((4 - len(data) % 4) % 4))

src, dst = sys.argv[1], sys.argv[2]
with gzip.open(dst, "wb", compresslevel=1) as out:
    for top, dirs, files in os.walk(src):
        dirs.sort()
        for n in sorted(dirs) + sorted(files):
            p = os.path.join(top, n)
            st = os.lstat(p)
            rel = os.path.relpath(p, src)
            if stat.S_ISLNK(st.st_mode):
                data = os.readlink(p).encode()
            elif stat.S_ISREG(st.st_mode):
                data = open(p, "rb").read()
            else:
                data = b""
            entry(out, rel, st, data)
    entry(out, "TRAILER!!!", os.stat(src), b"")
