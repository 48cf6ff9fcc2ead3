#!/usr/bin/env bash
# The fidelity check: plays the demo timeline (host/demo/demo-timeline.txt) twice,
# on the simulated desktop watched by the Linux host and module (preset
# default), and with the Win32 stand-in client under wine64 watched by the
# 64-bit Windows host and DLL (preset win64), with the probe
# tests/windows/event-stream.lua, and compares the event streams element by
# element: every event, with the element's kind and name, old and new values
# and parents, in each element's order. A difference means the simulated
# desktop does not show what Windows shows. Then runs the race soak's Windows
# side (scripts/race-windows.sh). Builds what is missing (after
# scripts/test.sh and scripts/test-windows.sh nothing is). The streams are
# kept in build/fidelity.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
[ -f build/default/CMakeCache.txt ] || cmake --preset default >/dev/null
[ -f build/win64/CMakeCache.txt ] || { scripts/build-lua-mingw.sh x86_64 && cmake --preset win64 >/dev/null; }
cmake --build --preset default -j "$(nproc)" --target chorister-host chorister >/dev/null
cmake --build --preset win64 -j "$(nproc)" --target chorister-host chorister standin_client >/dev/null
. scripts/wine-env.sh

out="$root/build/fidelity"
probe="$root/tests/windows/event-stream.lua"
mkdir -p "$out"
# Both runs play the 20 s timeline at its own pace, side by side.
build/default/bin/chorister-host --desktop demo --seconds 20 --script "$probe" >"$out/linux.log" 2>&1 &
linux=$!
status=0
timeout 120 "$wine" build/win64/bin/chorister-host.exe --desktop demo --seconds 20 \
  --script "$(windows_path "$probe")" >"$out/windows.log" 2>&1 || status=$?
[ -n "$wineserver" ] && "$wineserver" -k 2>/dev/null || true
wait "$linux" || fail "the Linux host ended with status $? (see $out/linux.log)"
[ "$status" -eq 0 ] || fail "the Windows host ended with status $status under wine64 (see $out/windows.log)"

# The streams are compared as they come, without leaving anything out.
streams() { tr -d '\r' <"$1" | sed -n '/^== event streams$/,$p'; }
streams "$out/linux.log" >"$out/linux.txt"
streams "$out/windows.log" >"$out/windows.txt"
grep -qx 'events that never came: none' "$out/linux.txt" ||
  fail "the demo on the simulated desktop did not raise every event: $(tail -1 "$out/linux.txt") (see $out/linux.log)"
diff -u --label "simulated desktop" --label "Windows (wine64)" "$out/linux.txt" "$out/windows.txt" ||
  fail "the event streams differ (above; both in $out)"
echo "fidelity: $(grep -c '^[A-Z]' "$out/linux.txt") elements, $(grep -c '^  ' "$out/linux.txt") events, the same on the simulated desktop and under wine64"
# The race soak's Windows side: a client changing while it is read.
scripts/race-windows.sh 20
