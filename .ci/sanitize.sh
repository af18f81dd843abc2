#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and UndefinedBehaviorSanitizer
# (recovery off: the first finding fails its test).
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/checked-build.sh
install_missing cmake g++ libgtest-dev
configure_checked build-sanitize
cd build-sanitize
ctest --output-on-failure -j2
