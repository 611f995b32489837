#!/usr/bin/python3
"""Turns the operator's guide (docs/使用说明.md) into one HTML file that opens in any browser
with nothing beside it: its screenshots are embedded as data URIs, its table of contents links
to headings whose anchors are made as the Markdown renderers of code hosts make them, so the same
links work in the Markdown file and in the HTML.

Usage: guide-html.py GUIDE.md OUTPUT.html   (needs python3-markdown)
"""
import base64
import pathlib
import re
import sys

import markdown
from markdown.extensions.toc import TocExtension


def slug(text, separator):
    """'7. 结果表格：复制' -> '7-结果表格复制': lower case, punctuation dropped, spaces joined."""
    return re.sub(r"[^\w\- ]", "", text.lower()).replace(" ", separator)


def embed_images(html, base):
    def data_uri(match):
        path = base / match.group(2)
        encoded = base64.b64encode(path.read_bytes()).decode("ascii")
        return f'{match.group(1)}"data:image/png;base64,{encoded}"'

    return re.sub(r'(<img [^>]*src=)"([^":]+\.png)"', data_uri, html)


STYLE = """
body { font-family: "Microsoft YaHei", "Noto Sans CJK SC", sans-serif; max-width: 1240px;
       margin: 2em auto; padding: 0 1em; line-height: 1.6; color: #222; }
h1, h2 { border-bottom: 1px solid #ddd; padding-bottom: .2em; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #ccc; padding: .3em .6em; vertical-align: top; }
th { background: #f3f5f8; }
code, pre { background: #f3f5f8; font-family: Consolas, monospace; }
pre { padding: .6em; }
img { max-width: 100%; border: 1px solid #ccc; }
"""


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: guide-html.py GUIDE.md OUTPUT.html")
    source = pathlib.Path(sys.argv[1])
    text = source.read_text(encoding="utf-8")
    title = text.splitlines()[0].lstrip("# ").strip()
    body = markdown.markdown(
        text, extensions=["tables", "fenced_code", TocExtension(slugify=slug)]
    )
    body = embed_images(body, source.parent)
    page = (
        '<!DOCTYPE html>\n<html lang="zh-CN">\n<head>\n<meta charset="utf-8">\n'
        f"<title>{title}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n{body}\n</body>\n</html>\n"
    )
    pathlib.Path(sys.argv[2]).write_text(page, encoding="utf-8")


if __name__ == "__main__":
    main()
