#!/usr/bin/env bash
# Builds Google Benchmark (Debian's source package) with the 64-bit MinGW-w64
# toolchain into build/benchmark-mingw64, then the capture benchmark of the
# win64 build, and runs it under wine64. Needs Debian source entries (deb-src);
# as root it adds them. Not part of CI: it only produces figures.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
scripts/install-windows-deps.sh
if ! apt-get source --print-uris benchmark >/dev/null 2>&1; then
  [ "$(id -u)" -eq 0 ] || { echo "no Debian source entries; run as root" >&2; exit 1; }
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    > /etc/apt/sources.list.d/debian-src.sources
  apt-get update -qq
fi
src="$root/build/benchmark-src"
prefix="$root/build/benchmark-mingw64"
if [ ! -f "$prefix/lib/cmake/benchmark/benchmarkConfig.cmake" ]; then
  mkdir -p "$src"
  (cd "$src" && apt-get source --download-only benchmark >/dev/null && tar xzf benchmark_*.orig.tar.gz)
  cmake -S "$(ls -d "$src"/benchmark-*/ | head -1)" -B "$src/build" -DCMAKE_BUILD_TYPE=Release \
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
