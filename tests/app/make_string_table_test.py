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


def run(source_bytes, folder, with_header=False):
    source = os.path.join(folder, "table.txt")
    target = os.path.join(folder, "out", "Cnfg", "StringTable.stb")
    keys = os.path.join(folder, "out", "keys", "TextKeys.h")
    with open(source, "wb") as f:
        f.write(source_bytes)
    command = [sys.executable, GENERATOR, source, target] + ([keys] if with_header else [])
    result = subprocess.run(command, capture_output=True, text=True)
    table = None
    if os.path.exists(target):
        with open(target, "rb") as f:
            table = f.read()
    return result.returncode, result.stderr, table


class Layout(unittest.TestCase):
    def test_texts_sit_at_their_offsets_with_gaps_of_nul(self):
        with tempfile.TemporaryDirectory() as d:
            code, err, table = run(b"# comment\n\n8\tQuery\tQuery\n1\tFace\tTahoma\n20\tX\tx\n", d)
            self.assertEqual(code, 0, err)
            self.assertEqual(table, b"\0Tahoma\0" + b"Query\0" + b"\0" * 6 + b"x\0")

    def test_escapes_and_ansi_bytes(self):
        with tempfile.TemporaryDirectory() as d:
            code, err, table = run(b"0\tText\ta\\nb\\tc\\\\d\\xe9 \xe8\r\n", d)
            self.assertEqual(code, 0, err)
            self.assertEqual(table, b"a\nb\tc\\d\xe9 \xe8\0")

    def test_text_may_end_right_before_the_next_key(self):
        with tempfile.TemporaryDirectory() as d:
            code, err, table = run(b"4165\tCaption\tAdd Information Item\n4186\tNext\tnext\n", d)
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
        err = self.refused(b"3584\tQuestion\tQuestion\n3590\tSave\tSave?\n")
        self.assertIn("3584", err)
        self.assertIn("3590", err)

    def test_text_whose_nul_lands_on_the_next_key(self):
        err = self.refused(b"10\tA\tabcde\n15\tZ\tz\n")
        self.assertIn("10", err)
        self.assertIn("15", err)

    def test_duplicate_key(self):
        err = self.refused(b"1\tFace\tTahoma\n3739\tTip\tTip\n1\tOther\tArial\n")
        self.assertIn("key 1 ", err)
        self.assertIn("line 1", err)

    def test_malformed_lines(self):
        for bad in (b"1 Tahoma\n", b"x1\tFace\tTahoma\n", b"-1\tFace\tTahoma\n", b"1\tFace\tend\\\n",
                    b"1\tFace\tbad \\q\n", b"1\tFace\tnul \\x00\n", b"1\tFace\thex \\xg1\n"):
            with self.subTest(source=bad):
                self.refused(bad)

    def test_key_without_a_name(self):
        for bad in (b"1\tTahoma\n", b"1\t\tTahoma\n"):
            with self.subTest(source=bad):
                self.assertIn("1", self.refused(bad))

    def test_names_that_are_not_identifiers(self):
        for bad in (b"1\tfont\tTahoma\n", b"1\t2Face\tTahoma\n", b"1\tFont Face\tTahoma\n",
                    b"1\tFace_1\tTahoma\n"):
            with self.subTest(source=bad):
                self.refused(bad)

    def test_a_name_given_twice(self):
        err = self.refused(b"1\tCaption\tTahoma\n3739\tCaption\tTip\n")
        self.assertIn("Caption", err)
        self.assertIn("1", err)

    def test_no_header_is_written_when_refused(self):
        with tempfile.TemporaryDirectory() as d:
            code, _, _ = run(b"1\tFace\tTahoma\n1\tFace\tArial\n", d, with_header=True)
            self.assertNotEqual(code, 0)
            self.assertFalse(os.path.exists(os.path.join(d, "out", "keys", "TextKeys.h")))


class Header(unittest.TestCase):
    def header(self, folder):
        with open(os.path.join(folder, "out", "keys", "TextKeys.h"), "rb") as f:
            return f.read().decode("ascii")

    def test_every_key_is_named_once_in_key_order(self):
        with tempfile.TemporaryDirectory() as d:
            code, err, _ = run(b"3739\tTipCaption\tTip\n1\tFontFace\tTahoma\n131\tFail\tF\\\\x\\xe9\n", d,
                               with_header=True)
            self.assertEqual(code, 0, err)
            text = self.header(d)
            names = [line.split("=")[0].strip() for line in text.splitlines() if line.startswith("  kText")]
            self.assertEqual(names, ["kTextFontFace", "kTextFail", "kTextTipCaption"])
            self.assertIn("kTextFontFace = 1,", text)
            self.assertIn("kTextTipCaption = 3739,", text)

    def test_a_changed_wording_leaves_the_header_alone_and_a_new_key_rewrites_it(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "out", "keys", "TextKeys.h")
            self.assertEqual(run(b"1\tFace\tTahoma\n", d, with_header=True)[0], 0)
            os.utime(path, (1000000000, 1000000000))
            self.assertEqual(run(b"1\tFace\tArial\n", d, with_header=True)[0], 0)
            self.assertEqual(os.stat(path).st_mtime, 1000000000)
            self.assertEqual(run(b"1\tFace\tArial\n1000\tTip\tTip\n", d, with_header=True)[0], 0)
            self.assertNotEqual(os.stat(path).st_mtime, 1000000000)
            self.assertIn("kTextTip = 1000,", self.header(d))


if __name__ == "__main__":
    GENERATOR = sys.argv.pop(1)
    unittest.main()
