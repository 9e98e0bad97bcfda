#!/usr/bin/python3
"""Reads a web archive with Python's email package and checks it against the
site it was made from: a multipart/related message whose first part is the
page (text/html, with the page's file: address as Content-Location), and one
part for every other file of the site, each named by the file's address and
holding the file's bytes (line ends aside for text parts, which the reader
gives with LF). Exits non-zero when a check fails.

usage: expect_web_archive.py FOLDER   (FOLDER holds page.mht and site/)"""
import email
import email.policy
import os
import sys


def main(argv):
    folder = argv[1]
    site = os.path.join(folder, "site")
    with open(os.path.join(folder, "page.mht"), "rb") as f:
        message = email.message_from_bytes(f.read(), policy=email.policy.compat32)
    problems = []
    if message.get_content_type() != "multipart/related" or not message.is_multipart():
        print("not a multipart/related message")
        return 1
    parts = message.get_payload()
    first = parts[0]
    page = first.get("Content-Location", "")
    if first.get_content_type() != "text/html" or not page.startswith("file:///") or not page.endswith("/page.html"):
        problems.append("the first part is not the page: %s %s" % (first.get_content_type(), page))
    prefix = page[: -len("page.html")]
    wanted = set()
    for root, _, names in os.walk(site):
        for name in names:
            wanted.add(os.path.relpath(os.path.join(root, name), site).replace(os.sep, "/"))
    seen = set()
    for part in parts:
        location = part.get("Content-Location", "")
        if not location.startswith(prefix):
            problems.append("a part outside the site: %s" % location)
            continue
        name = location[len(prefix):]
        if name in seen:
            problems.append("twice: %s" % name)
        seen.add(name)
        with open(os.path.join(site, name), "rb") as f:
            expected = f.read()
        got = part.get_payload(decode=True) or b""
        text = part.get_content_maintype() == "text" or "javascript" in part.get_content_type()
        if text:
            expected, got = expected.replace(b"\r\n", b"\n"), got.replace(b"\r\n", b"\n")
            if part.get_content_charset() is None:
                problems.append("%s: a text part without a charset" % name)
        elif part.get("Content-Transfer-Encoding", "").lower() != "base64":
            problems.append("%s: a binary part not in base64" % name)
        if got != expected:
            problems.append("%s: %d bytes read, %d in the file" % (name, len(got), len(expected)))
        print("  %-16s %-26s %6d bytes" % (name, part.get_content_type(), len(got)))
    if seen != wanted:
        problems.append("parts %s, files %s" % (sorted(seen), sorted(wanted)))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
