#!/usr/bin/python3
"""Reads a library with olefile and checks the pages of one tab pages item:
their storages in the order of their order keys (the first field of each
page's "TabPageItemInfo" record) carry exactly the titles given, and a page
given as TITLE=TEXT holds TEXT in its "TabPageItemContent". Exits non-zero
when a check fails.

usage: expect_tab_pages.py LIBRARY FOLDER ITEM TITLE... [TITLE=TEXT]
(FOLDER "-": the folder that holds the item)"""
import struct
import sys

import olefile


def main(argv):
    path, folder, item = argv[1:4]
    wanted, texts = [], {}
    for arg in argv[4:]:
        title, _, text = arg.partition("=")
        wanted.append(title)
        if text:
            texts[title] = text.encode("latin-1")
    ole = olefile.OleFileIO(path)
    pages = []
    for entry in ole.listdir(streams=False, storages=True):
        if len(entry) == 3 and folder == "-" and entry[1] == item:
            folder = entry[0]
        if len(entry) == 3 and entry[0] == folder and entry[1] == item:
            info = ole.openstream(entry + ["TabPageItemInfo"]).read()
            if len(info) < 40:
                print("PROBLEM: %s has a short info record" % entry[2])
                return 1
            key, kind = struct.unpack("<iI", info[:8])
            pages.append((key, entry[2], kind & 0xFFFF))
    pages.sort(key=lambda p: p[0])
    titles = [p[1] for p in pages]
    print("pages:", [(t, k) for _, t, k in pages])
    problems = []
    if titles != wanted:
        problems.append("pages %r, expected %r" % (titles, wanted))
    if len({p[0] for p in pages}) != len(pages):
        problems.append("two pages share an order key")
    for title, text in texts.items():
        content = ole.openstream([folder, item, title, "TabPageItemContent"]).read()
        if text not in content:
            problems.append("%s does not hold %r" % (title, text))
    for p in problems:
        print("PROBLEM:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
