#!/usr/bin/env bash
# The Python package as a user installs it: a clean virtual environment over
# the system interpreter (whose Debian packages provide pybind11, NumPy and
# pytest), `pip install --no-build-isolation .`, and its tests against the
# installed package, including the bit-for-bit comparison with adaptsim.
set -euo pipefail
cd "$(dirname "$0")/.."

venv="$PWD/build-venv"
rm -rf "$venv"
/usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/pip" install --no-build-isolation . >/dev/null
# From outside the tree, so that `import adaptive` is the installed package.
cd "$(mktemp -d)"
ADAPTSIM="$OLDPWD/build/adaptsim/adaptsim" "$venv/bin/python" -m pytest -q -p no:cacheprovider "$OLDPWD/python/tests"
