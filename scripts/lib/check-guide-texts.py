#!/usr/bin/env python3
"""Every text the core's *_texts.h headers define must appear in the user guide.

A text with variable parts is built from literals around them ("Wrenbolt not
found : (" + reply + ")"); each literal with at least three letters is looked
up, trimmed of its blanks at both ends. Prints what is missing; exit 1 then.
"""
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parents[2]
guide = (root / "docs" / "user-guide.md").read_text(encoding="utf-8")
literal = re.compile(r'"((?:[^"\\\n]|\\.)*)"')

missing = []
headers = sorted(root.glob("src/*/*_texts.h"))
for header in headers:
    for number, line in enumerate(header.read_text(encoding="utf-8").splitlines(), 1):
        code = line.split("//", 1)[0]
        if code.lstrip().startswith("#include"):
            continue
        for raw in literal.findall(code):
            text = raw.replace('\\"', '"').replace("\\\\", "\\").strip()
            if sum(c.isalpha() for c in text) < 3:
                continue
            if text not in guide:
                missing.append(f"{header.relative_to(root)}:{number}: \"{text}\"")

if not headers:
    print("guide texts: no *_texts.h headers found")
    sys.exit(1)
for entry in missing:
    print(f"  not in docs/user-guide.md: {entry}")
print(f"guide texts: {len(missing)} of the core's texts missing from the user guide")
sys.exit(1 if missing else 0)
