#!/usr/bin/env bash
# Runs the module against the Win32 stand-in client under Wine, with no
# display (Wine's null graphics driver): the C test host, the stand-in and the
# DLL of one Windows build, build/win64 under wine64 or build/win32 under
# 32-bit Wine, in the checkout's Wine prefix (scripts/wine-env.sh); where
# 32-bit Wine runs under qemu, only the C test host's checks that need no
# client. Fails loudly when Wine or the build is missing.
set -euo pipefail
build="$(realpath -m "${1:?usage: wine-integration.sh path/to/build/win64|win32}")"
preset="$(basename "$build")"
. "$(dirname "$0")/wine-env.sh"

host="$build/bin/c_test_host.exe"
client="$build/bin/standin_client.exe"
dll="$build/lib/chorister.dll"
for f in "$host" "$client" "$dll"; do
  [ -f "$f" ] || fail "$f is missing: build the $preset preset first (cmake --preset $preset && cmake --build --preset $preset)"
done
if [ "$preset" = win32 ]; then
  [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] && [ -f /usr/lib/wine/wine ] ||
    fail "32-bit Wine is missing: run scripts/install-win32-runtime.sh"
fi

client_argument="$(windows_path "$client")"
limit=240
if [ "$preset" = win32 ] && emulated32; then
  limit=900   # a 32-bit Wine program takes minutes to start under qemu
  echo "32-bit programs run under qemu-i386, where Wine cannot read another process's memory (scripts/wine-env.sh):" \
       "only the checks that need no client run"
  client_argument=--no-client
fi
status=0
timeout "$limit" "$wine" "$host" "$client_argument" "$(windows_path "$dll")" || status=$?
[ "$status" -eq 0 ] || fail "the Wine integration run ($preset) ended with status $status"
