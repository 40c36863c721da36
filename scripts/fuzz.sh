#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, ASan and UBSan, and runs each for the given
# number of seconds (default 30) over the seed corpus in fuzz/corpus. New inputs go to a
# scratch folder; the seeds in the repository stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"

CXX=clang++ cmake -S . -B out/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPARLIX_FUZZ=ON -DPARLIX_GUI=OFF -DPARLIX_TESTS=OFF -DPARLIX_BENCH=OFF
cmake --build out/fuzz

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
for target in out/fuzz/fuzz/fuzz_*; do
  name="$(basename "$target")"
  seeds="fuzz/corpus/${name#fuzz_}"
  mkdir -p "$scratch/$name"
  echo "Fuzzing $name for ${seconds}s"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$scratch/" -print_final_stats=1 "$scratch/$name" "$seeds" 2>&1 \
    | grep -E "^(#[0-9]+ +DONE|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)" || true
  faults="$(find "$scratch" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' \
    -o -name 'timeout-*' -o -name 'oom-*' \))"
  if [ -n "$faults" ]; then
    echo "$name found a fault:"
    echo "$faults"
    exit 1
  fi
done
