#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang 14) and runs each for the
# given number of seconds, one after the other:
#     scripts/fuzz.sh [SECONDS [NAME...]]      (default 60 s, every target)
# NAME is a target without its "fuzz_" prefix (display_text, remote_string,
# tree_item, apply_snapshot). Each run starts from the seeds in fuzz/corpus/NAME
# and keeps what it finds in build/fuzz/corpus/NAME, so long runs build on each
# other; an input that breaks an oracle or a sanitizer is kept in
# build/fuzz/artifacts/ and the script fails. Every run ends with its count of
# executions and its rate. Runs at low priority.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
shift || true
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(display_text remote_string tree_item apply_snapshot)

scripts/install-deps.sh cmake make clang-14 libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

failed=()
for name in "${names[@]}"; do
  corpus="build/fuzz/corpus/$name"
  artifacts="build/fuzz/artifacts/$name/"
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz_$name for ${seconds}s"
  log="build/fuzz/$name.log"
  if nice -n 10 "build/fuzz/bin/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=30 \
       -rss_limit_mb=2048 -artifact_prefix="$artifacts" "$corpus" "fuzz/corpus/$name" >"$log" 2>&1; then
    result=ok
  else
    result=FAILED
    failed+=("$name")
    grep -E "oracle failed|ERROR:|runtime error|SUMMARY|Test unit written" "$log" | head -20 || true
  fi
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "fuzz_$name: $result, ${execs:-?} executions, ${rate:-?}/s (log: $log)"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "failed: ${failed[*]}" >&2
  exit 1
fi
