#!/usr/bin/env bash
# Filters of every token on several threads at once, built with
# ThreadSanitizer: any data race fails the test. Builds only that test, and
# the Python module for the Python tests of threads, signals, fork and exit
# (python/CMakeLists.txt preloads the sanitizer into the interpreter).
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/checked-build.sh
install_missing cmake g++ libgtest-dev python3-pybind11 pybind11-dev python3-dev python3-numpy python3-pytest
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:${TSAN_OPTIONS:-}"
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DADAPTIVE_THREAD_SANITIZE=ON \
  -DADAPTIVE_BUILD_SIM=OFF -DADAPTIVE_BUILD_BENCH=OFF -DADAPTIVE_BUILD_PYTHON=ON >/dev/null
cmake --build build-tsan -j2 --target adaptive_thread_tests _adaptive
cd build-tsan
ctest --output-on-failure
