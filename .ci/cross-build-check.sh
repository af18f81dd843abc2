#!/usr/bin/env bash
# Runs the cases of tests/cross/cases.txt through `adaptsim run` with the native
# 64-bit build (build/), the 32-bit Linux build (build32/) and, where Wine can
# run it, adaptsim.exe with adaptive.dll (build-win/). The output CSV, the
# standard error text, the exit status and the final-weights files of every
# case must be the same bytes in every build, except that a NaN matches a NaN
# of the other sign (tests/cross/compare_runs.py). The Windows programs write
# text files with CRLF line ends, as the simulator's platform expects; only for
# that run are CRLF line ends turned into LF before comparing.
# Environment: NATIVE_BUILD, LINUX32_BUILD, WINDOWS_BUILD override the build
# directories; CROSS_CHECK_INSTALL_WINE=1 (the default under CI) lets the script
# try to install Wine when it is missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
native="${NATIVE_BUILD:-build}"
linux32="${LINUX32_BUILD:-build32}"
windows="${WINDOWS_BUILD:-build-win}"
work="$root/build-cross"
cases="$root/tests/cross/cases.txt"

fail() { echo "FAIL: $*"; exit 1; }

for build in "$native" "$linux32"; do
  [ -f "$build/CMakeCache.txt" ] ||
    fail "$build is not configured: run ./run.sh test (build) and .ci/linux32.sh (build32) first"
  cmake --build "$build" -j2 --target adaptsim >/dev/null
done
. .ci/i386-exec.sh
ensure_i386_exec

rm -rf "$work"
mkdir -p "$work"
python3 tests/cross/make_inputs.py "$work/inputs"
# The comparison must tell equal from different before it is trusted.
python3 tests/cross/compare_runs.py --self-check || fail "the comparison of runs fails its self-check"

# The tokens whose entry points this build of the library has.
# The plug-in's group only: the families beyond the catalogue, listed after a
# blank line, are not in the plug-in that the builds compare.
present="$("$native/adaptsim/adaptsim" list | sed '/^$/q' | grep -v '(not in this build)' | awk 'NF {print $1}')"
[ -n "$present" ] || fail "the native adaptsim lists no token"
for token in $present; do
  awk -v t="$token" '$0 !~ /^#/ && $2 == t {found=1} END {exit !found}' "$cases" ||
    fail "token $token is built but has no case in tests/cross/cases.txt"
done

# run_cases NAME COMMAND...: runs every case with COMMAND (adaptsim and its
# --library option) into $work/NAME/CASE/.
run_cases() {
  local name="$1"
  shift
  local case token input expect settings
  while read -r case token input expect settings; do
    case "$case" in '' | '#'*) continue ;; esac
    grep -qx "$token" <<<"$present" || continue
    local dir="$work/$name/$case"
    mkdir -p "$dir"
    local args=(run "$token" --weights w.txt --in ../../inputs/"$input" --out out.csv)
    for setting in $settings; do args+=(-p "$setting"); done
    local status=0
    (cd "$dir" && "$@" "${args[@]}" </dev/null 2>err.txt) || status=$?
    echo "$status" >"$dir/status"
  done <"$cases"
}

run_cases native "$root/$native/adaptsim/adaptsim" --library "$root/$native/libadaptive.so"
run_cases linux32 "$root/$linux32/adaptsim/adaptsim" --library "$root/$linux32/libadaptive.so"

# Every case must do what it is there for, or it would compare nothing useful.
ran=0
skipped=""
while read -r case token input expect settings; do
  case "$case" in '' | '#'*) continue ;; esac
  if ! grep -qx "$token" <<<"$present"; then
    skipped+="$case "
    continue
  fi
  ran=$((ran + 1))
  status="$(cat "$work/native/$case/status")"
  if [ "$expect" = ok ] && [ "$status" != 0 ]; then
    fail "case $case: adaptsim exited with $status: $(cat "$work/native/$case/err.txt")"
  elif [ "$expect" = fails ] && [ "$status" != 1 ]; then
    fail "case $case: the creation call should have been refused (exit 1), adaptsim exited with $status"
  fi
done <"$cases"
echo "cross-build check: $ran cases over the tokens $(echo $present)"
[ -z "$skipped" ] || echo "not in this build yet, skipped: $skipped"

# compare NAME: the files of run NAME against those of the native run.
compare() {
  local name="$1"
  if ! python3 tests/cross/compare_runs.py "$work/native" "$work/$name" >"$work/$name.diff"; then
    echo "FAIL: the $name run differs from the native run:"
    head -40 "$work/$name.diff"
    return 1
  fi
  local nan_text
  nan_text="$(grep -rlwi nan "$work/$name" | wc -l || true)"
  echo "$name: $(find "$work/$name" -type f | wc -l) files the same as the native run ($nan_text of them with NaNs)"
}
status=0
compare linux32 || status=1

# Wine: the 32-bit Windows plug-in with adaptsim.exe.
wine_reason=""
try_install_wine() {
  local added=""
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    added=1
  fi
  local log="$work/wine-install.log"
  . .ci/install-missing.sh
  wait_for_package_manager
  apt-get -o DPkg::Lock::Timeout=600 update >"$work/wine-update.log" 2>&1 || true
  if ! DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends \
      wine wine32:i386 >"$log" 2>&1; then
    local why
    why="$(grep -m1 -E 'Depends:|^E:' "$log" | sed -E 's/^ *//; s#[a-z]+://[^ ]*#(mirror)#g; s/ *\[IP:[^]]*\]//')"
    grep -q '^E:' "$work/wine-update.log" && why+="; the i386 package lists did not download completely"
    wine_reason="apt-get could not install wine32:i386 ($why)"
    if [ -n "$added" ] && ! dpkg -l | awk '$1 == "ii" {print $2}' | grep -q ':i386$'; then
      # Leave the machine's package lists as they were.
      dpkg --remove-architecture i386
      apt-get -o DPkg::Lock::Timeout=600 update >/dev/null 2>&1 || true
    fi
  fi
}
if [ "$I386_EMULATED" = 1 ]; then
  # Wine under qemu-i386 was seen spending more than 5 minutes setting up its
  # prefix without starting anything: not worth a CI run's time.
  wine_reason="this kernel cannot run 32-bit programs (they run under qemu-i386 here), so Wine cannot either"
elif ! command -v wine >/dev/null; then
  if [ "${CROSS_CHECK_INSTALL_WINE:-${CI:+1}}" = 1 ]; then
    echo "wine: not installed, trying: dpkg --add-architecture i386; apt-get install wine wine32:i386"
    try_install_wine
  else
    wine_reason="wine is not installed (CROSS_CHECK_INSTALL_WINE=1 lets this script try to install it)"
  fi
fi
if [ -z "$wine_reason" ] && ! command -v wine >/dev/null; then
  wine_reason="wine is not on the PATH after its installation"
fi
if [ -z "$wine_reason" ] && [ ! -f "$windows/adaptsim/adaptsim.exe" ]; then
  wine_reason="$windows/adaptsim/adaptsim.exe is missing: run .ci/windows.sh first"
fi
if [ -z "$wine_reason" ]; then
  export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Where the kernel cannot run 32-bit programs, Wine runs under qemu-i386
  # and may never finish setting up its prefix: give it a time limit.
  probe_status=0
  timeout 600 wine "$root/$windows/adaptsim/adaptsim.exe" --help >"$work/wine-probe.log" 2>&1 || probe_status=$?
  if [ "$probe_status" = 124 ]; then
    wine_reason="wine did not start adaptsim.exe within 10 minutes$([ "$I386_EMULATED" = 1 ] && echo ' (under qemu-i386: this kernel cannot run 32-bit programs)')"
    wineserver -k 2>/dev/null || true
  elif [ "$probe_status" != 0 ]; then
    wine_reason="wine cannot start adaptsim.exe: $(grep -m1 . "$work/wine-probe.log" || echo 'no message')"
  fi
fi
if [ -n "$wine_reason" ]; then
  echo "wine: SKIPPED, the Windows build was not run: $wine_reason"
else
  run_cases windows wine "$root/$windows/adaptsim/adaptsim.exe" --library "$root/$windows/adaptive.dll"
  find "$work/windows" -type f ! -name status -exec sed -i 's/\r$//' {} +
  echo "windows: CRLF line ends of the Windows text files turned into LF before comparing"
  compare windows || status=1
  # Every token of the DLL with the stack misaligned as the simulator leaves it.
  if [ -f "$windows/tests/dll/stack_alignment_check.exe" ]; then
    wine "$root/$windows/tests/dll/stack_alignment_check.exe" "$root/$windows/adaptive.dll" || status=1
  else
    echo "FAIL: $windows/tests/dll/stack_alignment_check.exe is missing: run .ci/windows.sh first"
    status=1
  fi
fi
exit $status
