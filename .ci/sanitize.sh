#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# (recovery off: the first finding fails its test), the Python package's tests
# included (python/CMakeLists.txt preloads the sanitizer into the interpreter).
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/checked-build.sh
install_missing cmake g++ libgtest-dev python3-pybind11 pybind11-dev python3-dev python3-numpy python3-pytest
configure_checked build-sanitize
cd build-sanitize
ctest --output-on-failure -j2
