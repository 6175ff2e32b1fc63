#!/usr/bin/env python3
"""Compares the program's Traditional -> Simplified table with OpenCC's
character-level mapping (TSCharacters) and lists where they differ.

Usage: tools/t2s_agreement.py [--table src/convert/SimplifiedTable.inc]
                              [--opencc /usr/share/opencc/TSCharacters.ocd2]
Needs the Debian package opencc (its opencc_dict turns the .ocd2 into text);
a TSCharacters.txt in text form is read directly.

OpenCC's first candidate is the one its t2s conversion writes. A character
missing from a table stays unchanged there. Only characters that code page 936
writes as two bytes are compared: the program's table cannot hold others.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def gbk2(ch):
    if len(ch) != 1 or ord(ch) > 0xFFFF:
        return False
    try:
        return len(ch.encode("gbk")) == 2
    except UnicodeEncodeError:
        return False


def read_ours(path):
    table = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            m = re.match(r"\{0x([0-9A-F]{4}), 0x([0-9A-F]{4})\}", line)
            if m:
                t, s = (bytes.fromhex(x).decode("gbk") for x in m.groups())
                table[t] = s
    return table


def read_opencc(path):
    if path.endswith(".ocd2"):
        with tempfile.TemporaryDirectory() as tmp:
            text = os.path.join(tmp, "ts.txt")
            subprocess.run(["opencc_dict", "-i", path, "-o", text, "-f", "ocd2", "-t", "text"],
                           check=True)
            return read_opencc(text)
    table = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, _, values = line.rstrip("\n").partition("\t")
            if len(key) == 1 and values:
                table[key] = values.split(" ")
    return table


def show(ch):
    return f"U+{ord(ch):04X} {ch}" if len(ch) == 1 else ch


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--table", default=os.path.join(HERE, "..", "src", "convert",
                                                    "SimplifiedTable.inc"))
    ap.add_argument("--opencc", default="/usr/share/opencc/TSCharacters.ocd2")
    args = ap.parse_args()

    ours = read_ours(args.table)
    theirs = read_opencc(args.opencc)
    if not ours or not theirs:
        sys.exit("a table is empty")

    def ours_of(ch):
        return ours.get(ch, ch)

    def first_of(ch):
        return theirs.get(ch, [ch])[0]

    both = [ch for ch in ours if ch in theirs and gbk2(ch)]
    same = [ch for ch in both if ours_of(ch) == first_of(ch)]
    among = [ch for ch in both if ours_of(ch) != first_of(ch) and ours_of(ch) in theirs[ch]]

    # Every character that either side changes, where OpenCC's choice fits 936.
    compared, unreachable = [], []
    for ch in sorted(set(ours) | set(theirs)):
        if not gbk2(ch) or (ours_of(ch) == ch and first_of(ch) == ch):
            continue
        (compared if gbk2(first_of(ch)) else unreachable).append(ch)
    agree = [ch for ch in compared if ours_of(ch) == first_of(ch)]
    differ = [ch for ch in compared if ch != ours_of(ch) != first_of(ch) != ch]
    only_ours = [ch for ch in compared if ours_of(ch) != ch and first_of(ch) == ch]
    only_theirs = [ch for ch in compared if ours_of(ch) == ch and first_of(ch) != ch]

    print(f"program table: {len(ours)} pairs; OpenCC TSCharacters: {len(theirs)} entries")
    print(f"listed by both: {len(both)}; same result as OpenCC's first choice: {len(same)} "
          f"({100.0 * len(same) / len(both):.2f}%); another of OpenCC's candidates: {len(among)}")
    print(f"changed by either (936 two-byte on both sides): {len(compared)}; same result: "
          f"{len(agree)} ({100.0 * len(agree) / len(compared):.2f}%)")
    print(f"changed differently: {len(differ)}; only by the program: {len(only_ours)}; "
          f"only by OpenCC: {len(only_theirs)}; OpenCC's choice not two-byte 936: "
          f"{len(unreachable)}")

    def listing(title, chars):
        print(f"\n{title} ({len(chars)}):")
        for ch in chars:
            print(f"  {show(ch)}  program: {ours_of(ch)}  OpenCC: {' '.join(theirs.get(ch, [ch]))}")

    listing("Both change it, differently", differ)
    listing("Only the program changes it", only_ours)
    listing("Only OpenCC changes it", only_theirs)


if __name__ == "__main__":
    main()
