#!/usr/bin/env bash
# The layers, from the ground floor up, and the folders each may include from
# (quoted includes; the standard and third-party libraries come in <...>):
#   core/      core/
#   numerics/  core/ numerics/
#   tokens/    core/ numerics/ tokens/
#   families/  core/ numerics/ tokens/ families/
#   plugin/    core/ numerics/ tokens/ plugin/
#   api/       all of the above, api/ and the public headers adaptive/
#   adaptsim/, python/: the public headers adaptive/ and their own folder only.
# Prints every include that runs up or sideways and fails if there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

allowed() {
  case "$1" in
    core) echo "core" ;;
    numerics) echo "core numerics" ;;
    tokens) echo "core numerics tokens" ;;
    families) echo "core numerics tokens families" ;;
    plugin) echo "core numerics tokens plugin" ;;
    api) echo "core numerics tokens families plugin api adaptive" ;;
    adaptsim) echo "adaptive adaptsim" ;;
    python) echo "adaptive python" ;;
  esac
}

status=0
for layer in core numerics tokens families plugin api adaptsim python; do
  [ -d "$layer" ] || continue
  ok=" $(allowed "$layer") "
  while IFS=: read -r file line include; do
    folder="${include%%/*}"
    [ "$folder" != "$include" ] || continue  # a file of the same folder, named alone
    if [[ "$ok" != *" $folder "* ]]; then
      echo "$file:$line: $layer/ includes \"$include\""
      status=1
    fi
  done < <(grep -rnE '^#include "' --include='*.h' --include='*.hh' --include='*.cpp' "$layer" |
           sed -E 's/^([^:]*):([0-9]*):#include "([^"]*)".*/\1:\2:\3/')
done
[ "$status" -eq 0 ] && echo "every include runs down the layers"
exit "$status"
