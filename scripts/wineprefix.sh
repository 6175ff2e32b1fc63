#!/usr/bin/env bash
# wineprefix.sh PREFIX: makes a Wine prefix fit for the program and its tests:
# Chinese glyphs through a font link, no crash dialogs. Safe to run again.
set -e
prefix=$(realpath -m "$1")
mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.tessivar-ready" ] && exit 0
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
reg=$(mktemp --suffix=.reg)
# REG_MULTI_SZ of the face, as hex bytes
face=$(printf '%s' 'wqy-microhei.ttc,WenQuanYi Micro Hei' | od -An -tx1 -v | tr -s ' \n' ',,' | sed 's/^,//;s/,$//')
cat >"$reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]
"Tahoma"=hex(7):$face,00,00
"MS Shell Dlg"=hex(7):$face,00,00
"MS Shell Dlg 2"=hex(7):$face,00,00
"Microsoft Sans Serif"=hex(7):$face,00,00

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000
REG
/usr/lib/wine/wine64 regedit "$reg" >/dev/null 2>&1
# The caption buttons draw their glyphs with this font.
cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
rm -f "$reg"
/usr/lib/wine/wineserver -w
touch "$prefix/.tessivar-ready"
