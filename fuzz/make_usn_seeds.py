#!/usr/bin/env python3
"""Writes well-formed ENUM and READ replies as starting inputs for the USN reply fuzz targets.

Usage: make_usn_seeds.py OUTPUT_DIR
Creates OUTPUT_DIR/enum_reply/ and OUTPUT_DIR/journal_reply/. The replies are generated here
rather than kept in the repository as binary files. File reference numbers 16 to 24 are the
ones the journal target's prebuilt tables hold (record number, sequence 1).
"""
import os
import struct
import sys

HEADER = 60
ROOT = (5 << 48) | 5
DIRECTORY = 0x10
ARCHIVE = 0x20
CREATE, DELETE, OLD_NAME, NEW_NAME = 0x100, 0x200, 0x1000, 0x2000
DATA_EXTEND, CLOSE = 0x2, 0x80000000


def frn(record, sequence=1):
    return (sequence << 48) | record


def record(ref, parent, name, attributes=ARCHIVE, reason=0, usn=0, major=2, name_offset=HEADER):
    encoded = name.encode("utf-16-le")
    length = (name_offset + len(encoded) + 7) & ~7
    fixed = struct.pack("<IHHQQqqIIIIHH", length, major, 0, ref, parent, usn, 0, reason, 0, 0,
                        attributes, len(encoded), name_offset)
    body = fixed + b"\0" * (name_offset - HEADER) + encoded
    return body + b"\0" * (length - len(body))


def reply(header, *records):
    return struct.pack("<Q", header) + b"".join(records)


def enum_seeds():
    chain = [record(frn(100), ROOT, "top", DIRECTORY)]
    chain += [record(frn(101 + i), frn(100 + i), "d%d" % i, DIRECTORY) for i in range(120)]
    return {
        "header_only": reply(frn(17)),
        "small_tree": reply(
            frn(30), record(frn(16), ROOT, "Users", DIRECTORY),
            record(frn(17), frn(16), "Docs", DIRECTORY),
            record(frn(18), frn(17), "a.txt"), record(frn(19), ROOT, "README.TXT"),
            record(frn(20), frn(17), "\u540d\u5b57.doc"), record(frn(21), frn(99), "orphan"),
            record(frn(22), frn(22), "self"), record(frn(23), frn(16), "")),
        "other_version_between": reply(
            frn(17), record(frn(16), ROOT, "v2 before"),
            record(frn(40), ROOT, "version three", major=3), record(frn(17), ROOT, "v2 after")),
        "duplicate_frn": reply(0, record(frn(16), ROOT, "first"), record(frn(16), ROOT, "second")),
        "name_after_padding": reply(frn(16), record(frn(16), ROOT, "padded", name_offset=68)),
        "deep_chain": reply(frn(16), *chain),
        "cut_short": reply(frn(16), record(frn(16), ROOT, "whole"))[:-5],
    }


def journal_seeds():
    # First byte: bits 0-1 pick the table (0 empty, 1 small tree, 2 crowded), bit 2 reads twice.
    return {
        "create_new": b"\x01" + reply(500, record(frn(30), frn(17), "new.txt", reason=CREATE)),
        "create_in_empty": b"\x00" + reply(
            500, record(frn(16), ROOT, "Users", DIRECTORY, CREATE),
            record(frn(17), frn(16), "x", reason=CREATE | CLOSE)),
        "rename_and_move": b"\x01" + reply(
            900, record(frn(18), frn(17), "a.txt", reason=OLD_NAME),
            record(frn(18), frn(16), "A.txt", reason=NEW_NAME),
            record(frn(19), ROOT, "README.TXT", reason=NEW_NAME | CLOSE),
            record(frn(20), frn(17), "\u540d\u5b57.doc", reason=DELETE | CLOSE),
            record(frn(99), ROOT, "never seen", reason=DELETE)),
        "compaction": b"\x02" + reply(
            1200, *[record(frn(n), frn(17), "x", reason=DELETE) for n in (18, 19, 20, 21, 22, 23)],
            record(frn(40), frn(17), "after", reason=CREATE)),
        "temporary_file_twice": b"\x05" + reply(
            700, record(frn(31), frn(17), "~tmp", reason=CREATE),
            record(frn(31), frn(17), "~tmp", reason=CREATE | DELETE | CLOSE),
            record(frn(19), ROOT, "README.TXT", reason=DATA_EXTEND | CLOSE)),
        "header_only": b"\x01" + reply(800),
    }


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_usn_seeds.py OUTPUT_DIR")
    for target, seeds in (("enum_reply", enum_seeds()), ("journal_reply", journal_seeds())):
        folder = os.path.join(sys.argv[1], target)
        os.makedirs(folder, exist_ok=True)
        for name, data in seeds.items():
            with open(os.path.join(folder, name), "wb") as out:
                out.write(data)


if __name__ == "__main__":
    main()
