#!/usr/bin/env bash
# bench_capture.sh [SECONDS=10]: capture throughput under Wine as root, with
# the datagrams paced by a host-side sender, so that Wine's server serves only
# Tessivar's receives (win_capture_bench.exe alone also sends through Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
seconds=${1:-10}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target Tessivar win_capture_bench >/dev/null
export WINEPREFIX=$PWD/build/win64/wineprefix
scripts/wineprefix.sh "$WINEPREFIX"
control=$(mktemp -d)
pids=()
cleanup() {
  touch "$control/quit"
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  "$WINESERVER" -k 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$control"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  "$WINESERVER" -k 2>/dev/null || true
  start_xvfb
fi
# The sender: waits for go-RATE (rate, seconds, port), paces 100-byte UDP
# datagrams to 127.0.0.1:port, then writes sent-RATE with the count.
python3 - "$control" <<'PY' &
import os, socket, sys, time
control = sys.argv[1]
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
payload = b"p" * 100
done = set()
while not os.path.exists(os.path.join(control, "quit")):
    orders = [n for n in os.listdir(control) if n.startswith("go-") and not n.endswith(".part") and n not in done]
    if not orders:
        time.sleep(0.05)
        continue
    name = orders[0]
    done.add(name)
    rate, seconds, port = map(int, open(os.path.join(control, name)).read().split())
    sent, start = 0, time.perf_counter()
    while (now := time.perf_counter()) - start < seconds:
        due = int((now - start) * rate)
        while sent < due:
            s.sendto(payload, ("127.0.0.1", port))
            sent += 1
        time.sleep(0.001)
    tmp = os.path.join(control, "sent.part")
    with open(tmp, "w") as f:
        f.write(str(sent))
    os.rename(tmp, os.path.join(control, "sent-" + name[3:]))
PY
pids+=($!)
"$WINE" cmd /c exit </dev/null >/dev/null 2>&1
"$WINE" build/win64/bin/win_capture_bench.exe "$seconds" "$(winepath -w "$control" 2>/dev/null)" </dev/null
