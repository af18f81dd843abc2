#!/usr/bin/env bash
# The tests that use signals, threads, child processes or a clock, run again
# and again while both cores are kept busy: their outcome must not depend on
# the machine's load. Runs on the build of ./run.sh test (build/).
#
#   soak/timing_tests_under_load.sh [RUNS]     (default 200)
#
# Prints one line per failed run (its log kept in build/timing-runs/) and ends
# with "N passed, N failed"; exits 1 when any run failed.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-200}"
root=$PWD

. .ci/install-missing.sh
install_missing --no-install-recommends stress-ng

# The Python tests that interrupt a call, run filters on threads, fork or
# start a Dask cluster; the C++ tests that drive adaptsim as a child process,
# run filters on threads or draw the progress bar.
python_tests=(
  python/tests/test_warnings_and_interrupts.py
  "python/tests/test_filter.py::test_process_lets_other_threads_run"
  "python/tests/test_filter.py::test_filters_on_threads_compute_what_they_compute_alone"
  "python/tests/test_ensemble.py::test_a_dask_cluster_gives_the_bits_of_threads"
)
for extra in python/tests/test_reentrancy_and_signals.py python/tests/test_fork_and_exit.py; do
  [ -f "$extra" ] && python_tests+=("$extra")
done
cpp_tests='^(RunProcess\.|ProgressBar\.|ParallelFilters\.)'

logs=build/timing-runs
rm -rf "$logs"
mkdir -p "$logs"
stress-ng --cpu "$(nproc)" --timeout 0 --quiet &
load=$!
trap 'kill "$load" 2>/dev/null; wait "$load" 2>/dev/null || true' EXIT

passed=0
failed=0
for ((run = 1; run <= runs; run++)); do
  log="$logs/run-$run.log"
  if (cd build/tests/work &&
      PYTHONPATH="$root/build/python" ADAPTSIM="$root/build/adaptsim/adaptsim" ADAPTIVE_TESTS_COMPLETE=1 \
        /usr/bin/python3 -m pytest -q -p no:cacheprovider "${python_tests[@]/#/$root/}" &&
      cd "$root/build" && ctest -R "$cpp_tests" --no-tests=error) >"$log" 2>&1; then
    passed=$((passed + 1))
    rm "$log"
  else
    failed=$((failed + 1))
    echo "run $run failed: $log"
  fi
done
echo "under load from stress-ng --cpu $(nproc), $runs runs of the signal, thread and clock tests:"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
