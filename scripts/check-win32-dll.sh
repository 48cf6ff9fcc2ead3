#!/usr/bin/env bash
# Checks the 32-bit chorister.dll: an i386 image whose export table holds
# exactly CreateQSModuleInterface and QSModule_Version, undecorated, and whose
# imports name only system DLLs (no MinGW runtime DLL is needed beside it).
set -euo pipefail
dll="${1:?usage: check-win32-dll.sh path/to/chorister.dll}"
objdump=i686-w64-mingw32-objdump
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v "$objdump" >/dev/null || fail "$objdump is missing: run scripts/install-windows-deps.sh"
[ -f "$dll" ] || fail "$dll is missing: build the win32 preset first (cmake --preset win32 && cmake --build --preset win32)"
dump="$("$objdump" -p "$dll" 2>&1)" || fail "$dll is no PE image: $dump"

grep -q 'file format pei-i386' <<<"$dump" || fail "not an i386 image"
grep -Eq '^Magic[[:space:]]+010b' <<<"$dump" || fail "not a PE32 (32-bit) image"

# The export name table: "[ordinal] name" lines after "[Ordinal/Name Pointer] Table".
exports="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] //p' | sort)"
expected="$(printf 'CreateQSModuleInterface\nQSModule_Version')"
[ "$exports" = "$expected" ] || fail "exports are [$(echo $exports)], expected [$(echo $expected)]"

imports="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u)"
for name in $imports; do
  case "$name" in
    kernel32.dll|user32.dll|msvcrt.dll|comctl32.dll|advapi32.dll) ;;
    *) fail "imports $name, which is not a system DLL" ;;
  esac
done
echo "chorister.dll: i386, exports CreateQSModuleInterface and QSModule_Version, imports $(echo $imports)"
echo "$(stat -c %s "$dll") bytes"
