#!/usr/bin/env bash
# Builds Google Benchmark (Debian's source package) with the 64-bit MinGW-w64
# toolchain into build/benchmark-mingw64, then the capture benchmark of the
# win64 build, and runs it under wine64. Needs Debian source entries (deb-src);
# as root it adds them (scripts/debian-source.sh). Not part of CI: it only
# produces figures.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scripts/install-windows-deps.sh
prefix="$root/build/benchmark-mingw64"
if [ ! -f "$prefix/lib/cmake/benchmark/benchmarkConfig.cmake" ]; then
  src="$(scripts/debian-source.sh benchmark "$root/build/benchmark-src")"
  cmake -S "$src" -B "$src/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF -DBENCHMARK_ENABLE_WERROR=OFF
  cmake --build "$src/build" -j "$(nproc)"
  cmake --install "$src/build"
fi
cmake --preset win64 -Dbenchmark_DIR="$prefix/lib/cmake/benchmark"
cmake --build --preset win64 -j "$(nproc)" --target capture_bench standin_client
export WINEPREFIX="$root/build/win64/wineprefix" WINEDEBUG=-all
wine="$(command -v wine64 || echo /usr/lib/wine/wine64)"
"$wine" build/win64/bin/capture_bench.exe "Z:$(realpath build/win64/bin/standin_client.exe | tr / '\\')" "$@"
