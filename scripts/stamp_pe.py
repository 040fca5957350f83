#!/usr/bin/env python3
"""Makes a linked PE file reproducible: sets its link time to the time of the source's last
commit (or SOURCE_DATE_EPOCH, or 0 outside a Git checkout) and fills in the header checksum,
so that two builds of one commit give the same bytes. Given the linker's map, it also points the
header's load configuration directory at the program's `_load_config_used` record, which GNU ld
links in but does not enter there.

usage: stamp_pe.py FILE SOURCE_DIR [MAP]"""
import os
import struct
import subprocess
import sys


def commit_time(source_dir):
    if "SOURCE_DATE_EPOCH" in os.environ:
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True).stdout.strip()
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return 0


def pe_checksum(data, checksum_offset):
    total = 0
    padded = data + b"\0" * (len(data) % 2)
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    # The checksum field itself counts as zero.
    for (word,) in struct.iter_unpack("<H", data[checksum_offset:checksum_offset + 4]):
        total -= word
        if total < 0:
            total += 0xFFFF
    total = (total & 0xFFFF) + (total >> 16)
    total = (total + (total >> 16)) & 0xFFFF
    return total + len(data)


LOAD_CONFIG_SIZE = 64  # what the record holds; the Windows XP loader takes no other size


def point_load_config(data, pe, map_path):
    with open(map_path) as f:
        found = [line.split()[0] for line in f if line.split()[1:2] in (["_load_config_used"], ["__load_config_used"])]
    if len(found) != 1:
        sys.exit(f"{map_path}: no single _load_config_used")
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] != 0x10B:
        sys.exit("not a PE32 file")
    (image_base,) = struct.unpack_from("<I", data, optional + 28)
    directory = optional + 96 + 10 * 8  # IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG
    struct.pack_into("<II", data, directory, int(found[0], 16) - image_base, LOAD_CONFIG_SIZE)


def main(path, source_dir, map_path=None):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    (pe,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: not a PE file")
    if map_path:
        point_load_config(data, pe, map_path)
    struct.pack_into("<I", data, pe + 8, commit_time(source_dir) & 0xFFFFFFFF)
    checksum_offset = pe + 24 + 64
    struct.pack_into("<I", data, checksum_offset, 0)
    struct.pack_into("<I", data, checksum_offset, pe_checksum(bytes(data), checksum_offset))
    with open(path, "rb") as f:
        if f.read() == data:
            return  # already stamped: keep the file's time
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(*sys.argv[1:4])
