#!/usr/bin/python3
"""Prints the tree of a library file with an independent reader (olefile).

With --contents it also checks the content of every leaf node by its kind
(text: rich text; web address: one counted string; saved page: a web
archive whose first part is the page's HTML with its address as
Content-Location) and that siblings have distinct sequence numbers.

With --check it also verifies what every library made by Vellora must hold:
the settings storage with its four streams, folder storages whose class ids
carry the kind (Data2) and the order (Data3), 40-byte node records and item
info records. Exits non-zero when a check fails.
"""
import email
import email.policy
import struct
import sys
import uuid

import olefile


def clsid_fields(text):
    if not text:
        return 0, 0, 0, b"\0" * 8
    u = uuid.UUID(text)
    d1, d2, d3 = struct.unpack(">IHH", u.bytes[:8])
    return d1, d2, d3, u.bytes[8:]


def check_leaf(path, kind, content):
    """Problems of one leaf's content (after its 40-byte record)."""
    name = "/".join(path)
    if kind == 1:
        if content and not content.startswith(b"{\\rtf"):
            return ["%s: text that is not rich text" % name]
    elif kind == 3:
        if len(content) < 4:
            return ["%s: no counted string" % name]
        count = struct.unpack("<I", content[:4])[0]
        text = content[4:4 + count]
        if count % 2 or len(text) != count or not text.endswith(b"\0\0") or len(content) != 4 + count:
            return ["%s: a malformed counted string" % name]
        print("  %s -> %s" % (name, text[:-2].decode("utf-16-le")))
    elif kind == 4:
        message = email.message_from_bytes(content, policy=email.policy.compat32)
        if message.get_content_type() != "multipart/related" or not message.is_multipart():
            return ["%s: not a multipart/related web archive" % name]
        first = message.get_payload()[0]
        html = first.get_payload(decode=True) or b""
        if first.get_content_type() != "text/html" or not first.get("Content-Location") or b"<" not in html:
            return ["%s: the archive's first part is not the page" % name]
        print("  %s -> %s, %d bytes of HTML" % (name, first.get("Content-Location"), len(html)))
    return []


def check_contents(ole, entries):
    problems = []
    sequences = {}
    for path in entries:
        if path[0].startswith("#$") or len(path) < 2 or path[-1].upper() == "#BOOKFOLDERITEMINFO#":
            continue
        if path[-1] in ("FolderItemInfo", "FolderItemContent", "TabPageItemInfo", "TabPageItemContent"):
            continue
        if ole.get_type(path) == olefile.STGTY_STREAM:
            data = ole.openstream(path).read()
            if len(data) < 40:
                problems.append("%s is shorter than its record" % "/".join(path))
                continue
            sequence, kind = struct.unpack("<iH", data[:6])
            problems += check_leaf(path, kind, data[40:])
        elif ole.exists(path + ["#BOOKFOLDERITEMINFO#"]):
            sequence = struct.unpack("<i", ole.openstream(path + ["#BOOKFOLDERITEMINFO#"]).read(4))[0]
        else:
            continue  # a catalog item
        parent = tuple(path[:-1])
        if sequence in sequences.setdefault(parent, set()):
            problems.append("two children of %s share sequence number %d" % ("/".join(parent), sequence))
        sequences[parent].add(sequence)
    return problems


def main(argv):
    check = "--check" in argv
    paths = [a for a in argv[1:] if not a.startswith("--")]
    ole = olefile.OleFileIO(paths[0])
    problems = []
    entries = sorted(ole.listdir(streams=True, storages=True))
    folder_orders = []
    folder_kinds = set()
    for path in entries:
        depth = len(path) - 1
        name = path[-1]
        kind = ole.get_type(path)
        line = "  " * depth + ("[%s]" % name if kind == olefile.STGTY_STORAGE else name)
        if kind == olefile.STGTY_STORAGE and depth == 0 and name != "#$LibrarySetting#$":
            d1, d2, d3, d4 = clsid_fields(ole.getclsid(path))
            line += "  kind=%d order=%d" % (d2, d3)
            folder_orders.append(d3)
            folder_kinds.add(d2)
            if d1 != 0 or d4 != b"\0" * 8 or d2 not in (1, 2):
                problems.append("folder %s has class id %s" % (name, ole.getclsid(path)))
        if kind == olefile.STGTY_STREAM:
            size = ole.get_size(path)
            line += "  (%d bytes)" % size
            if name in ("FolderItemInfo", "#BOOKFOLDERITEMINFO#") and size < 40:
                problems.append("%s is shorter than its 40-byte record" % "/".join(path))
        print(line)
    settings = "#$LibrarySetting#$"
    if not ole.exists(settings):
        problems.append("no settings storage")
    for stream in ("LIBRARY_BOOKMARK", "LIBRARY_MAININFO", "LIBRARY_LASTINTERFACE"):
        if not ole.exists(settings + "/" + stream):
            problems.append("no %s" % stream)
    if ole.root.clsid not in ("", "00000000-0000-0000-0000-000000000000"):
        problems.append("root class id is %s" % ole.root.clsid)
    if sorted(folder_orders) != list(range(1, len(folder_orders) + 1)):
        problems.append("folder order numbers are %s" % sorted(folder_orders))
    if folder_kinds != {1, 2}:
        problems.append("folder kinds are %s" % sorted(folder_kinds))
    for path in entries:
        if path[-1] == "#BOOKFOLDERITEMINFO#" or (
                len(path) >= 2 and ole.get_type(path) == olefile.STGTY_STREAM
                and not path[0].startswith("#$") and path[-1] not in
                ("FolderItemInfo", "FolderItemContent", "TabPageItemInfo", "TabPageItemContent")):
            head = ole.openstream(path).read(40)
            if len(head) < 40 or head[32:40] != b"\0" * 8:
                problems.append("node record of %s is malformed" % "/".join(path))
    if "--contents" in argv:
        problems += check_contents(ole, entries)
    for p in problems:
        print("PROBLEM:", p)
    return 1 if (check and problems) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
