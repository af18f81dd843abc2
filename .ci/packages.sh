#!/usr/bin/env bash
# The release packages as users get them, from the build already made
# (BUILD_DIR, default ./build, with the manual of ./run.sh docs where built):
# the Debian packages by CPack and lintian's verdict on them, installed with
# dpkg on this machine (a CMake program finds the package, adaptsim runs from
# the PATH, its man page renders, dpkg -s shows version and licence) and
# removed again with nothing left behind; the Python wheel, installed into a
# virtual environment that sees only what the wheel declares and Debian's
# NumPy, where the package's tests pass against the installed adaptsim.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
build=$(cd "${BUILD_DIR:-build}" && pwd)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
. .ci/install-missing.sh
install_missing --no-install-recommends lintian man-db help2man dpkg-dev python3-venv python3-pytest \
  python3-hypothesis python3-numpy python3-wheel

# The Python package's import name, its wheel's and its distribution's.
python_package=adaptive_filters
version=$(sed -n 's/^project(adaptive VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
packages=(libadaptive libadaptive-dev adaptsim adaptive-doc)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# --- The Debian packages ---------------------------------------------------
# The man page needs help2man when the build is configured.
cmake "$build" >/dev/null
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=()
for package in "${packages[@]}"; do
  deb=$(ls "$build/${package}_${version}-"*.deb 2>/dev/null) || fail "no package $package (the manual's needs ./run.sh docs first)"
  debs+=("$deb")
done
ls -l "${debs[@]}"
# Errors fail; the warnings that remain are known, and explained in
# cmake/DebianPackages.cmake.
lintian --fail-on error "${debs[@]}"

wait_for_package_manager
$sudo dpkg -i "${debs[@]}"
for package in "${packages[@]}"; do
  dpkg -s "$package" >"$scratch/$package.status"
  grep -qx "Version: ${version}-[0-9]*" "$scratch/$package.status" || fail "dpkg -s $package: not version $version"
  grep -qx " License: MIT (/usr/share/doc/$package/copyright)." "$scratch/$package.status" \
    || fail "dpkg -s $package: no licence"
  dpkg -L "$package" >"$scratch/$package.files"
  grep -qx "/usr/share/doc/$package/copyright" "$scratch/$package.files" || fail "$package has no copyright file"
  grep -qx "License: MIT" "/usr/share/doc/$package/copyright" || fail "$package: the copyright file names no MIT licence"
done
[ "$(command -v adaptsim)" = /usr/bin/adaptsim ] || fail "adaptsim is not on the PATH from the package"
# The plug-in's 24 tokens, then after a blank line the families beyond them.
[ "$(adaptsim list | sed '/^$/q' | grep -c .)" -eq 24 ] || fail "adaptsim list from the PATH does not list 24 tokens"
adaptsim list | grep -q '^PBFDAF ' || fail "adaptsim list from the PATH does not list the families beyond the catalogue"
[ "$(adaptsim --version)" = "adaptsim $version" ] || fail "adaptsim --version is not $version"
MANWIDTH=80 man adaptsim >"$scratch/man.txt" 2>"$scratch/man.err"
grep -q "adaptsim run" "$scratch/man.txt" || fail "man adaptsim does not render"
[ ! -s "$scratch/man.err" ] || { cat "$scratch/man.err"; fail "man adaptsim warns"; }
[ -f /usr/share/doc/adaptive-doc/html/index.html ] || fail "the manual is not installed"
# A program of a user's own finds the installed CMake package, with no prefix
# given, and runs.
cmake -S examples/cpp -B "$scratch/consumer" >/dev/null
grep -qx "adaptive_DIR:PATH=/usr/lib/cmake/adaptive" "$scratch/consumer/CMakeCache.txt" \
  || fail "the consumer did not find the installed package"
cmake --build "$scratch/consumer" >/dev/null
(cd "$scratch/consumer" && ./identify >/dev/null)
echo "OK: the Debian packages install; a CMake program finds them; adaptsim runs from the PATH; man adaptsim renders ($SECONDS s)"

# --- The Python wheel ------------------------------------------------------
# Built with the system interpreter and its Debian build packages, reusing
# the extension's build tree of .ci/python.sh where it is there.
# A package left in setuptools' build/lib by an earlier build, as a rename
# leaves one: the wheel must not take it.
for lib in build/lib.*; do
  [ -d "$lib" ] && mkdir -p "$lib/stray_package" && touch "$lib/stray_package/__init__.py"
done
/usr/bin/python3 -m pip wheel --no-build-isolation --no-deps -w "$scratch/wheel" . >/dev/null
wheel=$(ls "$scratch/wheel/$python_package-$version"-*.whl)
ls -l "$wheel"
/usr/bin/python3 - "$wheel" "$python_package" "$version" <<'PYTHON' || fail "the wheel holds files of no package of its own (a stale build/lib?)"
import sys, zipfile
wheel, package, version = sys.argv[1:]
strays = [name for name in zipfile.ZipFile(wheel).namelist()
          if not name.startswith((f"{package}/", f"{package}-{version}.dist-info/"))]
print("\n".join(strays))
sys.exit(bool(strays))
PYTHON
# A virtual environment without the system's packages; of them it sees
# Debian's NumPy alone, which the wheel declares.
venv="$scratch/venv"
/usr/bin/python3 -m venv "$venv"
site=$("$venv/bin/python" -c "import sysconfig; print(sysconfig.get_paths()['purelib'])")
mkdir "$scratch/numpy"
ln -s /usr/lib/python3/dist-packages/numpy /usr/lib/python3/dist-packages/numpy-*info "$scratch/numpy/"
echo "$scratch/numpy" >"$site/debian-numpy.pth"
"$venv/bin/pip" install -q --no-index "$wheel"
"$venv/bin/pip" check
"$venv/bin/pip" show "$python_package" | tee "$scratch/show"
grep -qx "Version: $version" "$scratch/show" || fail "pip show: not version $version"
grep -qx "License: MIT" "$scratch/show" || fail "pip show: no MIT licence"
# The tests from outside the tree, pytest and Hypothesis (which only the tests
# need) lent from Debian's, against the adaptsim of the package.
mkdir "$scratch/test-tools"
for module in pytest _pytest pluggy iniconfig packaging py py.py hypothesis attr attrs sortedcontainers; do
  ln -s "/usr/lib/python3/dist-packages/$module" "$scratch/test-tools/"
done
(cd "$scratch" && "$venv/bin/python" -c "import sys, $python_package as p; sys.exit(not p.__file__.startswith('$venv'))") \
  || fail "the venv does not import the wheel's package"
(cd "$scratch" && ADAPTSIM=/usr/bin/adaptsim PYTHONPATH="$scratch/test-tools" \
  "$venv/bin/python" -m pytest -q -p no:cacheprovider "$repo/python/tests")
echo "OK: the wheel installs into a virtual environment and its tests pass ($SECONDS s)"

# --- Removal ---------------------------------------------------------------
wait_for_package_manager
$sudo dpkg -r "${packages[@]}"
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f '${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" != installed ] || fail "$package is still installed"
  while read -r path; do
    [ "$path" = /. ] && continue
    # A directory that other packages share stays.
    [ -d "$path" ] && dpkg -S "$path" >/dev/null 2>&1 && continue
    [ ! -e "$path" ] && [ ! -L "$path" ] || fail "$path of $package is left after dpkg -r"
  done <"$scratch/$package.files"
done
# What dpkg keeps of a removed package with maintainer scripts: its record.
$sudo dpkg -P "${packages[@]}" >/dev/null
echo "OK: dpkg -r removed everything the packages installed ($SECONDS s in all)"
