#!/usr/bin/env bash
# Set-up and build on a fresh machine, then run the demo or the tests.
#   ./run.sh demo   build adaptsim and the plug-in, then run the built-in system-identification demo
#   ./run.sh test   build, then run the whole test suite
#   ./run.sh docs   build, then build and check the manual: build/docs/html/index.html
set -euo pipefail
cd "$(dirname "$0")"

. .ci/install-missing.sh

# What the build and the tests use, all from Debian: the toolchain, GoogleTest
# and Google Benchmark, Eigen and libsndfile (adaptsim's lab), pybind11, NumPy
# and pytest for /usr/bin/python3 (the Python package), setuptools, wheel and
# venv for pip installs, matplotlib for the example's plot, help2man for
# adaptsim's man page.
need_packages() {
  local tools=()
  command -v cmake >/dev/null || tools+=(cmake)
  command -v g++ >/dev/null || tools+=(g++)
  install_missing "${tools[@]}" help2man libgtest-dev libbenchmark-dev libeigen3-dev libsndfile1-dev \
    python3-pybind11 pybind11-dev python3-dev python3-numpy python3-pytest python3-setuptools \
    python3-wheel python3-venv python3-pip python3-matplotlib
}

# What only the tests use: Hypothesis (the property tests), Dask's
# distributed (an ensemble on a cluster), GNU Octave (the matrix files read
# and written by another program), libwmf and its fonts (the palette icons
# read by a real metafile reader). CTest expects them all: a test that finds
# one missing fails, naming it.
need_test_packages() {
  install_missing python3-hypothesis python3-distributed libwmf-bin fonts-urw-base35
  install_missing --no-install-recommends octave
}

# The manual (docs/): Sphinx with Debian's theme, MathJax and Markdown reader,
# over the Python package and adaptsim of build/, and espeak-ng for the
# speech of the echo-cancellation guide; then its checks.
docs() {
  install_missing python3-sphinx python3-sphinx-rtd-theme libjs-mathjax python3-myst-parser python3-matplotlib \
    espeak-ng
  rm -rf build/docs
  export PYTHONPATH="$PWD/build/python" ADAPTIVE_BUILD_DIR="$PWD/build"
  /usr/bin/python3 -m sphinx -W --keep-going -q -b html -d build/docs/doctrees docs build/docs/html
  /usr/bin/python3 docs/check.py build build/docs/html
  echo "The manual: build/docs/html/index.html"
}

# Builds the named targets, or everything.
build() {
  need_packages
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j"$(nproc)" ${1:+--target "$@"}
}

case "${1:-}" in
  demo)
    build adaptsim adaptive
    shift
    build/adaptsim/adaptsim demo "$@"
    echo "(adaptsim is build/adaptsim/adaptsim.)"
    ;;
  test)
    need_test_packages
    build
    cd build && ctest --output-on-failure -j"$(nproc)"
    ;;
  docs)
    build
    docs
    ;;
  *)
    echo "usage: ./run.sh demo|test|docs" >&2
    exit 2
    ;;
esac
