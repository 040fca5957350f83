#!/usr/bin/env python3
"""Writes the manifest the program carries: blinkbar.manifest without its comments and the spaces
between its elements, which Windows does not read and the program would carry for nothing."""
import re
import sys

text = open(sys.argv[1], encoding="utf-8").read()
text = re.sub(r"<!--.*?-->", "", text, flags=re.S)
text = re.sub(r">\s+<", "><", text)
text = re.sub(r"\s+", " ", text).strip()
open(sys.argv[2], "w", encoding="utf-8", newline="").write(text)
