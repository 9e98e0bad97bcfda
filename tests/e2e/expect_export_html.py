#!/usr/bin/python3
"""Reads an HTML export with Python's own HTML parser: every element closed in
order, every table-of-contents link leading to a heading, the headings of the
library in order, the note's formatting, and protected content left out.

usage: expect_export_html.py FILE.html"""
import sys
from html.parser import HTMLParser

VOID = {"br", "meta", "hr", "img", "input", "link"}


class Reader(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack, self.errors, self.ids, self.hrefs = [], [], set(), []
        self.headings, self.text, self.inside = [], [], []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        if tag == "a" and "href" in attrs:
            self.hrefs.append(attrs["href"])
        if tag not in VOID:
            self.stack.append((tag, attrs))
        self.inside.append(tag)

    def handle_endtag(self, tag):
        if tag in VOID:
            return
        if not self.stack or self.stack[-1][0] != tag:
            self.errors.append("</%s> closes %s" % (tag, self.stack[-1][0] if self.stack else "nothing"))
            return
        self.stack.pop()

    def handle_data(self, data):
        tags = [t for t, _ in self.stack]
        if tags and tags[-1] in ("h1", "h2", "h3", "h4", "h5", "h6"):
            self.headings.append((tags[-1], data))
        self.text.append((tuple(tags), " ".join(at.get("style", "") for _, at in self.stack), data))


def main():
    page = open(sys.argv[1], encoding="utf-8").read()
    r = Reader()
    r.feed(page)
    r.close()
    failures = list(r.errors)
    if r.stack:
        failures.append("left open: %s" % [t for t, _ in r.stack])
    for href in r.hrefs:
        if href.startswith("#") and href[1:] not in r.ids:
            failures.append("contents link %s leads nowhere" % href)
    expected = [("h1", "Notes"), ("h2", "Rich"), ("h2", "Projects"), ("h3", "Plan: spring"),
                ("h1", "Box"), ("h2", "Site"), ("h2", "People"), ("h2", "Files")]
    if r.headings != expected:
        failures.append("headings %s, expected %s" % (r.headings, expected))

    def styled(word, tag=None, style=None):
        for tags, attrs, data in r.text:
            if word in data and (tag is None or tag in tags) and (style is None or style in attrs):
                return True
        return False

    for word, tag, style in [("bold", "b", None), ("italic", "i", None), ("under", "u", None), ("gone", "s", None),
                             ("red", None, "color:#ff0000"), ("marked", None, "background-color:#ffff00"),
                             ("big", None, "font-size:18pt"), ("centred", "p", "text-align:center"),
                             ("site", "a", None), ("Ann", "td", None), ("Phone", "th", None),
                             ("\u00e9t\u00e9 a<b & c", None, None)]:
        if not styled(word, tag, style):
            failures.append("%r not found in <%s> %s" % (word, tag, style or ""))
    for href in ("http://example.com/page", "http://example.com/", "export-sample_files/report.txt",
                 "file:///C:/docs/far.doc"):
        if href not in r.hrefs:
            failures.append("no link to " + href)
    for hidden in ("the secret text", "Hidden", "Locked", "locked.example"):
        if hidden in page:
            failures.append("protected content shown: " + hidden)
    for f in failures:
        print("FAIL:", f)
    print("checked %d headings, %d links" % (len(r.headings), len(r.hrefs)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
