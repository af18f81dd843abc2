#!/usr/bin/env bash
# Inspects the 32-bit Windows plug-in with the cross toolchain's objdump:
#  - the export table holds exactly USERCODE and the token entry points that the
#    catalogue families list (tokens/*_descriptor.h), undecorated;
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

# The entry points the catalogue families list (ADAPTIVE_<FAMILY>_ENTRIES(X)
# in tokens/*_descriptor.h), from which plugin/exports.cpp defines one export each.
listed="$(sed -n 's/^#define ADAPTIVE_[A-Z_]*_ENTRIES(X) //p' "$root"/tokens/*_descriptor.h | grep -o 'X([A-Za-z0-9_]*)' | sed 's/^X(//; s/)$//')"
[ "$(echo "$listed" | wc -l)" -eq 24 ] || { echo "FAIL: the catalogue families list $(echo "$listed" | wc -l) entry points, not 24"; exit 1; }
expected="$(printf '%s\n' USERCODE $listed | sort)"

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
