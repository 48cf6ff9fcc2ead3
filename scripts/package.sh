#!/usr/bin/env bash
# Builds the Windows release bundle dist/chorister-<version>-win32.zip (the
# version is the CMake project's): the 32-bit chorister.dll and
# chorister-host.exe of the win32 preset, the example scripts, and the README
# for Windows users (README-windows.txt, as README.txt with Windows line
# endings). Builds what is missing; prints the bundle's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-windows-deps.sh
scripts/install-deps.sh zip
scripts/build-lua-mingw.sh i686 >/dev/null
[ -f build/win32/CMakeCache.txt ] || cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target chorister chorister-host >/dev/null
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' build/win32/CMakeCache.txt)"
[ -n "$version" ] || { echo "package.sh: no project version in build/win32/CMakeCache.txt" >&2; exit 1; }

name="chorister-$version-win32"
stage="build/package/$name"
rm -rf "$stage"
mkdir -p "$stage/examples" dist
cp build/win32/lib/chorister.dll build/win32/bin/chorister-host.exe "$stage/"
cp examples/*.lua "$stage/examples/"
sed 's/$/\r/' README-windows.txt >"$stage/README.txt"
rm -f "dist/$name.zip"
(cd build/package && zip -q -X -r "../../dist/$name.zip" "$name")
echo "dist/$name.zip"
