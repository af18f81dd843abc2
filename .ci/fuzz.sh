#!/usr/bin/env bash
# Runs every fuzzer that this code base has for a bounded time (FUZZ_SECONDS,
# default 60, each), starting from the seed corpus in fuzz/corpus/NAME. The
# corpus in the repository is not changed; a crash fails the job and its input
# is printed so that it can become a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/checked-build.sh
install_missing cmake clang libclang-rt-dev
seconds=${FUZZ_SECONDS:-60}

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DADAPTIVE_FUZZ=ON -DADAPTIVE_BUILD_TESTS=OFF -DADAPTIVE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
total=0 failed=0 ran=0
for fuzzer in entry_protocol_fuzzer matrix_text_fuzzer adaptsim_parsing_fuzzer; do
  binary=build-fuzz/fuzz/$fuzzer
  [ -x "$binary" ] || { echo "$fuzzer: not built in this code base"; continue; }
  ran=$((ran + 1))
  corpus=$work/$fuzzer
  mkdir -p "$corpus"
  [ -d "fuzz/corpus/$fuzzer" ] && cp -r "fuzz/corpus/$fuzzer/." "$corpus/"
  status=0
  "$binary" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=3072 -print_final_stats=1 \
    -close_fd_mask=1 -artifact_prefix="$work/$fuzzer-" "$corpus" >"$work/$fuzzer.log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$fuzzer.log" | tail -1)
  total=$((total + ${runs:-0}))
  if [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
    echo "$fuzzer: FAILED after ${runs:-?} executions"
    grep -v '^#' "$work/$fuzzer.log" | tail -60
    for artifact in "$work/$fuzzer-"*; do
      [ -e "$artifact" ] || continue
      echo "input that failed ($artifact), base64:"
      base64 "$artifact"
    done
  else
    echo "$fuzzer: ${runs:-0} executions in ${seconds}s, no finding"
  fi
done
echo "fuzzing: $ran fuzzers, $total executions, $failed failed"
[ "$failed" -eq 0 ]
