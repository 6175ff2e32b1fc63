#!/usr/bin/env bash
# screenshot.sh OUT.png [DRIVE-ARGS [-- DRIVE-ARGS]...]: starts Tessivar in a
# Wine virtual desktop on a private Xvfb screen, waits for its main window, runs
# drive.exe once for each group of arguments (groups split by --), and writes a
# PNG of the screen.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
out=$(realpath -m "$1"); shift
cmake --build --preset win64 -j2 --target Tessivar drive >/dev/null
export WINEPREFIX=$PWD/build/win64/wineprefix
scripts/wineprefix.sh "$WINEPREFIX"
start_xvfb
trap '"$WINESERVER" -k 2>/dev/null; kill $XVFB_PID 2>/dev/null' EXIT
"$WINE" explorer /desktop=Tessivar,1280x800 build/win64/bin/Tessivar.exe >/dev/null 2>&1 &
# drive.exe runs on the program's desktop; the launcher returns at once, so
# its result comes back through a file.
drive() {
  local done=build/win64/drive.done
  rm -f "$done"
  "$WINE" explorer /desktop=Tessivar,1280x800 build/win64/bin/drive.exe "$(winepath -w "$done" 2>/dev/null || echo "Z:$PWD/$done")" "$@" >/dev/null 2>&1
  for _ in $(seq 1 600); do [ -s "$done" ] && break; sleep 0.1; done
  [ "$(tr -d "\r\n" < "$done" 2>/dev/null)" = 0 ] || { echo "drive $* failed" >&2; exit 1; }
}
drive wait
group=()
for arg in "$@" --; do
  if [ "$arg" = -- ]; then
    [ ${#group[@]} -gt 0 ] && drive "${group[@]}"
    group=()
  else
    group+=("$arg")
  fi
done
# Let the window finish painting before the picture is taken.
sleep "${SHOT_SETTLE:-1}"
import -window root "$out"
echo "wrote $out"
