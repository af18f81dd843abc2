#!/usr/bin/env bash
# Regenerates bench/results.txt and bench/results-long-paths.txt, the sources
# of the tables in bench/README.md:
# installs what is missing (Google Benchmark, the peer libraries, Eigen), builds the
# release configuration and runs every benchmark once; then, where 32-bit x86
# programs run natively, times the 32-bit Linux build from build32/
# (.ci/linux32.sh builds it) and, where Wine runs, adaptive.dll (the build
# that the simulator loads) from build-win/ (.ci/windows.sh builds it), both
# with the timing host adaptive_dll_bench.
#   bench/run.sh [Google Benchmark options, e.g. --benchmark_filter=RLS]
set -euo pipefail
cd "$(dirname "$0")/.."

. .ci/install-missing.sh
install_missing cmake g++ libbenchmark-dev libliquid-dev libeigen3-dev libspeexdsp-dev

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DADAPTIVE_BUILD_BENCH=ON >/dev/null
cmake --build build -j2 --target adaptive_bench

# The long-path groups (frequency_domain_bench.cpp) go to a file of their own,
# bench/results-long-paths.txt: the frequency-domain families beside NLMS and
# beside speexdsp's echo canceller.
long_paths='LongPath|Echo'

{
  echo "machine:  $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
  echo "compiler: $(g++ --version | head -1)"
  echo "flags:    $(grep -m1 '^CMAKE_CXX_FLAGS_RELEASE' build/CMakeCache.txt | cut -d= -f2-) -Wall -Wextra -ffp-contract=off -fno-fast-math"
  echo
  build/bench/adaptive_bench --benchmark_min_time=0.2 --benchmark_repetitions=3 \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_filter="-^($long_paths)/" "$@" 2>&1
  # Where the product runs 512-bit vectors, the 256-bit kernels that
  # processors with AVX2 only run, for their fraction of the 256-bit peak.
  if grep -qw avx512f /proc/cpuinfo; then
    echo
    echo "The same with ADAPTIVE_VECTOR_BITS=256 (the kernels of processors with AVX2 only):"
    ADAPTIVE_VECTOR_BITS=256 build/bench/adaptive_bench --benchmark_min_time=0.2 --benchmark_repetitions=3 \
      --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
      --benchmark_filter='^(Length/(RLS3|NEW3)/(16|30|64)|Peak/mul-add-256)$' 2>&1
  fi
} | tee bench/results.txt

{
  echo "machine:  $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
  echo
  build/bench/adaptive_bench --benchmark_min_time=0.2 --benchmark_repetitions=3 \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_filter="^($long_paths)/" 2>&1
} | tee bench/results-long-paths.txt

# The 32-bit Linux build (build32/, which .ci/linux32.sh builds) through the
# same timing host as the DLL: the same 32-bit code generation without MinGW
# and Wine, and on this processor within a few per cent of the DLL.
linux32_bench=build32/bench/adaptive_dll_bench
linux32_reason=""
if [ ! -f "$linux32_bench" ]; then
  linux32_reason="$linux32_bench is missing (run .ci/linux32.sh)"
elif [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || ! "$linux32_bench" --filter no-such-token --library build32/libadaptive.so >/dev/null 2>&1; then
  linux32_reason="32-bit programs do not run natively here: no meaningful times"
fi
{
  echo
  if [ -n "$linux32_reason" ]; then
    echo "32-bit Linux build: SKIPPED, $linux32_reason"
  else
    echo "32-bit Linux build, ns per sample over batches of about 50 ms:"
    "$linux32_bench" --repetitions 5 --library build32/libadaptive.so || echo "the 32-bit timing host failed"
  fi
} | tee -a bench/results.txt

# The Windows plug-in under Wine. On a kernel without 32-bit support Wine runs
# under qemu-i386, where it may never start and where times would mean nothing.
dll_bench=build-win/bench/adaptive_dll_bench.exe
dll_reason=""
if [ ! -f "$dll_bench" ]; then
  dll_reason="$dll_bench is missing (run .ci/windows.sh)"
elif ! command -v wine >/dev/null; then
  dll_reason="wine is not installed (dpkg --add-architecture i386; apt-get install wine wine32:i386)"
elif [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  dll_reason="32-bit programs run under qemu-i386 here (.ci/i386-exec.sh): no meaningful times"
fi
{
  echo
  if [ -n "$dll_reason" ]; then
    echo "adaptive.dll under Wine: SKIPPED, $dll_reason"
  else
    echo "adaptive.dll under Wine ($(wine --version)), ns per sample over batches of about 50 ms:"
    WINEDEBUG=-all wine "$dll_bench" --repetitions 5 --library "$(winepath -w build-win/adaptive.dll)" ||
      echo "adaptive_dll_bench failed under Wine"
  fi
} | tee -a bench/results.txt
