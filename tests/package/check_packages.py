#!/usr/bin/env python3
"""Checks the two packages the build makes, as a user would receive them.

    check_packages.py PORTABLE_ZIP SETUP_EXE

The zip holds one folder KVR with kvr.exe and the whole language folder (string store, the
form-text and message files, UTF-8 with a byte-order mark, and the help file of every
language) and nothing else; the installer is a Windows program made by NSIS. Prints both
sizes.
"""
import os
import sys
import zipfile

EXPECTED = {
    "KVR/kvr.exe",
    "KVR/Lng/dde",
    "KVR/Lng/KVR_English.txt", "KVR/Lng/KVR_Eng.txt", "KVR/Lng/KVR_Eng.chm",
    "KVR/Lng/KVR_Español.txt", "KVR/Lng/KVR_Esp.txt", "KVR/Lng/KVR_Esp.chm",
    "KVR/Lng/KVR_Deutsch.txt", "KVR/Lng/KVR_Deu.txt", "KVR/Lng/KVR_Deu.chm",
}


def main(zip_path, setup_path):
    problems = []
    with zipfile.ZipFile(zip_path) as archive:
        files = {info.filename for info in archive.infolist() if not info.is_dir()}
        for missing in sorted(EXPECTED - files):
            problems.append(f"zip lacks {missing}")
        for extra in sorted(files - EXPECTED):
            problems.append(f"zip holds more: {extra}")
        if "KVR/kvr.exe" in files and archive.read("KVR/kvr.exe")[:2] != b"MZ":
            problems.append("kvr.exe in the zip is no Windows program")
        for name in files & EXPECTED:
            if name.endswith(".chm") and archive.read(name)[:4] != b"ITSF":
                problems.append(f"{name} is no compiled help file")
            if name.endswith(".txt"):
                # Read right whatever the user's code page: UTF-8 with its mark, or plain ASCII.
                data = archive.read(name)
                if not (data.startswith(b"\xef\xbb\xbf") or data.isascii()):
                    problems.append(f"{name} is neither UTF-8 with a byte-order mark nor ASCII")
        unpacked = sum(info.file_size for info in archive.infolist())
    with open(setup_path, "rb") as setup:
        installer = setup.read()
    if installer[:2] != b"MZ":
        problems.append("the installer is no Windows program")
    if b"NullsoftInst" not in installer:
        problems.append("the installer carries no NSIS data")
    print(f"portable zip: {os.path.getsize(zip_path)} bytes ({unpacked} unpacked), {zip_path}")
    print(f"installer:    {len(installer)} bytes, {setup_path}")
    for problem in problems:
        print(f"!! {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
