#!/usr/bin/env python3
"""Compiles the help pages of one language into a .chm with chmcmd.

    build_help.py CHMCMD SOURCE_FOLDER OUTPUT_CHM WORK_FOLDER
    build_help.py --check CHMCMD SOURCE_FOLDER... WORK_FOLDER

The pages are UTF-8 and say so; the project, contents and index files are read by the help
viewer in the ANSI code page of the help's language, so they are written in UTF-8 here and
converted on the way. Any warning or error of the compiler (a page missing, a link to nothing)
fails: a help file is built clean or not at all. --check compiles every folder given and only
reports.
"""
import pathlib
import re
import shutil
import subprocess
import sys

ANSI_FILES = {".hhp", ".hhc", ".hhk"}


def compile_help(chmcmd, source, work):
    """Returns (path of the .chm, the compiler's output, the lines that are complaints)."""
    source = pathlib.Path(source)
    work = pathlib.Path(work)
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(source, work)
    projects = sorted(work.glob("*.hhp"))
    if len(projects) != 1:
        return None, "", [f"{source}: expected one .hhp project, found {len(projects)}"]
    for path in work.iterdir():
        if path.suffix.lower() in ANSI_FILES:
            text = path.read_text(encoding="utf-8")
            path.write_bytes(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252"))
    project = projects[0]
    compiled = re.search(r"^Compiled file=(.+?)\s*$", project.read_text(encoding="cp1252"),
                         re.MULTILINE)
    if not compiled:
        return None, "", [f"{project.name}: no 'Compiled file=' line"]
    run = subprocess.run([chmcmd, project.name], cwd=work, capture_output=True, text=True,
                         encoding="utf-8", errors="replace")
    output = run.stdout + run.stderr
    complaints = [line for line in output.splitlines()
                  if re.match(r"\s*(warning|error|fatal)", line, re.IGNORECASE)]
    chm = work / compiled.group(1)
    if run.returncode != 0:
        complaints.append(f"chmcmd exited with {run.returncode}")
    if not chm.is_file():
        complaints.append(f"chmcmd wrote no {chm.name}")
    return chm, output, complaints


def main(argv):
    if len(argv) >= 4 and argv[1] == "--check":
        chmcmd, sources, work = argv[2], argv[3:-1], pathlib.Path(argv[-1])
        failed = False
        for source in sources:
            name = pathlib.Path(source).name
            _, output, complaints = compile_help(chmcmd, source, work / name)
            print(f"== {name}\n{output.rstrip()}")
            for line in complaints:
                print(f"!! {name}: {line}")
            failed = failed or bool(complaints)
        print(f"{len(sources)} help files, {'with complaints' if failed else 'no warnings'}")
        return 1 if failed else 0
    if len(argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    chmcmd, source, output_chm, work = argv[1:]
    chm, output, complaints = compile_help(chmcmd, source, work)
    if complaints:
        print(output.rstrip(), file=sys.stderr)
        for line in complaints:
            print(f"build_help: {line}", file=sys.stderr)
        return 1
    target = pathlib.Path(output_chm)
    target.parent.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(chm, target)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
