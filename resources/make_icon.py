#!/usr/bin/env python3
"""Writes resources/blinkbar.ico: 32 x 32, upper half black, lower half red, a large white letter C
across both halves. Three colours: stored with a palette of 16 at 4 bits a pixel, the same picture
in a quarter of the bytes of 24 bits a pixel."""
import struct
import sys

SIZE = 32


def letter_c(x, y):
    # A thick ring open to the right: distance from the centre between 8 and 13 pixels.
    dx, dy = x - 15.5, y - 15.5
    d2 = dx * dx + dy * dy
    return 8 * 8 <= d2 <= 13.5 * 13.5 and not (dx > 3 and abs(dy) < 6)


def pixel(x, y):
    if letter_c(x, y):
        return (255, 255, 255)
    return (0, 0, 0) if y < SIZE // 2 else (255, 0, 0)


def main(out):
    colours = [(0, 0, 0), (255, 0, 0), (255, 255, 255)]
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours).ljust(16 * 4, b"\0")
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up, as DIBs are stored
        index = [colours.index(pixel(x, y)) for x in range(SIZE)]
        rows.append(bytes(index[x] << 4 | index[x + 1] for x in range(0, SIZE, 2)))
    xor = b"".join(rows)
    and_mask = bytes(4 * SIZE)  # 32 bits per row, all opaque
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(and_mask),
                         0, 0, 16, 0)
    image = header + palette + xor + and_mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    with open(out, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main(sys.argv[1])
