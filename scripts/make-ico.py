#!/usr/bin/env python3
"""Packs PNG icons into one Windows .ico file, each stored as its PNG.

usage: make-ico.py OUT.ico ICON.png...

Windows reads PNG-compressed icon images of any size up to 256; the entries
are written largest first, as Explorer expects.
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG file")
    return struct.unpack(">II", data[16:24])


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__.strip())
    images = []
    for path in argv[2:]:
        with open(path, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if not (1 <= width <= 256 and 1 <= height <= 256):
            sys.exit(f"{path}: {width}x{height} is no icon size (1 to 256)")
        images.append((width, height, data))
    images.sort(key=lambda image: -image[0])
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for width, height, data in images:
        # A side of 256 is stored as 0.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(argv[1], "wb") as out:
        out.write(header + entries + b"".join(data for _, _, data in images))


if __name__ == "__main__":
    main(sys.argv)
