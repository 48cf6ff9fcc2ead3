#!/usr/bin/env bash
# The README's run command: installs what is missing, builds the script host and
# the module, and runs the host. With no arguments that is the demo: two
# stand-in Ventrilo clients on a built-in timeline, examples/demo.lua showing a
# live roster and every event, about 20 seconds. Arguments go to chorister-host
# (--help lists them). CHORISTER_PRESET picks the build (default, asan, tsan).
# It needs root (apt-get) and rebuilds on every launch; once built, run
# build/<preset>/bin/chorister-host directly.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${CHORISTER_PRESET:-default}"
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)" --target chorister-host chorister
exec "build/$preset/bin/chorister-host" "$@"
