#!/usr/bin/env bash
# The Python package as a user installs it: a clean virtual environment over
# the system interpreter (whose Debian packages provide pybind11, NumPy and
# pytest; Hypothesis, Dask's distributed and mypy are installed here when
# missing), `pip install --no-build-isolation .`, its tests against the
# installed package (including the bit-for-bit comparison with adaptsim), and
# its type information checked by mypy.
set -euo pipefail
cd "$(dirname "$0")/.."

. .ci/install-missing.sh
install_missing --no-install-recommends python3-hypothesis python3-distributed python3-mypy

venv="$PWD/build-venv"
rm -rf "$venv"
/usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/pip" install --no-build-isolation . >/dev/null
repo=$PWD
# From outside the tree, so that `import adaptive_filters` is the installed package.
cd "$(mktemp -d)"
ADAPTSIM="$repo/build/adaptsim/adaptsim" ADAPTIVE_TESTS_COMPLETE=1 "$venv/bin/python" -m pytest -q -p no:cacheprovider "$repo/python/tests"
# The annotations of the package and its stubs, and the stubs against the module.
"$venv/bin/python" -m mypy --strict --no-incremental -p adaptive_filters
"$venv/bin/python" -m mypy.stubtest --allowlist "$repo/python/stubtest-allowlist.txt" adaptive_filters._adaptive
