#!/usr/bin/env python3
"""Builds the binary string table (Cnfg\\StringTable.stb) from its readable source.

The binary table has no header and no index: a text's key is the byte offset
at which it starts, and every text ends with a NUL. Gaps between texts are
filled with NULs, so a key that has no text of its own reads as an empty text.

Source format, one entry a line:

    <key><TAB><text>

- <key> is a decimal byte offset (0 or more); each key appears once.
- <text> runs to the end of the line. Escapes: \\n newline, \\t tab,
  \\\\ backslash, \\xHH one byte given in hex (not 00). Any other backslash
  sequence is an error.
- Lines that are empty or whose first non-blank character is '#' are skipped.

The source is read byte for byte (ANSI); bytes pass through unchanged.

The build fails, naming the keys involved, when a text with its NUL would run
into the next key, on a duplicate key, and on a malformed line.

Usage: make_string_table.py <source.txt> <out.stb>
"""

import os
import sys


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
    """Returns a list of (key, text bytes, line number) in source order."""
    entries = []
    seen = {}
    for number, raw in enumerate(source_bytes.split(b"\n"), start=1):
        line = raw[:-1] if raw.endswith(b"\r") else raw
        stripped = line.strip()
        if not stripped or stripped.startswith(b"#"):
            continue
        where = f"{name}:{number}"
        tab = line.find(b"\t")
        if tab < 0:
            raise TableError(f"{where}: expected <key><TAB><text>")
        key_text = line[:tab].strip()
        if not key_text.isdigit():
            raise TableError(f"{where}: key {key_text.decode('latin-1')!r} is not a decimal number")
        key = int(key_text)
        if key in seen:
            raise TableError(f"{where}: key {key} is already defined at line {seen[key]}")
        seen[key] = number
        entries.append((key, unescape(line[tab + 1:], where), number))
    return entries


def build(entries, name):
    """Lays the texts out at their offsets; fails on overlapping texts."""
    ordered = sorted(entries, key=lambda e: e[0])
    for (key, text, line), (next_key, _, next_line) in zip(ordered, ordered[1:]):
        end = key + len(text) + 1  # one past the NUL
        if end > next_key:
            raise TableError(
                f"{name}:{line}: text of key {key} ({len(text)} bytes and its NUL) runs "
                f"{end - next_key} byte(s) into key {next_key} (line {next_line}); "
                f"at most {next_key - key - 1} bytes fit")
    size = max((key + len(text) + 1 for key, text, _ in ordered), default=0)
    table = bytearray(size)
    for key, text, _ in ordered:
        table[key:key + len(text)] = text
    return bytes(table)


def main(argv):
    if len(argv) != 3:
        print("usage: make_string_table.py <source.txt> <out.stb>", file=sys.stderr)
        return 2
    source, target = argv[1], argv[2]
    try:
        with open(source, "rb") as f:
            data = f.read()
        table = build(parse(data, source), source)
    except OSError as e:
        print(f"make_string_table: {e}", file=sys.stderr)
        return 1
    except TableError as e:
        print(f"make_string_table: {e}", file=sys.stderr)
        return 1
    folder = os.path.dirname(target)
    if folder:
        os.makedirs(folder, exist_ok=True)
    # Write beside the target and move it in place, so a failed run never leaves half a table.
    temporary = target + ".tmp"
    with open(temporary, "wb") as f:
        f.write(table)
    os.replace(temporary, target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
