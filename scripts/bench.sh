#!/usr/bin/env bash
# bench.sh NAME [ARGS...]: builds and runs one benchmark of tests/bench and
# prints its figures. native_* run on the host (a Release build of the native
# preset without sanitizers, in build/native-bench); win_* run under Wine on a
# private Xvfb (capture benchmarks need root).
#   bash scripts/bench.sh native_row_bench
#   bash scripts/bench.sh win_escape_bench
#   bash scripts/bench.sh win_capture_bench 10      # seconds per rate
#   bash scripts/bench.sh win_soak 10 5000          # minutes, datagrams a second
# The code-page routines against iconv and OpenCC: scripts/bench_codepages.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
name=$1; shift
case "$name" in
  native_*)
    cmake --preset native -B build/native-bench -DCMAKE_BUILD_TYPE=Release -DTESSIVAR_SANITIZE=OFF >/dev/null
    cmake --build build/native-bench -j2 --target "$name" >/dev/null
    exec "build/native-bench/bin/$name" "$@" ;;
  win_*)
    cmake --preset win64 >/dev/null
    cmake --build --preset win64 -j2 --target Tessivar "$name" >/dev/null
    export WINEPREFIX=$PWD/build/win64/wineprefix
    scripts/wineprefix.sh "$WINEPREFIX"
    if [ -z "${DISPLAY:-}" ]; then
      "$WINESERVER" -k 2>/dev/null || true
      start_xvfb
      trap '"$WINESERVER" -k 2>/dev/null; kill $XVFB_PID 2>/dev/null' EXIT
    fi
    # Wine's services start with the first program of a server and keep what
    # they inherit: give them nothing, so the figures reach the terminal.
    "$WINE" cmd /c exit </dev/null >/dev/null 2>&1
    "$WINE" "build/win64/bin/$name.exe" "$@" </dev/null ;;
  *) echo "unknown benchmark: $name" >&2; exit 2 ;;
esac
