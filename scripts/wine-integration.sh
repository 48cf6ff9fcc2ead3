#!/usr/bin/env bash
# Runs the 64-bit module against the Win32 stand-in client under wine64, with
# no display (Wine's null graphics driver), in a Wine prefix of its own inside
# the win64 build directory. Fails loudly when wine64 or the build is missing.
set -euo pipefail
build="$(realpath -m "${1:?usage: wine-integration.sh path/to/build/win64}")"  # Wine needs an absolute prefix
. "$(dirname "$0")/wine-env.sh" "$build"

host="$build/bin/c_test_host.exe"
client="$build/bin/standin_client.exe"
dll="$build/lib/chorister.dll"
for f in "$host" "$client" "$dll"; do
  [ -f "$f" ] || fail "$f is missing: build the win64 preset first (cmake --preset win64 && cmake --build --preset win64)"
done

status=0
timeout 240 "$wine" "$host" "$(windows_path "$client")" "$(windows_path "$dll")" || status=$?
# This prefix's server (started above) ends with its last client; end it now so nothing outlives the test.
[ -n "$wineserver" ] && "$wineserver" -k 2>/dev/null || true
[ "$status" -eq 0 ] || fail "the Wine integration run ended with status $status"
