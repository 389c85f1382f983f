#!/usr/bin/env python3
"""Writes the browser game as one self-contained HTML file: the site's
index.html with the page's own style and scripts (page/), the game's
script, its WebAssembly and its packed images (base64) and the icon (a
data: URL) put inside, so that it plays opened
from disk with no server and no network; the game's licence and those of
the libraries in it close the file, in a comment. The same site gives the
same bytes.

usage: make-web-page.py SITE_FOLDER OUT.html
"""
import base64
import json
import os
import re
import sys


def inline_page_files(page, read):
    """Puts the page's style sheet and scripts from page/ inside it, each in
    place of the element that names it."""
    def style(match):
        return "<style>\n" + read(match.group(1)).decode("utf-8") + "</style>"

    def script(match):
        code = read(match.group(1)).decode("utf-8")
        if "</script" in code.lower():
            sys.exit(match.group(1) + " holds '</script', which would end its element early")
        return "<script>\n" + code + "</script>"

    page, styles = re.subn(r'<link rel="stylesheet" href="(page/[a-z-]+\.css)">', style, page)
    page, scripts = re.subn(r'<script src="(page/[a-z-]+\.js)"></script>', script, page)
    if styles == 0 or scripts == 0:
        sys.exit("index.html names no style sheet or no script in page/")
    if re.search(r'(src|href)="page/', page):
        sys.exit("index.html names a file of page/ in a way that cannot be put inside it")
    return page


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__.strip())
    site, out = argv[1], argv[2]

    def read(name):
        with open(os.path.join(site, name), "rb") as f:
            return f.read()

    page = read("index.html").decode("utf-8")
    page = inline_page_files(page, read)
    code = read("zarvy.js").decode("utf-8")
    # The script sits in a text/plain element, which ends at the first
    # "</script"; the game's script has none.
    if "</script" in code.lower():
        sys.exit("zarvy.js holds '</script', which would end its element early")
    inline = json.dumps({
        "wasm": base64.b64encode(read("zarvy.wasm")).decode("ascii"),
        "data": base64.b64encode(read("zarvy.data")).decode("ascii"),
    }, sort_keys=True)
    icon = "data:image/png;base64," + base64.b64encode(read("icon.png")).decode("ascii")
    for old, new in [
        ('<script type="application/json" id="zarvy-inline">{}</script>',
         '<script type="application/json" id="zarvy-inline">' + inline + '</script>'),
        ('<script type="text/plain" id="zarvy-code" data-src="zarvy.js"></script>',
         '<script type="text/plain" id="zarvy-code">' + code + '</script>'),
        ('href="icon.png"', 'href="' + icon + '"'),
        # A file opened from disk is no installable app and keeps no worker.
        ('<link rel="manifest" href="manifest.webmanifest">\n', ''),
        ('<link rel="apple-touch-icon" href="icons/zarvy-192.png">\n', ''),
    ]:
        if page.count(old) != 1:
            sys.exit("index.html does not hold exactly one " + old)
        page = page.replace(old, new)
    notices = ["Zarvy\n\n" + read("LICENSE.txt").decode("utf-8")]
    for parent, dirs, files in sorted(os.walk(os.path.join(site, "licenses"))):
        dirs.sort()
        for name in sorted(files):
            with open(os.path.join(parent, name), encoding="utf-8") as f:
                notices.append(os.path.basename(parent) + ": " + name + "\n\n" + f.read())
    comment = "\n<!--\n" + "\n\n".join(notices).replace("-->", "-- >") + "\n-->\n"
    page = page.rstrip("\n") + "\n" + comment
    with open(out + ".part", "wb") as f:
        f.write(page.encode("utf-8"))
    os.replace(out + ".part", out)


if __name__ == "__main__":
    main(sys.argv)
