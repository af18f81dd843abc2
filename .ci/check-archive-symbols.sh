#!/usr/bin/env bash
# The installed static library keeps to its namespace: installs the build into
# a scratch prefix and lists what its archives define for other objects.
#  - Every strong definition (code, data, constants) demangles into
#    adaptive:: (its vtables, typeinfo and guard variables included) or
#    carries the prefix adaptive_: no Matrix, dot or LMS of ours in the global
#    namespace, and no C entry point, which only the plug-in defines.
#  - Weak and unique definitions are either ours, as above, or the standard
#    library's inline templates instantiated for us (std::vector<...>::
#    _M_realloc_insert and the like): every program that uses those templates
#    emits the same ones, and the linker keeps one. So are the DW.ref.
#    references that position-independent exception tables make to the
#    personality routine and to the typeinfo of what a catch clause names
#    (DW.ref._ZTIN8adaptive5ErrorE: adaptive::Error; DW.ref._ZTISt9exception).
#    Likewise Eigen's FFT templates, which the frequency-domain families
#    instantiate from Eigen's headers (Eigen has no library of its own).
# Usage: .ci/check-archive-symbols.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
archives=$(find "$prefix" -name '*.a' | sort)
[ -n "$archives" ] || { echo "FAIL: no archive installed under $prefix"; exit 1; }

ours='^((void|bool|int|double) )?(adaptive::|(vtable|VTT|typeinfo|typeinfo name|guard variable|construction vtable) for adaptive::|adaptive_|DW\.ref\._ZTIN8adaptive)'
standard='^((vtable|VTT|typeinfo|typeinfo name|guard variable) for )?((void|bool|int|char|unsigned|long|double|std::[^ ]*|__gnu_cxx::[^ ]*) )?(std::|__gnu_cxx::)|^DW\.ref\.(__gxx_personality_v0|_ZTIN?St[0-9A-Za-z_]*)$|^((void|bool|int|double) )?Eigen::'
status=0
for archive in $archives; do
  symbols="$(nm -C --defined-only --extern-only "$archive" | awk 'NF >= 3 { $1 = ""; sub(/^ /, ""); print }' | sort -u)"
  strong="$(awk '$1 ~ /^[TDBRGSC]$/ { $1 = ""; sub(/^ /, ""); print }' <<<"$symbols")"
  weak="$(awk '$1 ~ /^[WVu]$/ { $1 = ""; sub(/^ /, ""); print }' <<<"$symbols")"
  foreign_strong="$(grep -Ev "$ours" <<<"$strong" || true)"
  foreign_weak="$(grep -Ev "$ours" <<<"$weak" | grep -Ev "$standard" || true)"
  echo "$(basename "$archive"): $(grep -c . <<<"$strong") strong definitions, $(grep -c . <<<"$weak") weak" \
       "($(grep -Ec "$ours" <<<"$weak" || true) of them in adaptive::)"
  if [ -n "$foreign_strong" ]; then
    echo "FAIL: $(basename "$archive") defines outside namespace adaptive:"
    sed 's/^/  /' <<<"$foreign_strong"
    status=1
  fi
  if [ -n "$foreign_weak" ]; then
    echo "FAIL: $(basename "$archive") defines weak symbols outside namespace adaptive and the standard library:"
    sed 's/^/  /' <<<"$foreign_weak"
    status=1
  fi
done
[ $status -eq 0 ] && echo "OK: the installed archives define nothing outside namespace adaptive but the standard library's templates"
exit $status
