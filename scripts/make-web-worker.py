#!/usr/bin/env python3
"""Writes the site's offline worker: packaging/web/sw.js with the list of
every file of the site and the release, a hash over their names and
contents, put in its place. The same site gives the same worker, and any
change to any file gives another release.

usage: make-web-worker.py TEMPLATE SITE_FOLDER
"""
import hashlib
import json
import os
import sys


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__.strip())
    template, site = argv[1], argv[2]
    names = []
    for parent, dirs, files in os.walk(site):
        dirs.sort()
        for name in files:
            path = os.path.relpath(os.path.join(parent, name), site).replace(os.sep, "/")
            if path != "sw.js":
                names.append(path)
    names.sort()
    digest = hashlib.sha256()
    for name in names:
        with open(os.path.join(site, name), "rb") as f:
            data = f.read()
        digest.update(name.encode("utf-8") + b"\0" + str(len(data)).encode("ascii") + b"\0" + data)
    with open(template, encoding="utf-8") as f:
        text = f.read()
    for placeholder, value in (("@RELEASE@", digest.hexdigest()[:16]), ("@FILES@", json.dumps(names))):
        if text.count(placeholder) != 1:
            sys.exit("%s does not hold exactly one %s" % (template, placeholder))
        text = text.replace(placeholder, value)
    out = os.path.join(site, "sw.js")
    with open(out + ".part", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(out + ".part", out)


if __name__ == "__main__":
    main(sys.argv)
