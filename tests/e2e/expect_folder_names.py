#!/usr/bin/python3
"""Reads a library with olefile, which takes each directory entry's name
length at its word, and checks that the root holds storages of exactly the
names given, and that no entry's name carries a NUL or disagrees with its
length. Exits non-zero when a check fails."""
import sys

import olefile


def main(argv):
    path, wanted = argv[1], argv[2:]
    ole = olefile.OleFileIO(path)
    problems = []
    for entry in ole.direntries:
        if entry is None or entry.entry_type == olefile.STGTY_EMPTY:
            continue
        if "\0" in entry.name:
            problems.append("entry %d is named %r" % (entry.sid, entry.name))
    folders = [p[0] for p in ole.listdir(streams=False, storages=True) if len(p) == 1]
    print("folders:", folders)
    for name in wanted:
        if name not in folders:
            problems.append("no folder named %r" % name)
    for p in problems:
        print("PROBLEM:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
