#!/usr/bin/env bash
# LeakSanitizer (with AddressSanitizer and UBSan) on adaptsim runs of every token
# the library exports: a normal run, samples that are not finite, and each way a
# construction or destruction can fail (bad parameter, unopenable file, storage
# refused, full disk). Any leak, memory error or unexpected exit status fails.
set -euo pipefail
cd "$(dirname "$0")/.."
. .ci/checked-build.sh
install_missing cmake g++ libgtest-dev
configure_checked build-sanitize >/dev/null
sim=$PWD/build-sanitize/adaptsim/adaptsim

# Findings exit with 86, apart from the statuses adaptsim itself returns. An
# allocation above 256 MiB is refused, as on the simulator's 32-bit host.
export ASAN_OPTIONS="$ASAN_OPTIONS:exitcode=86:max_allocation_size_mb=256"
export UBSAN_OPTIONS="$UBSAN_OPTIONS:exitcode=86"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
ln -s /dev/full full.txt
for c in 1 2 3; do ln -s /dev/full "full$c.txt"; done

failures=0 runs=0
# expect STATUS TOKEN INPUT-FILE [ADAPTSIM RUN OPTIONS...]
expect() {
  local want=$1 token=$2 input=$3
  shift 3
  local got=0
  local t0=$SECONDS
  "$sim" run "$token" --in "$input" --out out.csv "$@" 2>stderr.txt || got=$?
  [ $((SECONDS - t0)) -lt 3 ] || echo "slow: $token $* $((SECONDS - t0)) s"
  runs=$((runs + 1))
  if [ "$got" -ne "$want" ] || grep -q -E "ERROR: [A-Za-z]+Sanitizer|runtime error" stderr.txt; then
    echo "FAIL: adaptsim run $token $* (exit $got, expected $want)"
    head -40 stderr.txt
    failures=$((failures + 1))
  fi
}

# Every token, the families beyond the catalogue included (listed after a blank
# line and a heading that ends in a colon).
tokens=$("$sim" list | grep -v 'not in this build' | awk 'NF && !/:$/ {print $1}')
for token in $tokens; do
  inputs=$("$sim" describe "$token" | sed -n '/^Inputs:/,/^Outputs:/p' | grep -c '^  [0-9]')
  counts=$("$sim" describe "$token" | grep -E '^  [0-9]+  "(Numerator|Denominator) Coeffs' | awk '{print $1}')
  last_count=$(echo "$counts" | tail -1)
  awk -v n="$inputs" 'BEGIN { srand(3); for (r = 0; r < 300; ++r) { line = ""; for (c = 0; c < n; ++c) line = line (c ? "," : "") (rand() * 2 - 1); print line } }' >bounded.csv
  awk -v n="$inputs" 'BEGIN { split("nan,inf,-inf,1e308,-1e308,0", v, ","); for (r = 0; r < 60; ++r) { line = ""; for (c = 0; c < n; ++c) line = line (c ? "," : "") v[(r + c) % 6 + 1]; print line } }' >extreme.csv

  expect 0 "$token" bounded.csv --weights w.txt
  expect 0 "$token" extreme.csv --weights w.txt
  expect 1 "$token" bounded.csv -p "$last_count=0"                      # refused by a check
  expect 1 "$token" bounded.csv --weights no_such_dir/w.txt             # file cannot be opened
  expect 1 "$token" bounded.csv -p "$last_count=2147483647" --weights "" # storage refused
  expect 1 "$token" bounded.csv --weights full.txt                      # data lost on a full disk
done
echo "leak check: $runs adaptsim runs over $(echo $tokens | wc -w) tokens, $failures failed"
[ "$failures" -eq 0 ]
