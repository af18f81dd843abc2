#!/usr/bin/env python3
"""Compares the files of two runs of the cross-build cases.

    compare_runs.py REFERENCE RUN   exit 0 when RUN holds the same files as
                                    REFERENCE with the same text, 1 with the
                                    differences listed
    compare_runs.py --self-check    exit 0 when the comparison itself tells
                                    equal from different on crafted files

Every byte must match, with one exception: the sign and payload of a NaN are
not reproduced across builds (which operand's NaN an addition returns depends
on the operand order the compiler picks, and C libraries print NaNs
differently), so the text of a NaN matches the text of any other NaN, with the
same letters, where both stand as a whole field: between commas, blanks or line
ends. A NaN right-aligned in a field keeps the width of the field: its blanks
may make up for a sign, nothing else.
"""
import re
import sys
import tempfile
from pathlib import Path

# A field with the blanks before it, a comma with the blanks before it, or
# trailing blanks: the pieces of a line, which joined give the line again.
PIECE = re.compile(r" *[^ ,]+| *,| +")
NAN = re.compile(r"( *)[-+]?(nan|NAN)(\([0-9A-Za-z_]*\))?")


def same_piece(a, b):
    if a == b:
        return True
    x, y = NAN.fullmatch(a), NAN.fullmatch(b)
    if not x or not y or x.group(2) != y.group(2):
        return False
    return len(a) == len(b) or x.group(1) == y.group(1)


def first_difference(reference, run):
    """The 1-based number of the first line where the texts differ, or 0."""
    ref_lines, run_lines = reference.split("\n"), run.split("\n")
    for number, (a, b) in enumerate(zip(ref_lines, run_lines), 1):
        pa, pb = PIECE.findall(a), PIECE.findall(b)
        if len(pa) != len(pb) or not all(same_piece(x, y) for x, y in zip(pa, pb)):
            return number
    if len(ref_lines) != len(run_lines):
        return min(len(ref_lines), len(run_lines)) + 1
    return 0


def files(root):
    return sorted(str(p.relative_to(root)) for p in root.rglob("*") if p.is_file())


def differences(reference, run):
    """One line per difference between the directories `reference` and `run`."""
    found = []
    ref_files, run_files = files(reference), files(run)
    found += [f"only in {reference}: {f}" for f in ref_files if f not in run_files]
    found += [f"only in {run}: {f}" for f in run_files if f not in ref_files]
    for name in ref_files:
        if name not in run_files:
            continue
        a = (reference / name).read_bytes().decode("latin-1")
        b = (run / name).read_bytes().decode("latin-1")
        line = first_difference(a, b)
        if line:
            lines_a, lines_b = a.split("\n"), b.split("\n")
            show = lambda lines: repr(lines[line - 1]) if line <= len(lines) else "(end of file)"
            found.append(f"{name} line {line}: {show(lines_a)} in {reference.name}, {show(lines_b)} in {run.name}")
    return found


# Pairs of file texts, and whether they must compare equal.
SELF_CHECK = [
    ("1,-nan,nan\n", "1,nan,-nan\n", True),
    ("                -NAN\n", "                 NAN\n", True),
    ("output is -nan at sample 3\n", "output is nan at sample 3\n", True),
    ("-nan(ind),2\n", "nan,2\n", True),
    ("1,nan\n", "1,inf\n", False),
    ("-0\n", "0\n", False),
    ("nan\n", "NAN\n", False),
    ("                 NAN\n", "                  NAN\n", False),
    ("1,nan\n", "1, nan\n", False),
    ("banana\n", "ba-nana\n", False),
    ("1,nan\n", "1,nan", False),
    ("1,nan\n", "1,nan\n\n", False),
    ("1,2,nan\n", "1,2\n", False),
]


def self_check():
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        for number, (a, b, equal) in enumerate(SELF_CHECK):
            for side, text in (("reference", a), ("run", b)):
                path = Path(scratch, side, str(number), "out.csv")
                path.parent.mkdir(parents=True)
                path.write_bytes(text.encode())
        Path(scratch, "run", "extra.txt").write_bytes(b"")
        found = differences(Path(scratch, "reference"), Path(scratch, "run"))
    for number, (a, b, equal) in enumerate(SELF_CHECK):
        reported = any(line.startswith(f"{number}/out.csv ") for line in found)
        if reported == equal:
            failures.append(f"{a!r} and {b!r} {'reported as different' if equal else 'taken as equal'}")
    if not any(line.endswith("extra.txt") for line in found):
        failures.append("a file only in the run not reported")
    for failure in failures:
        print(f"compare_runs.py self-check: {failure}")
    return not failures


def main():
    if sys.argv[1:] == ["--self-check"]:
        return 0 if self_check() else 1
    if len(sys.argv) != 3:
        print("usage: compare_runs.py REFERENCE RUN | --self-check", file=sys.stderr)
        return 2
    found = differences(Path(sys.argv[1]), Path(sys.argv[2]))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
