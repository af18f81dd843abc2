#!/usr/bin/env bash
# Runs the command examples of the documentation, as written, against a build.
#
# Every code block of the files below must be marked on the line just before
# it (a fenced or an indented block alike):
#   <!-- example -->            run it: its lines go to bash -e -o pipefail
#   <!-- example-in-tree -->    the same from the top of the tree, for the
#                               examples that build on the repository's files
#   <!-- not-run: REASON -->    list it with REASON and do not run it
#   <!-- excerpt: FILE -->      do not run it; its lines ("..." lines aside)
#                               must be lines of FILE, in the same order
# A block without a mark fails this script, so that nothing is skipped
# silently. The examples run in order, in one scratch directory where `build`
# is the build tree (BUILD_DIR, default ./build) and the repository's files
# are at hand through `repo`; what one example writes (build/examples/...)
# the next may read. Files the examples need are made by examples before them
# (`adaptsim examples DIR`). The examples must leave the source tree as it
# was: an example writes only under `build`, an in-tree example nothing that
# git would show.
#
#   .ci/readme-examples.sh [FILE.md...]    default: the documents listed here
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
documents=(README.md docs/programs.md docs/reference/*.md)
[ $# -gt 0 ] && documents=("$@")
build_dir=$(cd "${BUILD_DIR:-build}" && pwd)
[ -x "$build_dir/adaptsim/adaptsim" ] || { echo "readme-examples: no adaptsim in $build_dir" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
ln -s "$build_dir" "$scratch/build"
ln -s "$repo" "$scratch/repo"
mkdir "$scratch/blocks"

# What git shows of the tree (ignored files aside): the examples must not
# change it.
tree_state() { git -C "$repo" status --porcelain --untracked-files=all 2>/dev/null || true; }
tree_before=$(tree_state)

ran=0
not_run=0
for document in "${documents[@]}"; do
  # One file per block (NNN.sh) and a manifest line per block:
  #   NNN <tab> mark <tab> line of the block <tab> reason
  rm -f "$scratch"/blocks/*
  awk -v dir="$scratch/blocks" '
    function start(kind) {
      ++count
      file = sprintf("%s/%03d.sh", dir, count)
      printf "" > file
      mark = pending; pending = ""
      if (mark == "") { kind_of[count] = "unmarked" } else { kind_of[count] = mark }
      line_of[count] = NR
      inblock = kind
    }
    /^<!-- example -->[ \t]*$/ { pending = "example"; next }
    /^<!-- example-in-tree -->[ \t]*$/ { pending = "example-in-tree"; next }
    /^<!-- excerpt: .* -->[ \t]*$/ {
      pending = $0; sub(/^<!-- excerpt: /, "", pending); sub(/ -->[ \t]*$/, "", pending)
      pending = "excerpt\t" pending; next
    }
    /^<!-- not-run: .* -->[ \t]*$/ {
      pending = $0; sub(/^<!-- not-run: /, "", pending); sub(/ -->[ \t]*$/, "", pending)
      pending = "not-run\t" pending; next
    }
    inblock == "fenced" {
      if ($0 ~ /^```/) { inblock = ""; close(file); next }
      print > file; next
    }
    inblock == "indented" {
      if ($0 ~ /^    / || $0 ~ /^[ \t]*$/) { line = $0; sub(/^    /, "", line); print line > file; next }
      inblock = ""; close(file)
    }
    /^```/ { start("fenced"); previous_blank = 0; next }
    /^    / && (previous_blank || pending != "") { start("indented"); line = $0; sub(/^    /, "", line); print line > file; next }
    { previous_blank = ($0 ~ /^[ \t]*$/); if (!previous_blank) pending = "" }
    END {
      for (k = 1; k <= count; ++k) {
        split(kind_of[k], parts, "\t")
        printf "%03d\t%s\t%d\t%s\n", k, parts[1], line_of[k], parts[2]
      }
    }
  ' "$repo/$document" > "$scratch/manifest"

  while IFS=$'\t' read -r block kind line reason; do
    where="$document:$line"
    case "$kind" in
      example | example-in-tree)
        echo "== $where: running"
        sed 's/^/   | /' "$scratch/blocks/$block.sh"
        directory=$scratch
        [ "$kind" = example ] || directory=$repo
        if ! (cd "$directory" && timeout 900 bash -e -o pipefail "$scratch/blocks/$block.sh" > "$scratch/out" 2>&1); then
          echo "readme-examples: the example at $where failed:" >&2
          cat "$scratch/out" >&2
          exit 1
        fi
        left=$(cd "$scratch" && ls -A | grep -vxE 'build|repo|blocks|manifest|out' || true)
        if [ -n "$left" ]; then
          echo "readme-examples: the example at $where wrote outside build/:" $left >&2
          exit 1
        fi
        ran=$((ran + 1))
        ;;
      excerpt)
        echo "== $where: excerpt of $reason"
        if ! awk 'FNR == NR { if ($0 !~ /^[ \t]*\.\.\.[ \t]*$/) want[++n] = $0; next }
                  k < n && $0 == want[k + 1] { ++k }
                  END { if (k < n) { print "  not in the file (or out of order): " want[k + 1]; exit 1 } }' \
            "$scratch/blocks/$block.sh" "$repo/$reason" >&2; then
          echo "readme-examples: the code at $where is not an excerpt of $reason" >&2
          exit 1
        fi
        ;;
      not-run)
        echo "== $where: not run ($reason)"
        not_run=$((not_run + 1))
        ;;
      *)
        echo "readme-examples: the code block at $where has no mark (<!-- example -->, <!-- example-in-tree -->, <!-- excerpt: FILE --> or <!-- not-run: REASON -->)" >&2
        exit 1
        ;;
    esac
  done < "$scratch/manifest"
done
tree_after=$(tree_state)
if [ "$tree_after" != "$tree_before" ]; then
  echo "readme-examples: the examples changed the source tree (git status before, then after):" >&2
  printf '%s\n--\n%s\n' "$tree_before" "$tree_after" >&2
  exit 1
fi
echo "readme-examples: $ran examples ran, $not_run blocks not run (reasons above)"
