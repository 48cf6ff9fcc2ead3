#!/usr/bin/env bash
# Builds Google Benchmark (Debian's source package) with the 64-bit MinGW-w64
# toolchain into build/benchmark-mingw64, then the capture benchmark of the
# win64 build, and runs it under wine64 (Google Benchmark flags are passed on).
# It also builds the DLL and the latency program that scripts/bench.sh runs. Needs Debian source entries (deb-src);
# as root it adds them (scripts/debian-source.sh). Not part of CI: it only
# produces figures.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scripts/install-windows-deps.sh
scripts/build-lua-mingw.sh x86_64
prefix="$root/build/benchmark-mingw64"
if [ ! -f "$prefix/lib/cmake/benchmark/benchmarkConfig.cmake" ]; then
  src="$(scripts/debian-source.sh benchmark "$root/build/benchmark-src")"
  # Debian's patches read no Git tags: the version is given, as its rules do.
  cmake -S "$src" -B "$src/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DGIT_VERSION="$(basename "$src" | sed "s/^benchmark-//")" \
    -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF -DBENCHMARK_ENABLE_WERROR=OFF
  cmake --build "$src/build" -j "$(nproc)"
  cmake --install "$src/build"
fi
cmake --preset win64 -Dbenchmark_DIR="$prefix/lib/cmake/benchmark"
cmake --build --preset win64 -j "$(nproc)" --target capture_bench standin_client chorister handler_latency
. scripts/wine-env.sh
"$wine" build/win64/bin/capture_bench.exe "$(windows_path build/win64/bin/standin_client.exe)" "$@"
