#!/usr/bin/env bash
# Builds the shipped 32-bit program and packs Tessivar-3.2-win32.zip with the
# user guide into dist/. The test command runs it after its own build, with
# NO_SETUP=1, so the zip holds the program it checked.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -n "${NO_SETUP:-}" ] || bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target Tessivar
exe=build/win32/bin/Tessivar.exe
file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || { echo "$exe is not a PE32 GUI program"; exit 1; }
# The updater travels inside the program, byte for byte.
python3 -c 'import sys; sys.exit(open(sys.argv[2],"rb").read() not in open(sys.argv[1],"rb").read())' \
  "$exe" build/win32/updater/update.exe || { echo "update.exe is not inside $exe"; exit 1; }
rm -rf dist/stage && mkdir -p dist/stage
cp "$exe" dist/stage/Tessivar.exe
cp docs/GUIDE.txt dist/stage/GUIDE.txt
rm -f dist/Tessivar-3.2-win32.zip
(cd dist/stage && zip -q -X ../Tessivar-3.2-win32.zip Tessivar.exe GUIDE.txt)
rm -rf dist/stage
unzip -l dist/Tessivar-3.2-win32.zip
