#!/usr/bin/env bash
# Set-up and build on a fresh machine, then run the demo or the tests.
#   ./run.sh demo   build, then run the built-in system-identification demo
#   ./run.sh test   build, then run the whole test suite
set -euo pipefail
cd "$(dirname "$0")"

need_packages() {
  local missing=()
  command -v cmake >/dev/null || missing+=(cmake)
  command -v g++ >/dev/null || missing+=(g++)
  dpkg -s libgtest-dev >/dev/null 2>&1 || missing+=(libgtest-dev)
  dpkg -s libbenchmark-dev >/dev/null 2>&1 || missing+=(libbenchmark-dev)
  dpkg -s libeigen3-dev >/dev/null 2>&1 || missing+=(libeigen3-dev)
  dpkg -s libsndfile1-dev >/dev/null 2>&1 || missing+=(libsndfile1-dev)
  # The Python package: Debian's pybind11, NumPy and pytest for /usr/bin/python3,
  # setuptools, wheel and venv for pip installs, matplotlib for the example's plot.
  local package
  for package in python3-pybind11 pybind11-dev python3-dev python3-numpy python3-pytest python3-setuptools \
      python3-wheel python3-venv python3-pip python3-matplotlib; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
  fi
}

build() {
  need_packages
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j"$(nproc)"
}

case "${1:-}" in
  demo)
    build
    shift
    exec build/adaptsim/adaptsim demo "$@"
    ;;
  test)
    build
    cd build && ctest --output-on-failure -j"$(nproc)"
    ;;
  *)
    echo "usage: ./run.sh demo|test" >&2
    exit 2
    ;;
esac
