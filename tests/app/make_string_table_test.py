#!/usr/bin/env python3
"""Runs the string-table generator on small sources and checks its output and its refusals.

Usage: make_string_table_test.py <path of make_string_table.py>
"""

import os
import subprocess
import sys
import tempfile
import unittest

GENERATOR = None


def run(source_bytes, folder):
    source = os.path.join(folder, "table.txt")
    target = os.path.join(folder, "out", "Cnfg", "StringTable.stb")
    with open(source, "wb") as f:
        f.write(source_bytes)
    result = subprocess.run([sys.executable, GENERATOR, source, target], capture_output=True, text=True)
    table = None
    if os.path.exists(target):
        with open(target, "rb") as f:
            table = f.read()
    return result.returncode, result.stderr, table


class Layout(unittest.TestCase):
    def test_texts_sit_at_their_offsets_with_gaps_of_nul(self):
        with tempfile.TemporaryDirectory() as d:
            code, err, table = run(b"# comment\n\n8\tQuery\n1\tTahoma\n20\tx\n", d)
            self.assertEqual(code, 0, err)
            self.assertEqual(table, b"\0Tahoma\0" + b"Query\0" + b"\0" * 6 + b"x\0")

    def test_escapes_and_ansi_bytes(self):
        with tempfile.TemporaryDirectory() as d:
            code, err, table = run(b"0\ta\\nb\\tc\\\\d\\xe9 \xe8\r\n", d)
            self.assertEqual(code, 0, err)
            self.assertEqual(table, b"a\nb\tc\\d\xe9 \xe8\0")

    def test_text_may_end_right_before_the_next_key(self):
        with tempfile.TemporaryDirectory() as d:
            code, err, table = run(b"4165\tAdd Information Item\n4186\tnext\n", d)
            self.assertEqual(code, 0, err)
            self.assertEqual(table[4165:4186], b"Add Information Item\0")
            self.assertEqual(table[4186:], b"next\0")


class Refusals(unittest.TestCase):
    def refused(self, source):
        with tempfile.TemporaryDirectory() as d:
            code, err, table = run(source, d)
            self.assertNotEqual(code, 0)
            self.assertIsNone(table, "no table may be written")
            return err

    def test_text_running_into_the_next_key(self):
        err = self.refused(b"3584\tQuestion\n3590\tSave?\n")
        self.assertIn("3584", err)
        self.assertIn("3590", err)

    def test_text_whose_nul_lands_on_the_next_key(self):
        err = self.refused(b"10\tabcde\n15\tz\n")
        self.assertIn("10", err)
        self.assertIn("15", err)

    def test_duplicate_key(self):
        err = self.refused(b"1\tTahoma\n3739\tTip\n1\tArial\n")
        self.assertIn("key 1 ", err)
        self.assertIn("line 1", err)

    def test_malformed_lines(self):
        for bad in (b"1 Tahoma\n", b"x1\tTahoma\n", b"-1\tTahoma\n", b"1\tend\\\n", b"1\tbad \\q\n",
                    b"1\tnul \\x00\n", b"1\thex \\xg1\n"):
            with self.subTest(source=bad):
                self.refused(bad)


if __name__ == "__main__":
    GENERATOR = sys.argv.pop(1)
    unittest.main()
