#!/usr/bin/env bash
# Throughput of the code-page routines under Wine next to iconv (same code pages,
# same input file) and OpenCC's t2s (same text), printed as one table.
# Usage: scripts/bench_codepages.sh [WIN64_BUILD_DIR]   (default build/win64)
# Needs a configured win64 build tree, wine64, python3, iconv and opencc (Debian).
# REPEATS (default 5) runs of each measurement in each of ROUNDS (default 3)
# rounds; the best one counts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
repeats=${REPEATS:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v opencc >/dev/null || { echo "opencc is missing (apt-get install opencc)" >&2; exit 2; }
cmake --build "$build" --target win_codepage_bench -j2 >/dev/null

# One text, 10 MB in GBK: Chinese characters that Big5 and GBK both hold (about
# half of them with a Simplified form in the program's table), ASCII, punctuation
# and line breaks.
python3 - "$work" "$root/src/convert/SimplifiedTable.inc" <<'EOF'
import random, re, sys
work, table = sys.argv[1], sys.argv[2]
def both(ch):
    try:
        return len(ch.encode("cp950")) == 2 and len(ch.encode("gbk")) == 2
    except UnicodeEncodeError:
        return False
traditional = []
for line in open(table, encoding="utf-8"):
    m = re.match(r"\{0x([0-9A-F]{4}),", line)
    if m:
        ch = bytes.fromhex(m.group(1)).decode("gbk")
        if both(ch):
            traditional.append(ch)
common = [chr(c) for c in range(0x4E00, 0xA000) if both(chr(c))]
ascii_ = "abcdefghijklmnopqrstuvwxyz0123456789 "
rng = random.Random(1)
parts, size = [], 0
while size < 10_000_000:
    line = []
    for _ in range(rng.randint(20, 60)):
        r = rng.random()
        if r < 0.40: line.append(rng.choice(traditional))
        elif r < 0.85: line.append(rng.choice(common))
        elif r < 0.95: line.append(rng.choice(ascii_))
        else: line.append(rng.choice("，。"))
    text = "".join(line) + "\n"
    parts.append(text)
    size += len(text.encode("gbk"))
text = "".join(parts)
for name, codec in (("gbk", "gbk"), ("big5", "cp950"), ("utf8", "utf-8"), ("utf16le", "utf-16-le")):
    with open(f"{work}/trad.{name}", "wb") as f:
        f.write(text.encode(codec))
EOF

winedir="Z:${work//\//\\}"
# Rounds alternate the routines and the references, so that a change of load on
# the machine reaches both sides; the best time of each counts.
python3 - "$work" "$repeats" "${ROUNDS:-3}" "$root/scripts/wine-run.sh" "$build" "$winedir" <<'EOF'
import subprocess, sys, time
work, repeats, rounds, wine_run, build, winedir = sys.argv[1:]
repeats, rounds = int(repeats), int(rounds)

def best_time(cmd):
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter()
        subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
        best = min(best, time.perf_counter() - start)
    return best

def iconv(src, dst, file):
    return (f"iconv {src}->{dst}", file, ["iconv", "-f", src, "-t", dst, f"{work}/{file}"], 0.5)

references = {
    "TraditionalToSimplified": ("opencc -c t2s", "trad.utf8",
                                ["opencc", "-c", "t2s", "-i", f"{work}/trad.utf8",
                                 "-o", "/dev/null"], 10.0),
    "Big5ToGbk": iconv("CP950", "CP936", "trad.big5"),
    "GbkToBig5": iconv("CP936", "CP950", "trad.gbk"),
    "Big5ToSimplified": iconv("CP950", "CP936", "trad.big5"),
    "TextToWide": iconv("CP936", "UTF-16LE", "trad.gbk"),
    "WideToText": iconv("UTF-16LE", "CP936", "trad.utf16le"),
    "Gb2312ToUtf8": iconv("CP936", "UTF-8", "trad.gbk"),
    "Utf8ToGb2312": iconv("UTF-8", "CP936", "trad.utf8"),
    "UnicodeToAnsi": iconv("UTF-16LE", "CP936", "trad.utf16le"),
    "Utf8ToAnsi": iconv("UTF-8", "CP936", "trad.utf8"),
}

ours, theirs, files, checks = {}, {}, {}, {}
fresh = float("inf")
for _ in range(rounds):
    # Wine's services started by this run keep its standard error open: a file,
    # not the caller's pipe.
    with open(f"{work}/wine.log", "w") as log:
        run = subprocess.run([wine_run, f"{build}/wineprefix", f"{build}/bin/win_codepage_bench.exe",
                              winedir, str(repeats)], stdout=subprocess.PIPE, stderr=log, text=True)
    if run.returncode != 0:
        sys.exit(run.stdout + open(f"{work}/wine.log").read())
    for line in run.stdout.splitlines():
        if line.startswith("fresh-memory "):
            fresh = min(fresh, float(line.split()[1]))
            continue
        name, file, size, secs, mbs, check = line.split()
        ours[name] = min(ours.get(name, float("inf")), float(secs))
        files[name] = (file, int(size))
        checks[name] = check if checks.get(name, "ok") == "ok" else checks[name]
        theirs[name] = min(theirs.get(name, float("inf")), best_time(references[name][2]))

rows = []
for name, (file, size) in files.items():
    ref, ref_file, _, target = references[name]
    ref_size = len(open(f"{work}/{ref_file}", "rb").read())
    # Both read the same text, so the ratio of times is the ratio of speeds.
    ratio = theirs[name] / ours[name]
    met = ratio >= target and checks[name] == "ok"
    rows.append((name, file, f"{size / ours[name] / 1e6:.1f}", ref, ref_file,
                 f"{ref_size / theirs[name] / 1e6:.1f}", f"{ratio:.2f}", f">= {target:g}",
                 "yes" if met else "NO", checks[name]))

head = ("routine", "input", "MB/s", "reference", "input", "MB/s", "speed ratio", "target", "met",
        "result")
widths = [max(len(str(r[i])) for r in rows + [head]) for i in range(len(head))]
for r in [head] + rows:
    print("  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip())
print(f"\nbest of {rounds} rounds of {repeats} runs each; MB = 10^6 bytes of each one's own "
      "input; the speed ratio is the reference's time over the routine's time on the same text")
print(f"first touch of fresh memory under Wine: {fresh:.2f} ms per MB, paid by every result "
      "for its own bytes (iconv writes through a small buffer)")
EOF
