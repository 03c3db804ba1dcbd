#!/usr/bin/env python3
"""Builds the scrambled string store Lng/dde from its plain, reviewable source.

The source is UTF-8 text, one entry per line, "|NN|=text", entries numbered from 01 without
gaps; the last line is the entry beyond the last one the program reads. The store holds the same
entries in the ANSI code page (Windows-1252), each ended by CR LF, every byte raised by a key that
cycles 1, 2, 3, 4, 5 from the first byte.
"""
import re
import sys


def plain_bytes(source_text):
    lines = [line for line in source_text.splitlines() if line.strip()]
    for number, line in enumerate(lines, start=1):
        match = re.fullmatch(r"\|(\d\d)\|=(.*)", line)
        if not match or int(match.group(1)) != number:
            raise SystemExit(f"entry {number}: expected |{number:02d}|=..., found {line!r}")
        if re.search(r"\|\d\d\|=", match.group(2)):
            raise SystemExit(f"entry {number}: text holds a marker")
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def scramble(plain):
    return bytes((byte + index % 5 + 1) & 0xFF for index, byte in enumerate(plain))


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: scramble.py SOURCE.txt OUTPUT")
    with open(sys.argv[1], encoding="utf-8") as source:
        plain = plain_bytes(source.read())
    if any(byte + index % 5 + 1 > 0xFF for index, byte in enumerate(plain)):
        raise SystemExit("a character cannot be stored: its byte plus the key exceeds 255")
    with open(sys.argv[2], "wb") as output:
        output.write(scramble(plain))


if __name__ == "__main__":
    main()
