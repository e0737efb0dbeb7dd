#!/usr/bin/env bash
# Builds every fuzz target with clang and runs each for SECONDS seconds (default 60), one after the
# other, printing how many inputs each executed. The corpus found so far is kept in the build tree
# and reused by the next run. Usage: fuzz/run.sh [SECONDS]
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}

cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2

status=0
for target in "$build"/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build/corpus/$name"
  mkdir -p "$corpus" "$build/crashes"
  args=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/crashes/$name-")
  [ -f "$root/fuzz/$name.dict" ] && args+=(-dict="$root/fuzz/$name.dict")
  log="$build/$name.log"
  if "$target" "${args[@]}" "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "$name: ${runs:-?} executions in ${seconds} s, corpus $(ls "$corpus" | wc -l) inputs"
  else
    tail -40 "$log"
    echo "$name: FAILED (log $log, inputs in $build/crashes)"
    status=1
  fi
done
exit $status
