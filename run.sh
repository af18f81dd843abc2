#!/usr/bin/env bash
# Set-up and build on a fresh machine, then run the demo or the tests.
#   ./run.sh demo   build, then run the built-in system-identification demo
#   ./run.sh test   build, then run the whole test suite
#   ./run.sh docs   build, then build and check the manual: build/docs/html/index.html
set -euo pipefail
cd "$(dirname "$0")"

need_packages() {
  local tools=()
  command -v cmake >/dev/null || tools+=(cmake)
  command -v g++ >/dev/null || tools+=(g++)
  # The Python package: Debian's pybind11, NumPy and pytest for /usr/bin/python3,
  # setuptools, wheel and venv for pip installs, matplotlib for the example's plot;
  # help2man for adaptsim's man page.
  install_missing "${tools[@]}" help2man libgtest-dev libbenchmark-dev libeigen3-dev libsndfile1-dev \
    python3-pybind11 pybind11-dev python3-dev python3-numpy python3-pytest python3-setuptools \
    python3-wheel python3-venv python3-pip python3-matplotlib
}

# Installs those of the named Debian packages that are missing.
install_missing() {
  local missing=() package
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y "${missing[@]}"
  fi
}

# The manual (docs/): Sphinx with Debian's theme, MathJax and Markdown reader,
# over the Python package and adaptsim of build/; then its checks.
docs() {
  install_missing python3-sphinx python3-sphinx-rtd-theme libjs-mathjax python3-myst-parser python3-matplotlib
  rm -rf build/docs
  export PYTHONPATH="$PWD/build/python" ADAPTIVE_BUILD_DIR="$PWD/build"
  /usr/bin/python3 -m sphinx -W --keep-going -q -b html -d build/docs/doctrees docs build/docs/html
  /usr/bin/python3 docs/check.py build build/docs/html
  echo "The manual: build/docs/html/index.html"
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
  docs)
    build
    docs
    ;;
  *)
    echo "usage: ./run.sh demo|test|docs" >&2
    exit 2
    ;;
esac
