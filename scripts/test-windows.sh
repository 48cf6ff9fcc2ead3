#!/usr/bin/env bash
# The Windows side: installs the MinGW-w64 cross compilers and wine64 when
# missing, builds Lua 5.4 for both (scripts/build-lua-mingw.sh), the 32-bit DLL
# and script host (win32) and the 64-bit DLL and host with the Win32 stand-in
# client and the C test host (win64), then runs the tests labelled
# "windows" from the Linux default build: the check of the 32-bit DLL's
# exports and imports, the check of its virtual tables' slots, and the module
# against the stand-in under wine64.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-windows-deps.sh
scripts/build-lua-mingw.sh
for preset in win32 win64; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$(nproc)"
done
[ -f build/default/CTestTestfile.cmake ] || cmake --preset default
ctest --preset windows
