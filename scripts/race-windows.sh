#!/usr/bin/env bash
# The race soak's Windows side: the 64-bit Windows host and DLL under wine64
# watch the Win32 stand-in client while tests/windows/race.lua feeds it moves,
# renames, additions and removals in bursts, and checks the element tree after
# each quiet period (see the script). Builds what is missing (after
# scripts/test-windows.sh nothing is).
#     scripts/race-windows.sh [SECONDS [SEED]]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
seconds="${1:-30}"
[ -f build/win64/CMakeCache.txt ] || { scripts/build-lua-mingw.sh x86_64 && cmake --preset win64 >/dev/null; }
cmake --build --preset win64 -j "$(nproc)" --target chorister-host chorister standin_client >/dev/null
. scripts/wine-env.sh
log="$root/build/race-windows.log"
status=0
CHORISTER_STANDIN="$(windows_path build/win64/bin/standin_client.exe)" CHORISTER_RACE_SEED="${2:-1}" \
  timeout $((seconds + 90)) "$wine" build/win64/bin/chorister-host.exe --seconds "$seconds" \
  --script "$(windows_path tests/windows/race.lua)" >"$log" 2>&1 || status=$?
[ -n "$wineserver" ] && "$wineserver" -k 2>/dev/null || true
result="$(tr -d '\r' <"$log" | grep '^race: ' || true)"
[ "$status" -eq 0 ] || fail "the Windows host ended with status $status under wine64 (see $log)"
echo "${result:-race: FAILED, no result (see $log)}"
case "$result" in "race: ok"*) ;; *) exit 1 ;; esac
