#!/usr/bin/env bash
# The README's test command: install what is missing, configure, build, run every test.
# With a preset name (default, asan, tsan, i686) it builds and tests that
# configuration; i686 is the whole suite as 32-bit Linux programs.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
if [ "$preset" = i686 ]; then
  scripts/install-i386-runner.sh
  scripts/install-deps.sh cmake make g++-multilib libgtest-dev:i386 libgmock-dev:i386 dpkg-dev
  scripts/build-lua-mingw.sh linux-i386
else
  scripts/install-deps.sh
fi
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
