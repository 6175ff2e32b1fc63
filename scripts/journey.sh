#!/usr/bin/env bash
# journey.sh JOURNEY-TEST-EXE: runs the whole-session test in a fresh Wine
# prefix, then checks that no Wine process of that prefix is left. Prints
# "journey: passed" only when both hold. Needs root (raw sockets) and a display
# (one of its own when DISPLAY is unset).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/common.sh"
exe=$(realpath "$1")
prefix=$(dirname "$exe")/../journey-prefix
prefix=$(realpath -m "$prefix")
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb || exit 1
  trap 'kill $XVFB_PID 2>/dev/null' EXIT
fi
WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null
rm -rf "$prefix" "$prefix.lock"
"$here/wineprefix.sh" "$prefix" || { echo "journey: could not make a fresh prefix"; exit 1; }

log=$(mktemp)
# Output to a file: Wine's services, started with the first program, keep
# whatever they inherit open until the prefix's server ends.
WINEPREFIX=$prefix timeout 300 "$WINE" "$exe" </dev/null >"$log" 2>&1
code=$?
cat "$log"
grep -q '\[  PASSED  \] 1 test\.' "$log" || { [ "$code" -eq 0 ] && code=1; }
rm -f "$log"

# With the last program gone, Wine's services end and then the server.
WINEPREFIX=$prefix timeout 60 "$WINESERVER" -w
left=$(grep -lzx "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 | tr '\n' ' ')
if [ -n "$left" ]; then
  echo "journey: Wine processes of the prefix left: $left"
  ps -o pid,args -p ${left// /,} 2>/dev/null
  WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null
  exit 1
fi
echo "journey: no Wine process of the prefix left"
[ "$code" -eq 0 ] || { echo "journey: failed ($code)"; exit 1; }
echo "journey: passed"
