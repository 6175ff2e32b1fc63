#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM [ARGS...]: runs a Windows program of the build under
# Wine in the build's own prefix (made on first use).
set -e
prefix=$1; shift
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$prefix/.tessivar-ready" ] || "$(dirname "$0")/wineprefix.sh" "$prefix"
exec /usr/lib/wine/wine64 "$@"
