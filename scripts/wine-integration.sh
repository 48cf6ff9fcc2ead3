#!/usr/bin/env bash
# Runs the 64-bit module against the Win32 stand-in client under wine64, with
# no display (Wine's null graphics driver), in a Wine prefix of its own inside
# the win64 build directory. Fails loudly when wine64 or the build is missing.
set -euo pipefail
build="$(realpath -m "${1:?usage: wine-integration.sh path/to/build/win64}")"  # Wine needs an absolute prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

wine=""
for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine="$candidate"; break; fi
done
[ -n "$wine" ] || fail "wine64 is missing: run scripts/install-windows-deps.sh"
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver || true)"

host="$build/bin/c_test_host.exe"
client="$build/bin/standin_client.exe"
dll="$build/lib/chorister.dll"
for f in "$host" "$client" "$dll"; do
  [ -f "$f" ] || fail "$f is missing: build the win64 preset first (cmake --preset win64 && cmake --build --preset win64)"
done

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko installer prompts
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot could not set up $WINEPREFIX"
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 ||
    fail "could not select Wine's null graphics driver"
  # wineboot returns before the new prefix has settled; a program started
  # meanwhile may fail. Wait until every process of the prefix has ended.
  [ -n "$wineserver" ] && "$wineserver" -w
fi

windows_path() { echo "Z:$(realpath "$1" | tr / '\\')"; }
status=0
timeout 240 "$wine" "$host" "$(windows_path "$client")" "$(windows_path "$dll")" || status=$?
# This prefix's server (started above) ends with its last client; end it now so nothing outlives the test.
[ -n "$wineserver" ] && "$wineserver" -k 2>/dev/null || true
[ "$status" -eq 0 ] || fail "the Wine integration run ended with status $status"
