#!/usr/bin/env python3
"""Writes the language files as they ship: UTF-8 with a byte-order mark.

    language_files.py DEST_FOLDER SOURCE...

The sources are kept in Windows-1252, the code page they were written in; a source that
already starts with the mark is taken as UTF-8. Shipped as Windows-1252, their accented
letters and typographic quotes would be read in whatever ANSI code page the user's Windows
has (1250, 1251, a CJK one) and come out garbled; the program reads a marked file as UTF-8
on every Windows.
"""
import codecs
import os
import sys


def shipped(source_bytes, name):
    if source_bytes.startswith(codecs.BOM_UTF8):
        return source_bytes
    try:
        text = source_bytes.decode("cp1252")
    except UnicodeDecodeError as error:
        raise SystemExit(f"{name}: not Windows-1252 text: {error}")
    return codecs.BOM_UTF8 + text.encode("utf-8")


def main(dest, sources):
    os.makedirs(dest, exist_ok=True)
    for source in sources:
        name = os.path.basename(source)
        with open(source, "rb") as f:
            data = shipped(f.read(), name)
        with open(os.path.join(dest, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2:]))
