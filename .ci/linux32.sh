#!/usr/bin/env bash
# The whole test suite built for 32-bit x86 Linux: the record layouts are then
# exactly the host's (their 32-bit static_asserts compile) and the entry points
# use the standard-call convention, as in the Windows plug-in.
# GoogleTest is built for -m32 from Debian's sources in /usr/src/googletest.
# The build also has the timing host that bench/run.sh runs on it.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-2}"

. .ci/install-missing.sh
install_missing --no-install-recommends g++-multilib googletest cmake

. .ci/i386-exec.sh
ensure_i386_exec

gtest_prefix="$PWD/build32-gtest/prefix"
if [ ! -f "$gtest_prefix/lib/libgtest_main.a" ]; then
  cmake -S /usr/src/googletest -B build32-gtest/build -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-linux32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DCMAKE_INSTALL_LIBDIR=lib >/dev/null
  cmake --build build32-gtest/build -j"$jobs" >/dev/null
  cmake --install build32-gtest/build >/dev/null
fi

cmake -S . -B build32 -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-linux32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$gtest_prefix" -DADAPTIVE_BUILD_BENCH=ON >/dev/null
cmake --build build32 -j"$jobs"
# A 64-bit object slipping into this build would not link; check the result too.
file -L build32/libadaptive.so | grep -q 'ELF 32-bit' || { echo "FAIL: build32/libadaptive.so is not a 32-bit library"; exit 1; }
cd build32 && ctest --output-on-failure -j"$jobs"
