#!/usr/bin/env python3
"""Watches the game's window for the end-to-end tests, so that they wait on
what the picture shows rather than on the clock.

    picture.py frames WINDOW COUNT SECONDS
        waits until the picture has changed COUNT times. The game draws a
        new picture only after a tick (the rocks tumble and stream every
        tick), so each change proves that at least one tick ran.
    picture.py until WINDOW MEASURE OP VALUE SECONDS
        waits until the ship's MEASURE (column or upright, see below) is lt
        or gt VALUE, and prints it. Used to hold a key until the ship has
        moved, however fast or slow the game runs.
    picture.py rest WINDOW SECONDS
        waits until the ship is at rest: its column and its upright measure
        stay put while the picture changes REST_CHANGES times, so the game
        ran at least that many ticks in which a held key would have moved
        it. Prints "COLUMN UPRIGHT SHOTS".
    picture.py file IMAGE.bgra WIDTH HEIGHT
        prints the measures of a raw BGRA picture of the window (for
        checking this script against the snapshot tool's pictures).

The ship is found by its two engine flames, pale yellow in the band of rows
it flies in. Its column is the flames' mean column; its upright measure is
how far they spread sideways less how far they spread up and down, in
pixels: about +20 for the level ship, about -20 rolled on its side.

Exit status 0 when the condition was met, 1 when SECONDS ran out (with what
was seen on standard error; a window that cannot be read shows nothing), 2
for a wrong command line.
"""
import ctypes
import ctypes.util
import hashlib
import re
import sys
import time

WIDTH, HEIGHT = 800, 600
BAND_TOP, BAND_ROWS = 390, 80
# A rock or another window in front spoils a shot now and then (and a hit's
# explosion hides the flames for a moment): a rest needs this many changed
# pictures in a row whose ship agrees within TOLERANCE pixels.
REST_CHANGES = 10
TOLERANCE = 4
# Between two shots; the game draws at most one picture every 20 ms.
POLL = 0.01


# Bytes of a red channel of at least 240: a flame's pixels are among them.
BRIGHT_RED = re.compile(rb"[\xf0-\xff]")


def flame_measures(pixels, stride, top, rows, width):
    """(column, upright) of the flames in a BGRA band, or None when fewer
    than 5 of their pixels show or more than 100: the flames make about 30,
    a hit's explosion several hundred, which would hide where the ship is."""
    xs, ys = [], []
    for row in range(rows):
        start = (top + row) * stride
        line = pixels[start:start + width * 4]
        for found in BRIGHT_RED.finditer(line[2::4]):
            x = found.start()
            if line[4 * x + 1] >= 170 and 90 <= line[4 * x] <= 240:
                xs.append(x)
                ys.append(top + row)
    if not 5 <= len(xs) <= 100:
        return None
    column = sum(xs) // len(xs)
    mean_y = sum(ys) / len(ys)
    spread_x = (sum((x - column) ** 2 for x in xs) / len(xs)) ** 0.5
    spread_y = (sum((y - mean_y) ** 2 for y in ys) / len(ys)) ** 0.5
    return column, int(round(spread_x - spread_y))


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


class WindowAttributes(ctypes.Structure):
    # The leading fields of XWindowAttributes; the rest is room Xlib fills.
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("rest", ctypes.c_byte * 256)]


class Window:
    """The game's window on the current display, read with XGetImage."""

    ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)

    def __init__(self, window):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        self.x11.XRaiseWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        # A window that went away (or is not mapped yet) must not end this
        # process from inside Xlib: XGetImage then returns nothing.
        self.on_error = Window.ERROR_HANDLER(lambda display, event: 0)
        self.x11.XSetErrorHandler(self.on_error)
        self.display = self.x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("picture.py: cannot open the display")
        self.window = window

    def grab(self):
        """The window's picture (at most WIDTH by HEIGHT from its top left) as
        (BGRA bytes, stride, width, height), or None when it cannot be read."""
        attributes = WindowAttributes()
        if not self.x11.XGetWindowAttributes(self.display, self.window, ctypes.byref(attributes)):
            return None
        width, height = min(WIDTH, attributes.width), min(HEIGHT, attributes.height)
        # Test programs running beside this one open windows over the game's;
        # the game redraws what a raise uncovers at its next tick.
        self.x11.XRaiseWindow(self.display, self.window)
        self.x11.XSync(self.display, 0)
        image = self.x11.XGetImage(self.display, self.window, 0, 0, width, height,
                                   0xffffffff, 2)  # all planes, ZPixmap
        if not image:
            return None
        try:
            if image.contents.bits_per_pixel != 32 or image.contents.byte_order != 0:
                sys.exit("picture.py: the display is not 32 bits per pixel, least significant first")
            stride = image.contents.bytes_per_line
            return ctypes.string_at(image.contents.data, stride * height), stride, width, height
        finally:
            self.x11.XDestroyImage(image)


def shots(window, seconds):
    """Yields (changed, measures) for each picture read until SECONDS run
    out: whether the picture differs from the one before, and the flames'
    measures (None where they do not show)."""
    deadline = time.monotonic() + seconds
    previous = None
    while time.monotonic() < deadline:
        grabbed = window.grab()
        if grabbed is not None:
            pixels, stride, width, height = grabbed
            digest = hashlib.sha1(pixels).digest()
            changed = previous is not None and digest != previous
            previous = digest
            in_band = width == WIDTH and height >= BAND_TOP + BAND_ROWS
            yield changed, flame_measures(pixels, stride, BAND_TOP, BAND_ROWS, width) if in_band else None
        time.sleep(POLL)


def wait_frames(window, count, seconds):
    changes = 0
    for changed, _ in shots(window, seconds):
        changes += changed
        if changes >= count:
            return 0
    print(f"the picture changed {changes} times in {seconds} s, not {count}", file=sys.stderr)
    return 1


def wait_until(window, measure, op, value, seconds):
    index = {"column": 0, "upright": 1}[measure]
    seen = []
    for _, measures in shots(window, seconds):
        if measures is None:
            continue
        seen.append(measures[index])
        if (measures[index] < value) if op == "lt" else (measures[index] > value):
            print(measures[index])
            return 0
    print(f"the ship's {measure} stayed {'at or above' if op == 'lt' else 'at or below'} {value} "
          f"for {seconds} s (last shots: {seen[-12:] or 'no flames in sight'})", file=sys.stderr)
    return 1


def wait_rest(window, seconds):
    run = []  # unbroken run of changed pictures that agree with its first
    seen = []
    for changed, measures in shots(window, seconds):
        if measures is None or not changed:
            continue
        seen.append(measures)
        if run and (abs(run[0][0] - measures[0]) > TOLERANCE or abs(run[0][1] - measures[1]) > TOLERANCE):
            run = []
        run.append(measures)
        if len(run) > REST_CHANGES:
            print(run[0][0], run[0][1], ",".join(str(m[0]) for m in seen[-2 * REST_CHANGES:]))
            return 0
    print(f"the ship did not come to rest within {seconds} s "
          f"(column, upright of the last shots: {seen[-2 * REST_CHANGES:] or 'no flames in sight'})",
          file=sys.stderr)
    return 1


def main(args):
    if len(args) == 4 and args[0] == "file":
        width, height = int(args[2]), int(args[3])
        with open(args[1], "rb") as raw:
            pixels = raw.read()
        print(flame_measures(pixels, width * 4, BAND_TOP, BAND_ROWS, width))
        return 0
    commands = {"frames": (3, lambda w, a: wait_frames(w, int(a[0]), float(a[1]))),
                "until": (5, lambda w, a: wait_until(w, a[0], a[1], int(a[2]), float(a[3]))),
                "rest": (2, lambda w, a: wait_rest(w, float(a[0])))}
    if not args or args[0] not in commands or len(args) != commands[args[0]][0] + 1:
        print(__doc__, file=sys.stderr)
        return 2
    return commands[args[0]][1](Window(int(args[1])), args[2:])


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
