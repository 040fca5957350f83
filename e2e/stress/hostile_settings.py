#!/usr/bin/env python3
"""Writes one hostile settings file: hostile_settings.py CASE PATH. The cases are the ones
hostile.sh walks through; every random byte comes from a fixed seed."""
import random
import sys

BIG = 50 * 1024 * 1024


def fifty_megabytes():
    head = b"[Settings]\r\nWinX=300\r\nIconSize=2\r\n"
    line = b"Filler%07d = " + b"x" * 80 + b"\r\n"
    out = [head]
    size, n = len(head), 0
    while size < BIG:
        chunk = line % n
        out.append(chunk)
        size += len(chunk)
        n += 1
    return b"".join(out)


CASES = {
    "fifty-megabytes": fifty_megabytes,
    "random-bytes": lambda: random.Random(7).randbytes(1024 * 1024),
    "long-lines": lambda: (b"[" + b"S" * 100000 + b"]\r\n[Settings]\r\nWinX = " + b"9" * 100000 +
                           b"\r\nDrives = " + b"1" * 100000 + b"\r\n" + b"K" * 100000 +
                           b" = 5\r\nReadColor = " + b"F" * 100000 + b"\r\n"),
    "nul-bytes": lambda: (b"[Settings]\r\nWinX = 1\x0000\r\nIconSize = 2\x00\r\n\x00\x00"
                          b"Drives = 10\x001\r\nTransparency\x00 = 50\r\n\x00[Settings\x00]\r\n"),
    "beyond-32-bits": lambda: (b"[Settings]\r\nWinX = 99999999999999999999\r\nWinY = 4294967306\r\n"
                               b"IconSize = 4294967298\r\nTransparency = 18446744073709551615\r\n"
                               b"HDD Detect Interval = 99999999999\r\nLocked = 4294967297\r\n"),
    "negative": lambda: (b"[Settings]\r\nWinX = -5000\r\nWinY = -300\r\nIconSize = -1\r\n"
                         b"Transparency = -255\r\nHDD Detect Interval = -10\r\n"
                         b"Minimize Button = -1\r\n"),
    "drives-1000": lambda: b"[Settings]\r\nDrives = " + b"01" * 500 + b"\r\n",
}

if __name__ == "__main__":
    with open(sys.argv[2], "wb") as f:
        f.write(CASES[sys.argv[1]]())
