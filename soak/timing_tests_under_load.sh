#!/usr/bin/env bash
# The tests that use signals, threads, child processes or a clock, run again
# and again while both cores are kept busy: their outcome must not depend on
# the machine's load. Runs on the build of ./run.sh test (build/).
#
#   soak/timing_tests_under_load.sh [RUNS]     (default 200)
#
# Prints pytest's and CTest's summaries; exits 1 when any run failed.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-200}"
root=$PWD

. .ci/install-missing.sh
install_missing --no-install-recommends stress-ng

# The Python tests that interrupt a call, run filters on threads, fork or
# start a Dask cluster; the C++ tests that drive adaptsim as a child process,
# run filters on threads or draw the progress bar.
python_files=(test_warnings_and_interrupts test_filter test_ensemble test_reentrancy_and_signals test_fork_and_exit
              test_history_memory)
python_tests="test_warnings_and_interrupts or test_process_lets_other_threads_run or \
test_filters_on_threads_compute_what_they_compute_alone or test_a_dask_cluster_gives_the_bits_of_threads or \
test_reentrancy_and_signals or test_fork_and_exit or test_history_memory"
cpp_tests='^(RunProcess\.|ProgressBar\.|ParallelFilters\.)'

stress-ng --cpu "$(nproc)" --timeout 0 --quiet &
load=$!
trap 'kill "$load" 2>/dev/null; wait "$load" 2>/dev/null || true' EXIT
echo "under load from stress-ng --cpu $(nproc), each test $runs times:"

# pytest collects a file named several times once per naming; CTest repeats
# each test until it fails.
status=0
repeated=()
for ((run = 1; run <= runs; run++)); do repeated+=("${python_files[@]/#/$root/python/tests/}"); done
(cd build/tests/work &&
  PYTHONPATH="$root/build/python" ADAPTSIM="$root/build/adaptsim/adaptsim" ADAPTIVE_TESTS_COMPLETE=1 \
    /usr/bin/python3 -m pytest -q -p no:cacheprovider --keep-duplicates -W ignore::DeprecationWarning \
      -k "$python_tests" "${repeated[@]/%/.py}") | tail -n 1 || status=1
(cd build && ctest -R "$cpp_tests" --no-tests=error --repeat until-fail:"$runs") | grep -E 'tests passed|Failed' || status=1
exit "$status"
