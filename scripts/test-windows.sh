#!/usr/bin/env bash
# The Windows side: installs the MinGW-w64 cross compilers, wine64 and 32-bit
# Wine when missing (scripts/install-win32-runtime.sh), builds Lua 5.4 for
# both (scripts/build-lua-mingw.sh), the 32-bit (win32) and 64-bit (win64)
# DLL, script host, Win32 stand-in client and C test host, then runs the
# tests labelled "windows" from the Linux default build: the check of the
# 32-bit DLL's exports and imports, the check of its virtual tables' slots,
# and the module against the stand-in under wine64 and under 32-bit Wine.
# Last, the release bundle as shipped (scripts/package.sh) and its check,
# which runs it under 32-bit Wine (scripts/check-bundle.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-win32-runtime.sh
scripts/build-lua-mingw.sh
for preset in win32 win64; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j "$(nproc)"
done
[ -f build/default/CTestTestfile.cmake ] || cmake --preset default
ctest --preset windows
scripts/package.sh
scripts/check-bundle.sh
