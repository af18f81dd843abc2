#!/usr/bin/env bash
# The 32-bit Windows plug-in: cross build with MinGW-w64 (build-win/), the
# check of its export and import tables, the check that formatted number output
# comes from the MinGW printf (which prints like glibc) and not from the
# system's C runtime, and the user package (build-win/adaptive-win32.zip)
# with the palette icons its catalogue names.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${JOBS:-2}"

. .ci/install-missing.sh
install_missing --no-install-recommends g++-mingw-w64-i686

cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw32.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DADAPTIVE_BUILD_TESTS=OFF -DADAPTIVE_BUILD_BENCH=ON >/dev/null
cmake --build build-win -j"$jobs"
echo "adaptive.dll: $(stat -c %s build-win/adaptive.dll) bytes; adaptsim.exe: $(stat -c %s build-win/adaptsim/adaptsim.exe) bytes"

.ci/check-dll-exports.sh build-win/adaptive.dll

# The Windows C runtime prints "%E" with three exponent digits; every object
# must reach printf and strtod through their MinGW implementations.
runtime_calls="$(find build-win -name '*.obj' -exec i686-w64-mingw32-nm -uA {} + |
  grep -E ' U (_|__|___ms_)v?(s|f|sn)?printf$| U _(strtod|atof|sscanf|fscanf)$' || true)"
if [ -n "$runtime_calls" ]; then
  echo "FAIL: objects that call the system C runtime's formatted I/O (build with __USE_MINGW_ANSI_STDIO=1):"
  echo "$runtime_calls"
  exit 1
fi
echo "OK: formatted number input and output use the MinGW implementation"

# The catalogue listing of the package comes from the native adaptsim.
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build -j"$jobs" --target adaptsim >/dev/null
cmake --build build-win --target package-zip >/dev/null
unzip -l build-win/adaptive-win32.zip

# The package's icons are exactly those its catalogue.txt names.
named="$(unzip -p build-win/adaptive-win32.zip catalogue.txt | tr -d '\r' | sed -n 's/^Icon: //p' | sort -u)"
packed="$(unzip -Z1 build-win/adaptive-win32.zip | grep '\.wmf$' | sort)"
if [ -z "$named" ] || [ "$named" != "$packed" ]; then
  echo "FAIL: the package's icons differ from those catalogue.txt names"
  diff <(echo "$named") <(echo "$packed") || true
  exit 1
fi
echo "OK: the package holds the $(echo "$packed" | wc -l) icons catalogue.txt names, and no other"
