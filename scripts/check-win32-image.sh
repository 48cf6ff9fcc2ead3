#!/usr/bin/env bash
# Checks a 32-bit Windows image of the product: an i386 PE32 image whose
# imports name only system DLLs (no MinGW runtime or Lua DLL is needed beside
# it). A DLL (chorister.dll) must export exactly CreateQSModuleInterface and
# QSModule_Version, undecorated; a program (chorister-host.exe) nothing.
set -euo pipefail
image="${1:?usage: check-win32-image.sh path/to/chorister.dll|chorister-host.exe}"
objdump=i686-w64-mingw32-objdump
fail() { echo "FAIL: $*" >&2; exit 1; }
name="$(basename "$image")"
command -v "$objdump" >/dev/null || fail "$objdump is missing: run scripts/install-windows-deps.sh"
[ -f "$image" ] || fail "$image is missing: build the win32 preset first (cmake --preset win32 && cmake --build --preset win32)"
dump="$("$objdump" -p "$image" 2>&1)" || fail "$image is no PE image: $dump"

grep -q 'file format pei-i386' <<<"$("$objdump" -f "$image")" || fail "$name is not an i386 image"
grep -Eq '^Magic[[:space:]]+010b' <<<"$dump" || fail "$name is not a PE32 (32-bit) image"

# The export name table: "[ordinal] name" lines after "[Ordinal/Name Pointer] Table".
exports="$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] //p' | sort)"
case "$name" in
  *.dll|*.DLL) expected="$(printf 'CreateQSModuleInterface\nQSModule_Version')" ;;
  *) expected="" ;;
esac
[ "$exports" = "$expected" ] || fail "$name exports [$(echo $exports)], expected [$(echo $expected)]"

imports="$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u)"
for dll in $imports; do
  case "$dll" in
    kernel32.dll|user32.dll|msvcrt.dll|comctl32.dll|advapi32.dll) ;;
    *) fail "$name imports $dll, which is not a system DLL" ;;
  esac
done
echo "$name: i386, exports [$(echo $exports)], imports $(echo $imports), $(stat -c %s "$image") bytes"
