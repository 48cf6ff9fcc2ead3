#!/usr/bin/env bash
# Runs the model-based soak long: two stand-in clients under random change,
# the module's element tree and events checked after every pass.
#     scripts/soak.sh [MUTATIONS [PRESET]] [SOAK OPTION...]
# MUTATIONS defaults to 1,000,000 and PRESET to default (asan for
# AddressSanitizer; slower). The random seed comes from SOAK_SEED, else from the
# clock, and is printed, so a failure can be run again. Further options go to
# the soak (tests/soak/Soak.cpp), e.g. --plant-wrong-expectation. Runs at low priority.
set -euo pipefail
cd "$(dirname "$0")/.."
mutations="${1:-1000000}"
preset="${2:-default}"
shift $(( $# < 2 ? $# : 2 ))
seed="${SOAK_SEED:-$(date +%s)}"

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target soak -j "$(nproc)"
echo "soak: $mutations changes, preset $preset, seed $seed $*"
exec nice -n 10 "build/$preset/bin/soak" --mutations "$mutations" --seed "$seed" "$@"
