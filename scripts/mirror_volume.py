#!/usr/bin/env python3
"""Writes a simulated NTFS volume of exactly COUNT records whose names are those of a real
tree (default /usr), copied under directories mirror-1, mirror-2, ... of the root until the
count is reached: USN_RECORD_V2 records back to back, as kxsearch_sim.exe reads KX_SIM_VOLUME.

    mirror_volume.py OUT.mft COUNT [ROOT]
"""
import os
import struct
import sys

ROOT_FRN = 5 | (5 << 48)
DIRECTORY = 0x10
NORMAL = 0x80


def tree(root):
    """(parent index or -1, name, is directory) in walk order; parents come first."""
    entries = []
    index_of = {root: -1}
    for path, dirs, files in os.walk(root):
        parent = index_of[path]
        for name in sorted(dirs):
            index_of[os.path.join(path, name)] = len(entries)
            entries.append((parent, name, True))
        for name in sorted(files):
            entries.append((parent, name, False))
    return entries


def record(frn, parent, name, attributes):
    encoded = name.encode("utf-16-le", "surrogatepass")[:510]
    length = (60 + len(encoded) + 7) // 8 * 8
    header = struct.pack("<IHHQQqqIIIIHH", length, 2, 0, frn, parent, 0, 0, 0, 0, 0,
                         attributes, len(encoded), 60)
    return (header + encoded).ljust(length, b"\0")


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit("usage: mirror_volume.py OUT.mft COUNT [ROOT]")
    count = int(sys.argv[2])
    entries = tree(sys.argv[3] if len(sys.argv) == 4 else "/usr")
    if not entries:
        sys.exit("mirror_volume.py: the tree is empty")
    written = 0
    next_record = 16
    copy = 0
    with open(sys.argv[1], "wb", buffering=1 << 22) as out:
        while written < count:
            copy += 1
            top = (next_record | (1 << 48))
            next_record += 1
            out.write(record(top, ROOT_FRN, "mirror-%d" % copy, DIRECTORY))
            written += 1
            frns = []
            chunk = []
            for parent, name, is_directory in entries:
                if written >= count:
                    break
                frn = next_record | (1 << 48)
                next_record += 1
                frns.append(frn)
                chunk.append(record(frn, top if parent < 0 else frns[parent], name,
                                    DIRECTORY if is_directory else NORMAL))
                written += 1
                if len(chunk) >= 65536:
                    out.write(b"".join(chunk))
                    chunk = []
            out.write(b"".join(chunk))


if __name__ == "__main__":
    main()
