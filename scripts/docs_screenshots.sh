#!/usr/bin/env bash
# Retakes the README's pictures (docs/*.png): the main window with captured
# loopback rows, the conversion window after "一键转换" on a captured row, and
# the About box. Capturing needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
# The program's window sits at the same place of the 1280x800 virtual desktop.
crop() { convert "$1" -crop 844x600+217+100 +repage "$1"; }
rows=(capture 127.0.0.1 100000
      -- send 40001 950 "Big5：繁體中文"
      -- send 40002 65001 "UTF-8：中文字符"
      -- send 40003 936 "%u4E2D%u6587 escaped"
      -- send 40004 936 "\\u4e2d\\u6587 escaped"
      -- send 40005 936 "漢字轉換：繁體中文測試"
      -- rows 5)
SHOT_SETTLE=2 bash scripts/screenshot.sh docs/main-window.png "${rows[@]}"
crop docs/main-window.png
SHOT_SETTLE=2 bash scripts/screenshot.sh docs/conversion.png \
  capture 127.0.0.1 100000 -- send 40000 936 "漢字轉換：繁體中文測試" -- rows 1 \
  -- rowdblclick 4 40000 -- menukeys DOWN RIGHT RETURN -- rowdblclick 4 40000 -- menukeys DOWN DOWN RETURN
crop docs/conversion.png
SHOT_SETTLE=2 bash scripts/screenshot.sh docs/about.png command 1003
crop docs/about.png
