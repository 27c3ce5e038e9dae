#!/usr/bin/env python3
"""Writes the fixture volume of the window tests: an MFT file (USN_RECORD_V2 records back to
back, as an enumeration reply carries them after its 8-byte header) and its sidecar of sizes
and times, for KX_SIM_VOLUME and KX_SIM_SIDECAR of kxsearch_sim.exe.

    make_fixture_volume.py OUT.mft OUT.sidecar

The tree, below the root of C: (record numbers from 16, in this order):
    Reports\\                       directory
    Reports\\report-001.docx ...   40 documents, report-k.docx of k * 1000 bytes
    Photos\\                        directory
    Photos\\photo-001.jpg ...      30 images, 2 MB each
    Projects\\                      directory with build.zip, tool.exe, notes.txt, README and
                                   会议记录.docx
So the query "report" finds 41 names (the directory and its 40 files) of which 40 are
documents; "photo" finds 31, 30 of them images; "e" finds every name holding an e.
"""
import struct
import sys

ROOT = 5 | (5 << 48)
DIRECTORY = 0x10
NORMAL = 0x80
BASE_TIME = 134178567600000000  # 2026-03-14 09:26 UTC
HOUR = 36000000000


def reference(record):
    return record | (1 << 48)


def usn_record(frn, parent, name, attributes, usn):
    encoded = name.encode("utf-16-le")
    length = (60 + len(encoded) + 7) // 8 * 8
    header = struct.pack("<IHHQQqqIIIIHH", length, 2, 0, frn, parent, usn, 0, 0, 0, 0,
                         attributes, len(encoded), 60)
    return (header + encoded).ljust(length, b"\0")


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_fixture_volume.py OUT.mft OUT.sidecar")
    entries = []  # (frn, parent, name, attributes, size)

    def add(parent, name, attributes, size=0):
        frn = reference(16 + len(entries))
        entries.append((frn, parent, name, attributes, size))
        return frn

    reports = add(ROOT, "Reports", DIRECTORY)
    for k in range(1, 41):
        add(reports, "report-%03d.docx" % k, NORMAL, k * 1000)
    photos = add(ROOT, "Photos", DIRECTORY)
    for k in range(1, 31):
        add(photos, "photo-%03d.jpg" % k, NORMAL, 2 * 1024 * 1024)
    projects = add(ROOT, "Projects", DIRECTORY)
    for name, size in (("build.zip", 10485760), ("tool.exe", 545280), ("notes.txt", 1023),
                       ("README", 300), ("\u4f1a\u8bae\u8bb0\u5f55.docx", 35120)):
        add(projects, name, NORMAL, size)

    with open(sys.argv[1], "wb") as mft:
        for index, (frn, parent, name, attributes, _) in enumerate(entries):
            mft.write(usn_record(frn, parent, name, attributes, 8 * (index + 1)))
    with open(sys.argv[2], "w", encoding="utf-8") as sidecar:
        sidecar.write("# FRN SIZE LASTWRITE CREATION\n")
        for index, (frn, _, _, _, size) in enumerate(entries):
            created = BASE_TIME + index * HOUR
            sidecar.write("0x%x %d %d %d\n" % (frn, size, created + 2 * HOUR, created))


if __name__ == "__main__":
    main()
