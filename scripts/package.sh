#!/usr/bin/env bash
# Builds the shipped 32-bit program and packs Tessivar-3.2-win32.zip with the
# user guide into dist/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target Tessivar
exe=build/win32/bin/Tessivar.exe
file "$exe" | grep -q 'PE32 executable (GUI) Intel 80386' || { echo "$exe is not a PE32 GUI program"; exit 1; }
rm -rf dist/stage && mkdir -p dist/stage
cp "$exe" dist/stage/Tessivar.exe
cp docs/GUIDE.txt dist/stage/GUIDE.txt
rm -f dist/Tessivar-3.2-win32.zip
(cd dist/stage && zip -q -X ../Tessivar-3.2-win32.zip Tessivar.exe GUIDE.txt)
rm -rf dist/stage
unzip -l dist/Tessivar-3.2-win32.zip
