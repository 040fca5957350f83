#!/usr/bin/python3
"""Reads screen pixels straight from the X server (much faster than a screenshot).

  pixels.py get X Y [X Y ...]       prints RRGGBB for each point
  pixels.py region X Y W H          prints a digest of the rectangle's pixels
  pixels.py frame X Y W H           finds the framed chart at the bottom of the rectangle (an LED
                                    tooltip's client area) as a user sees it, and prints its frame:
                                    LEFT TOP RIGHT BOTTOM, inclusive; "none" where there is none
  pixels.py blink FILE TEXT_ON TEXT_OFF X Y COLOR_ON COLOR_OFF COUNT
      writes TEXT_ON into FILE, times how long until pixel (X, Y) shows COLOR_ON, then the same
      with TEXT_OFF and COLOR_OFF; COUNT rounds; prints every delay in ms and a summary line
"""
import hashlib
import os
import statistics
import sys
import time

from Xlib import X, display

screen = display.Display().screen()
root = screen.root


def pixel(x, y):
    raw = root.get_image(x, y, 1, 1, X.ZPixmap, 0xFFFFFFFF).data
    b, g, r = raw[0], raw[1], raw[2]
    return "%02X%02X%02X" % (r, g, b)


def write_atomically(path, text):
    tmp = path + ".new"
    with open(tmp, "w") as f:
        f.write(text)
    os.replace(tmp, path)


def wait_for(x, y, colour, timeout=5.0):
    start = time.monotonic()
    while time.monotonic() - start < timeout:
        if pixel(x, y) == colour:
            return (time.monotonic() - start) * 1000
        time.sleep(0.002)
    return None


def blink(path, on_text, off_text, x, y, on_colour, off_colour, count):
    delays = []
    for _ in range(count):
        for text, colour in ((on_text, on_colour), (off_text, off_colour)):
            write_atomically(path, text)
            delay = wait_for(x, y, colour)
            if delay is None:
                print("timeout waiting for %s at %d,%d (saw %s)" % (colour, x, y, pixel(x, y)))
                return 1
            delays.append(delay)
    print("delays_ms " + " ".join("%.0f" % d for d in delays))
    print("changes=%d median_ms=%.1f max_ms=%.1f" %
          (len(delays), statistics.median(delays), max(delays)))
    return 0


def frame(x, y, w, h):
    """The lowest rectangle drawn on the area's own background (the colour of its bottom-left
    corner): its bottom row is the first row from the bottom with anything on it, its sides the
    ends of that row, its top where its left side ends."""
    data = root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF).data

    def at(px, py):
        i = (py * w + px) * 4
        return data[i:i + 3]

    ground = at(0, h - 1)
    for bottom in range(h - 1, -1, -1):
        drawn = [px for px in range(w) if at(px, bottom) != ground]
        if drawn:
            break
    else:
        return None
    left, right = drawn[0], drawn[-1]
    top = bottom
    while top > 0 and at(left, top - 1) != ground:
        top -= 1
    return x + left, y + top, x + right, y + bottom


def main(args):
    if args[0] == "get":
        coords = list(map(int, args[1:]))
        print(" ".join(pixel(coords[i], coords[i + 1]) for i in range(0, len(coords), 2)))
        return 0
    if args[0] == "region":
        x, y, w, h = map(int, args[1:5])
        data = root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF).data
        print(hashlib.sha1(data).hexdigest())
        return 0
    if args[0] == "frame":
        found = frame(*map(int, args[1:5]))
        print(" ".join(map(str, found)) if found else "none")
        return 0
    if args[0] == "blink":
        return blink(args[1], args[2], args[3], int(args[4]), int(args[5]), args[6], args[7],
                     int(args[8]))
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
