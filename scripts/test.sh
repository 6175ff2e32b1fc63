#!/usr/bin/env bash
# Builds the native, win64 and win32 presets and runs the whole test suite:
# native unit tests under AddressSanitizer/UBSan with fuzz smoke runs, then the
# unit, window and process tests of the win64 build under Wine on a private
# Xvfb. Ends with a line "tests: N passed, N failed"; exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
bash scripts/setup.sh || { echo "setup failed"; exit 1; }

logs=build/logs
mkdir -p "$logs"
for preset in native win64 win32; do
  echo "== build $preset"
  cmake --preset "$preset" >"$logs/configure-$preset.log" 2>&1 || { cat "$logs/configure-$preset.log"; exit 1; }
  cmake --build --preset "$preset" -j2 >"$logs/build-$preset.log" 2>&1 || { tail -50 "$logs/build-$preset.log"; exit 1; }
done

passed=0 failed=0
count() {  # reads ctest's summary line from a log
  local line total bad
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

echo "== the shipped 32-bit program"
if file build/win32/bin/Tessivar.exe | grep -q 'PE32 executable (GUI) Intel 80386'; then
  passed=$((passed + 1)); echo "build/win32/bin/Tessivar.exe: PE32 GUI, Intel 80386"
else
  failed=$((failed + 1)); file build/win32/bin/Tessivar.exe
fi

echo "== the package"
if NO_SETUP=1 bash scripts/package.sh >"$logs/package.log" 2>&1 &&
   unzip -p dist/Tessivar-3.2-win32.zip Tessivar.exe | cmp - build/win32/bin/Tessivar.exe &&
   unzip -p dist/Tessivar-3.2-win32.zip Tessivar.exe | file - | grep -q 'PE32 executable (GUI) Intel 80386' &&
   unzip -p dist/Tessivar-3.2-win32.zip GUIDE.txt | grep -q '管理员'; then
  passed=$((passed + 1)); unzip -l dist/Tessivar-3.2-win32.zip | sed -n '4,5p'
else
  failed=$((failed + 1)); cat "$logs/package.log"
fi

echo "== native tests (sanitizers, fuzz smoke runs)"
ctest --preset native -j2 --output-on-failure 2>&1 | tee "$logs/test-native.log" | grep -E 'tests passed|Failed|\*\*\*' 
count "$logs/test-native.log"

echo "== win64 tests under Wine"
export WINEPREFIX=$PWD/build/win64/wineprefix
start_xvfb || exit 1
cleanup() {
  WINEPREFIX=$PWD/build/win64/wineprefix "$WINESERVER" -k 2>/dev/null
  kill "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT
# A server left from an earlier run may be tied to a display that is gone.
"$WINESERVER" -k 2>/dev/null || true
scripts/wineprefix.sh "$WINEPREFIX"
"$WINESERVER" -p
# The first program of a fresh server starts Wine's services, which keep the
# output pipes they inherit open; ctest would wait on those. Start them here.
"$WINE" build/win64/bin/win32_tests.exe --gtest_list_tests >/dev/null 2>&1 </dev/null
ctest --preset win64 --output-on-failure 2>&1 | tee "$logs/test-win64.log" | grep -E 'tests passed|Failed|\*\*\*'
count "$logs/test-win64.log"

echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
