#!/usr/bin/env bash
# Independent filters on one and on two threads, in C++ and in Python, on the
# build that ./run.sh test made: prints the throughput ratios. It never fails
# on timing, which depends on the machine's load.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build -j2 --target adaptive_parallel_bench
build/bench/adaptive_parallel_bench --benchmark_min_time=0.5
if [ -d build/python/adaptive_filters ]; then
  PYTHONPATH=build/python /usr/bin/python3 bench/python_parallel.py
else
  echo "the Python module was not built: no Python threads benchmark"
fi
