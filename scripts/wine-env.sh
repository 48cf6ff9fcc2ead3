# Sourced by the scripts that run Windows programs under Wine: finds wine64
# and wineserver (as $wine and $wineserver), and sets up the checkout's one
# Wine prefix, build/wineprefix, with no display (Wine's null graphics
# driver) and no installer prompts. It is a 64-bit prefix; with wine32:i386
# installed (scripts/install-win32-runtime.sh) it runs 32-bit programs too,
# through Wine's WoW64, so the 32- and 64-bit runs share it and its server.
# The server is started to stay 30 s after its last program, so the steps of
# one run (each program under 32-bit Wine starts slowly under qemu) meet a
# running server and nothing outlives the run for long.
# Usage: . scripts/wine-env.sh. Defines fail(), windows_path() and
# emulated32().
fail() { echo "FAIL: $*" >&2; exit 1; }
windows_path() { echo "Z:$(realpath "$1" | tr / '\\')"; }
# True when 32-bit programs run under qemu-i386 (binfmt_misc's entry, which
# scripts/install-i386-runner.sh registers only where the kernel cannot run
# them). qemu-user places a 32-bit guest's address space one page above the
# host's (guest_base 0x1000: it reserves the guest's 4 GiB where the kernel
# places the block, never at address 0, and refuses -B 0), and
# Wine's server reads and writes another process's memory through
# /proc/<pid>/mem and ptrace at the guest address, so it meets the wrong
# bytes: between emulated 32-bit Wine processes ReadProcessMemory reads what
# lies 4 KiB lower (zeros, mostly), and no client's tree can be read.
emulated32() { grep -qsx enabled /proc/sys/fs/binfmt_misc/qemu-i386; }

wine=""
for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64; do
  if [ -n "$candidate" ] && [ -x "$candidate" ]; then wine="$candidate"; break; fi
done
[ -n "$wine" ] || fail "wine64 is missing: run scripts/install-windows-deps.sh"
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver || true)"
[ -n "$wineserver" ] || fail "wineserver is missing: run scripts/install-windows-deps.sh"

export WINEPREFIX="$(realpath -m "$(dirname "${BASH_SOURCE[0]}")/../build/wineprefix")"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts; no debugger for a program that crashes,
# which then ends at once with a failing status instead of waiting in winedbg.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot could not set up $WINEPREFIX"
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 ||
    fail "could not select Wine's null graphics driver"
  # wineboot returns before the new prefix has settled; a program started
  # meanwhile may fail. Wait until every process of the prefix has ended.
  "$wineserver" -w
fi
"$wineserver" -p30 2>/dev/null || true   # a server already running serves on
