#!/usr/bin/env python3
"""Builds the user guide, one self-contained HTML page, from the template
docs/guide-template.html and the screenshots of the guided tour
(scripts/tour.sh).

Usage: make-guide.py SCREENSHOT_DIR OUTPUT_HTML [TEMPLATE]

In the template, <img src="shot:NAME" ...> is replaced by the picture
SCREENSHOT_DIR/NAME.png as a data URI, with its width and height, and the
comment <!-- toc --> by a table of contents of the h2 and h3 headings that
carry an id. The page must not load anything from outside: any other src or
href than an in-page anchor or a data URI is an error. The output depends
only on its inputs, so a rebuild from the same screenshots is byte-identical.
"""
import base64
import html
import os
import re
import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
SHOT = re.compile(r'<img\b([^>]*?)\bsrc="shot:([A-Za-z0-9_-]+)"([^>]*)>')
HEADING = re.compile(r'<h([23]) id="([^"]+)">(.*?)</h\1>', re.S)
REFERENCE = re.compile(r'\b(?:src|href)\s*=\s*"([^"]*)"', re.I)
CSS_URL = re.compile(r'url\(\s*[\'"]?([^\'")]*)', re.I)
TOC_MARK = "<!-- toc -->"


def fail(message):
    sys.stderr.write("make-guide: %s\n" % message)
    sys.exit(1)


def png_size(data, name):
    if len(data) < 24 or not data.startswith(PNG_SIGNATURE) or data[12:16] != b"IHDR":
        fail("%s is not a PNG file" % name)
    return struct.unpack(">II", data[16:24])


def embed_shots(page, shot_dir):
    missing = []

    def replace(match):
        before, name, after = match.groups()
        path = os.path.join(shot_dir, name + ".png")
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError:
            missing.append(path)
            return match.group(0)
        width, height = png_size(data, path)
        size = ""
        if "width=" not in before + after:
            size = ' width="%d" height="%d"' % (width, height)
        uri = "data:image/png;base64," + base64.b64encode(data).decode("ascii")
        return '<img%ssrc="%s"%s%s>' % (before, uri, size, after)

    page = SHOT.sub(replace, page)
    if missing:
        fail("screenshots missing (run scripts/tour.sh first):\n  " + "\n  ".join(missing))
    return page


def table_of_contents(page):
    entries = []
    for level, anchor, title in HEADING.findall(page):
        text = re.sub(r"<[^>]+>", "", title).strip()
        entries.append((int(level), anchor, text))
    if not entries:
        fail("the template has no headings with an id")
    lines = ['<nav class="toc">', "<h2>Contents</h2>", "<ol>"]
    open_sub = False
    for index, (level, anchor, text) in enumerate(entries):
        link = '<a href="#%s">%s</a>' % (html.escape(anchor), text)
        if level == 2:
            if open_sub:
                lines.append("</ol></li>")
                open_sub = False
            following = entries[index + 1][0] if index + 1 < len(entries) else 2
            if following == 3:
                lines.append("<li>%s<ol>" % link)
                open_sub = True
            else:
                lines.append("<li>%s</li>" % link)
        else:
            if not open_sub:
                fail("heading %r comes before any h2" % text)
            lines.append("<li>%s</li>" % link)
    if open_sub:
        lines.append("</ol></li>")
    lines += ["</ol>", "</nav>"]
    return "\n".join(lines)


def check_self_contained(page):
    anchors = set(re.findall(r'\bid="([^"]+)"', page))
    for target in REFERENCE.findall(page) + CSS_URL.findall(page):
        if target.startswith("data:"):
            continue
        if target.startswith("#"):
            if target[1:] not in anchors:
                fail("link to a missing anchor: %s" % target)
            continue
        fail("the page would load or link something from outside: %s" % target[:80])


def main():
    if len(sys.argv) not in (3, 4):
        fail("usage: make-guide.py SCREENSHOT_DIR OUTPUT_HTML [TEMPLATE]")
    shot_dir, output = sys.argv[1], sys.argv[2]
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    template = sys.argv[3] if len(sys.argv) == 4 else os.path.join(root, "docs", "guide-template.html")
    if not os.path.isdir(shot_dir):
        fail("no screenshot folder %s (run scripts/tour.sh first)" % shot_dir)
    with open(template, encoding="utf-8") as f:
        page = f.read()
    if page.count(TOC_MARK) != 1:
        fail("the template needs exactly one %s" % TOC_MARK)
    # The template's opening comment is for its editors, not for readers.
    page = re.sub(r"^(<!DOCTYPE html>\n)<!--.*?-->\n", r"\1", page, count=1, flags=re.S)
    page = page.replace(TOC_MARK, table_of_contents(page))
    page = embed_shots(page, shot_dir)
    check_self_contained(page)
    temporary = output + ".tmp"
    with open(temporary, "w", encoding="utf-8", newline="\n") as f:
        f.write(page)
    os.replace(temporary, output)
    print("wrote %s (%d KB)" % (output, (len(page.encode("utf-8")) + 1023) // 1024))


if __name__ == "__main__":
    main()
