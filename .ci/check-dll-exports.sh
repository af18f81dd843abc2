#!/usr/bin/env bash
# Inspects the 32-bit Windows plug-in with the cross toolchain's objdump:
#  - the export table holds exactly USERCODE and the token entry points that the
#    source defines (the names listed in tokens/entry_points.h), undecorated;
#  - every export returns with "ret $N" popping its own arguments (standard
#    call: 8 bytes for a token entry point, 4 for USERCODE);
#  - the import table names only DLLs that every Windows installation has.
# Usage: .ci/check-dll-exports.sh path/to/adaptive.dll
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dll="${1:?usage: $0 path/to/adaptive.dll}"
objdump="${OBJDUMP:-i686-w64-mingw32-objdump}"

# Windows system DLLs that the plug-in may import from (matched without case).
system_dlls="kernel32.dll msvcrt.dll user32.dll advapi32.dll ntdll.dll"

# The rows "  X(LMS) X(LMS2) ..." of the list ADAPTIVE_FOR_EACH_ENTRY.
listed="$(sed -n '/^  X(/p' "$root/tokens/entry_points.h" | grep -o 'X([A-Za-z0-9_]*)' | sed 's/^X(//; s/)$//')"
[ "$(echo "$listed" | wc -l)" -eq 24 ] || { echo "FAIL: tokens/entry_points.h lists $(echo "$listed" | wc -l) entry points, not 24"; exit 1; }

# Names whose definition is in the source: the token entry macro, and USERCODE.
defined="$(cat "$root"/plugin/*.cpp "$root"/tokens/*.cpp |
  sed -n -e 's/^ADAPTIVE_TOKEN_ENTRY(\([A-Za-z0-9_]*\),.*/\1/p' \
         -e 's/.*ADAPTIVE_CALL USERCODE(.*{.*/USERCODE/p' | sort -u)"
expected=""
missing=""
for name in USERCODE $listed; do
  if grep -qx "$name" <<<"$defined"; then expected+="$name"$'\n'; else missing+="$name "; fi
done
expected="$(sort <<<"$expected" | sed '/^$/d')"
unlisted="$(comm -23 <(echo "$defined" | sed '/^$/d') <(printf '%s\n' USERCODE $listed | sort))"
[ -z "$unlisted" ] || { echo "FAIL: entry points defined but not listed in tokens/entry_points.h: $unlisted"; exit 1; }

dump="$("$objdump" -p "$dll")"
exports="$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF==0 {exit} on {print $NF}' <<<"$dump" | sort)"
imports="$(awk '/DLL Name:/ {print $3}' <<<"$dump")"

status=0
echo "exports of $(basename "$dll") ($(echo "$exports" | sed '/^$/d' | wc -l)): $(echo $exports)"
if [ "$exports" != "$expected" ]; then
  echo "FAIL: the export table differs from the entry points defined in the source"
  diff <(echo "$expected") <(echo "$exports") | sed -n 's/^< /  missing: /p; s/^> /  unexpected: /p'
  status=1
fi
if [ -n "$missing" ]; then
  echo "not yet in the source, so not expected: $missing"
fi

# Each export's first return must pop its arguments.
image_base=$((16#$(awk '/^ImageBase/ {print $2}' <<<"$dump")))
while read -r rva name; do
  [ -n "$name" ] || continue
  start=$((image_base + 16#$rva))
  code="$("$objdump" -d --no-show-raw-insn --start-address=$start --stop-address=$((start + 0x4000)) "$dll")"
  ret="$(grep -m1 -E $'\tret' <<<"$code" | sed -E 's/.*\t(ret[lw]?) *([^ ]*).*/\1 \2/' || true)"
  want='ret $0x8'
  [ "$name" = USERCODE ] && want='ret $0x4'
  if [ "$ret" != "$want" ]; then
    echo "FAIL: $name returns with '${ret:-(no ret found)}'; a standard-call function returns with '$want'"
    status=1
  fi
done < <(awk '/^Export Address Table -- Ordinal Base/ {table="rva"; next}
             /^\[Ordinal\/Name Pointer\] Table/ {table="name"; next}
             NF==0 {table=""}
             table=="rva" {gsub(/[][+]/, " "); rva[$1]=$4}
             table=="name" {gsub(/[][]/, " "); print rva[$1], $2}' <<<"$dump")

echo "imports: $(echo $imports)"
for lib in $imports; do
  if ! grep -qw "$(tr 'A-Z' 'a-z' <<<"$lib")" <<<"$system_dlls"; then
    echo "FAIL: $lib is not a Windows system DLL (allowed: $system_dlls)"
    status=1
  fi
done

[ $status -eq 0 ] && echo "OK: $(echo "$expected" | wc -l) undecorated standard-call exports, system imports only"
exit $status
