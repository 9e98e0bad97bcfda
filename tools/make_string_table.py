#!/usr/bin/env python3
"""Builds the binary string table (Cnfg\\StringTable.stb) from its readable source,
and the header of the keys' names that the code fetches the texts by.

The binary table has no header and no index: a text's key is the byte offset
at which it starts, and every text ends with a NUL. Gaps between texts are
filled with NULs, so a key that has no text of its own reads as an empty text.

Source format, one entry a line:

    <key><TAB><name><TAB><text>

- <key> is a decimal byte offset (0 or more); each key appears once.
- <name> names the key in the code: a capital letter, then letters and digits
  ("TipCaption" becomes kTextTipCaption). Each name appears once.
- <text> runs to the end of the line. Escapes: \\n newline, \\t tab,
  \\\\ backslash, \\xHH one byte given in hex (not 00). Any other backslash
  sequence is an error.
- Lines that are empty or whose first non-blank character is '#' are skipped.

The source is read byte for byte (ANSI); bytes pass through unchanged.

The build fails, naming the keys involved, when a text with its NUL would run
into the next key, on a duplicate key or name, and on a malformed line.

The header is an enumeration of the names with their keys. Code names a text
only through it, so a key the code uses and the table lacks does not compile.
It holds no texts and is rewritten only when a key or a name changes, so a
changed wording does not rebuild everything.

Usage: make_string_table.py <source.txt> <out.stb> [<out.h>]
"""

import os
import re
import sys

NAME = re.compile(rb"[A-Z][A-Za-z0-9]*\Z")


class TableError(Exception):
    pass


def unescape(text, where):
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c != 0x5C:  # backslash
            out.append(c)
            i += 1
            continue
        if i + 1 >= len(text):
            raise TableError(f"{where}: backslash at the end of the line")
        e = chr(text[i + 1])
        if e == "n":
            out.append(0x0A)
            i += 2
        elif e == "t":
            out.append(0x09)
            i += 2
        elif e == "\\":
            out.append(0x5C)
            i += 2
        elif e == "x":
            digits = text[i + 2:i + 4].decode("latin-1")
            if len(digits) != 2 or any(d not in "0123456789abcdefABCDEF" for d in digits):
                raise TableError(f"{where}: \\x needs two hex digits")
            value = int(digits, 16)
            if value == 0:
                raise TableError(f"{where}: \\x00 would end the text early")
            out.append(value)
            i += 4
        else:
            raise TableError(f"{where}: unknown escape \\{e}")
    if 0 in out:
        raise TableError(f"{where}: the text contains a NUL byte")
    return bytes(out)


def parse(source_bytes, name):
    """Returns a list of (key, text bytes, line number, key name) in source order."""
    entries = []
    seen = {}
    names = {}
    for number, raw in enumerate(source_bytes.split(b"\n"), start=1):
        line = raw[:-1] if raw.endswith(b"\r") else raw
        stripped = line.strip()
        if not stripped or stripped.startswith(b"#"):
            continue
        where = f"{name}:{number}"
        tab = line.find(b"\t")
        if tab < 0:
            raise TableError(f"{where}: expected <key><TAB><name><TAB><text>")
        key_text = line[:tab].strip()
        if not key_text.isdigit():
            raise TableError(f"{where}: key {key_text.decode('latin-1')!r} is not a decimal number")
        key = int(key_text)
        if key in seen:
            raise TableError(f"{where}: key {key} is already defined at line {seen[key]}")
        seen[key] = number
        second = line.find(b"\t", tab + 1)
        if second < 0:
            raise TableError(f"{where}: expected <key><TAB><name><TAB><text>")
        key_name = line[tab + 1:second].strip()
        if not NAME.match(key_name):
            raise TableError(f"{where}: name {key_name.decode('latin-1')!r} of key {key} is not a capital "
                             f"letter followed by letters and digits")
        key_name = key_name.decode("ascii")
        if key_name in names:
            raise TableError(f"{where}: name {key_name} is already given to key {names[key_name][0]} "
                             f"at line {names[key_name][1]}")
        names[key_name] = (key, number)
        entries.append((key, unescape(line[second + 1:], where), number, key_name))
    return entries


def build(entries, name):
    """Lays the texts out at their offsets; fails on overlapping texts."""
    ordered = sorted(entries, key=lambda e: e[0])
    for (key, text, line, _), (next_key, _, next_line, _) in zip(ordered, ordered[1:]):
        end = key + len(text) + 1  # one past the NUL
        if end > next_key:
            raise TableError(
                f"{name}:{line}: text of key {key} ({len(text)} bytes and its NUL) runs "
                f"{end - next_key} byte(s) into key {next_key} (line {next_line}); "
                f"at most {next_key - key - 1} bytes fit")
    size = max((key + len(text) + 1 for key, text, _, _ in ordered), default=0)
    table = bytearray(size)
    for key, text, _, _ in ordered:
        table[key:key + len(text)] = text
    return bytes(table)


def header(entries, source):
    lines = [
        f"// Generated from {os.path.basename(source)} by tools/make_string_table.py: edit the table, not this file.",
        "#pragma once",
        "",
        "namespace vellora {",
        "",
        "// The keys of the string table, each the byte offset of its text in",
        "// Cnfg\\StringTable.stb. Texts are fetched by these names only, so a key",
        "// the table lacks does not compile.",
        "enum TextKey : int {",
    ]
    # Names and keys only: a changed wording leaves the header as it is.
    for key, _, _, key_name in sorted(entries, key=lambda e: e[0]):
        lines.append(f"  kText{key_name} = {key},")
    lines += ["};", "", "}  // namespace vellora", ""]
    return "\n".join(lines).encode("ascii")


def write_whole(path, data, only_if_changed=False):
    """Writes beside the target and moves it in place, so a failed run never leaves half a file."""
    if only_if_changed and os.path.exists(path):
        with open(path, "rb") as f:
            if f.read() == data:
                return
    folder = os.path.dirname(path)
    if folder:
        os.makedirs(folder, exist_ok=True)
    temporary = path + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


def main(argv):
    if len(argv) not in (3, 4):
        print("usage: make_string_table.py <source.txt> <out.stb> [<out.h>]", file=sys.stderr)
        return 2
    source, target = argv[1], argv[2]
    try:
        with open(source, "rb") as f:
            data = f.read()
        entries = parse(data, source)
        table = build(entries, source)
    except OSError as e:
        print(f"make_string_table: {e}", file=sys.stderr)
        return 1
    except TableError as e:
        print(f"make_string_table: {e}", file=sys.stderr)
        return 1
    write_whole(target, table)
    if len(argv) == 4:
        write_whole(argv[3], header(entries, source), only_if_changed=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
