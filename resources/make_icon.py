#!/usr/bin/env python3
"""Writes resources/blinkbar.ico: 32 x 32, 24 bits per pixel, upper half black, lower half red,
a large white letter C across both halves."""
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
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up, as DIBs are stored
        row = b"".join(bytes((b, g, r)) for r, g, b in (pixel(x, y) for x in range(SIZE)))
        rows.append(row)
    xor = b"".join(rows)
    and_mask = bytes(4 * SIZE)  # 32 bits per row, all opaque
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 24, 0, len(xor) + len(and_mask),
                         0, 0, 0, 0)
    image = header + xor + and_mask
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 24, len(image), 6 + 16)
    with open(out, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main(sys.argv[1])
