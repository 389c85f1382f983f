#!/usr/bin/env python3
"""Packs a folder into a zip that is the same, byte for byte, for the same
files: entries sorted by path, every time stamp set to one given moment,
no owners, modes 755 for programs and 644 for the rest.

usage: make-zip.py [--at-root] FOLDER OUT.zip EPOCH

Each entry is put under the folder's own name, so unzipping gives that one
folder; with --at-root the folder's files are at the zip's root (as game
hosting sites take a site, index.html first in line). EPOCH is in seconds since 1970 (SOURCE_DATE_EPOCH); zip times have
two-second steps and start in 1980, and are read as UTC.
"""
import os
import sys
import time
import zipfile


def main(argv):
    at_root = len(argv) == 5 and argv[1] == "--at-root"
    if at_root:
        argv = argv[:1] + argv[2:]
    if len(argv) != 4:
        sys.exit(__doc__.strip())
    folder, out, epoch = argv[1], argv[2], int(argv[3])
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    top = "" if at_root else os.path.basename(os.path.normpath(folder)) + "/"
    paths = []
    for parent, dirs, files in os.walk(folder):
        dirs.sort()
        for name in files:
            paths.append(os.path.relpath(os.path.join(parent, name), folder))
    paths.sort(key=lambda path: path.replace(os.sep, "/"))
    with zipfile.ZipFile(out + ".part", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for path in paths:
            name = top + path.replace(os.sep, "/")
            entry = zipfile.ZipInfo(name, stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3
            mode = 0o755 if path.endswith(".exe") else 0o644
            entry.external_attr = (0o100000 | mode) << 16
            with open(os.path.join(folder, path), "rb") as f:
                archive.writestr(entry, f.read(), compresslevel=9)
    os.replace(out + ".part", out)


if __name__ == "__main__":
    main(sys.argv)
