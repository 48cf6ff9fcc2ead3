# Sourced by the scripts that run Windows programs under wine64: finds wine64
# and wineserver (as $wine and $wineserver), and sets up a Wine prefix of its
# own in the given build directory with no display (Wine's null graphics
# driver) and no installer prompts. Usage: . scripts/wine-env.sh BUILD_DIR
# (BUILD_DIR absolute). Defines fail() and windows_path().
fail() { echo "FAIL: $*" >&2; exit 1; }
windows_path() { echo "Z:$(realpath "$1" | tr / '\\')"; }

wine=""
for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine="$candidate"; break; fi
done
[ -n "$wine" ] || fail "wine64 is missing: run scripts/install-windows-deps.sh"
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver || true)"

export WINEPREFIX="${1:?usage: . wine-env.sh BUILD_DIR}/wineprefix"
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
