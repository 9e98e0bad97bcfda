#!/usr/bin/env python3
"""Copies an IDL file, turning \\uXXXX escapes into GB2312 bytes (widl keeps
string bytes as they are and does not read escapes).

    make_idl.py IN.idl OUT.idl
"""
import re
import sys


def main(argv):
    with open(argv[1], encoding="ascii") as f:
        text = f.read()
    data = re.sub(r"\\u([0-9a-fA-F]{4})", lambda m: chr(int(m.group(1), 16)), text).encode("gb2312")
    try:
        with open(argv[2], "rb") as f:
            if f.read() == data:
                return 0
    except OSError:
        pass
    with open(argv[2], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
