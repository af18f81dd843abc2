#!/usr/bin/env bash
# Long runs: every token the library exports runs LONG_RUN_SAMPLES (default 10
# million) samples of bounded random input at its default parameters, and its
# memory must stay constant. Uses the Release build of run.sh (build/).
set -euo pipefail
cd "$(dirname "$0")/.."
samples=${LONG_RUN_SAMPLES:-10000000}
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DADAPTIVE_BUILD_LONG_RUN=ON >/dev/null
cmake --build build -j2 --target long_run
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
driver=$PWD/build/soak/long_run
cd "$work"
# Two tokens at a time: the machine has two cores.
status=0
"$driver" --list | xargs -P 2 -n 1 "$driver" --samples "$samples" >report.txt 2>&1 || status=$?
grep -v '^long run:' report.txt | sort
echo "long run: $(grep -c ' samples ' report.txt) tokens x $samples samples, $(grep -c FAIL report.txt) failed"
[ "$status" -eq 0 ]
