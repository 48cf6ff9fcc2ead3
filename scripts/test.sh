#!/usr/bin/env bash
# The README's test command: install what is missing, configure, build, run every test.
# With a preset name (default, asan, tsan) it builds and tests that configuration.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
