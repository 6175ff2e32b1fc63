#!/usr/bin/env bash
# Builds Tessivar (x86_64) and starts it under Wine: on $DISPLAY when there is
# one, otherwise inside a Wine virtual desktop on a private Xvfb screen.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target Tessivar
export WINEPREFIX=$PWD/build/win64/wineprefix
scripts/wineprefix.sh "$WINEPREFIX"
exe=build/win64/bin/Tessivar.exe
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting Tessivar on $DISPLAY"
  exec "$WINE" "$exe"
fi
start_xvfb
echo "No DISPLAY: Tessivar runs in a Wine virtual desktop on the Xvfb screen $DISPLAY (1280x800)."
echo "Look at it with: DISPLAY=$DISPLAY import -window root shot.png"
"$WINE" explorer /desktop=Tessivar,1280x800 "$exe"
kill "$XVFB_PID" 2>/dev/null || true
