#!/usr/bin/env bash
# Fails when a source file includes what its layer may not depend on. Dependencies point one
# way: program (editor/) -> windows (project/, generator/, and the window parts of each
# capability) -> shared window pieces (ui/) -> core (table/ at the bottom); the command line
# (cli/) stands on the core beside the windows.
#
# Two checks:
#  - By library. Each file belongs to the CMake target that compiles it (a header to the
#    target of its .cpp; a header without one to the target of its folder's files, or to the
#    windows when it names Qt, or else to the core). A core file may include only core files
#    and never Qt; a command-line file also the command line's; a window file the core and the
#    windows, but not the command line. This is the boundary that holds even where core and
#    window files share a folder.
#  - By folder, with the table below: which folder may include which.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each source folder and the folders it may include (besides itself).
declare -A allowed=(
  [table]=""
  [review]="table project"
  [history]="table review"
  [search]="table project ui history"
  [ui]="table"
  [project]="table ui history review"
  [generator]="table project ui check forms formsync"
  [exchange]="table project ui history review"
  [check]="table project ui forms review"
  [cli]="table project generator exchange check forms formsync review"
  [forms]="table"
  [formsync]="table project check forms ui history review"
  [editor]="table ui history search project generator check exchange forms formsync review"
)

# The layer of each CMake target that compiles product files.
declare -A layer_of_target=(
  [parlix_core]=core
  [parlix_cli]=cli
  [parlix-build]=cli
  [parlix_gui]=windows
  [parlix]=windows
)

# What each layer may include.
declare -A may_include=(
  [core]="core"
  [cli]="core cli"
  [windows]="core windows"
)

mapfile -t sources < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' \
  | grep -v -E '^(tests|bench|fuzz|examples|tools)/' | grep / | sort)

# file -> target, from target_sources(), add_library() and add_executable() in the folders'
# CMakeLists.txt.
declare -A target_of=()
while read -r file target; do
  target_of[$file]=$target
done < <(for list in */CMakeLists.txt; do
  dir="${list%/CMakeLists.txt}"
  case "$dir" in tests | bench | fuzz | examples | tools | out) continue ;; esac
  sed 's/#.*//' "$list" | tr '()' '\n\n' | awk -v dir="$dir" '
    {
      n = split($0, word, /[ \t]+/)
      for (i = 1; i <= n; i++) {
        w = word[i]
        if (w == "") continue
        if (w ~ /^(target_sources|add_library|add_executable)$/) { expect = 1; continue }
        if (w ~ /^[a-z_]+$/ && w !~ /^(if|endif)$/) { target = "" }
        if (expect) { target = w; expect = 0; continue }
        if (target != "" && w ~ /\.cpp$/) print dir "/" w, target
      }
    }
  '
done)

# The layer of a file; "" when it is not part of any library.
layer() {
  local file="$1" cpp target folder
  cpp="${file%.*}.cpp"
  target="${target_of[$cpp]:-}"
  if [ -z "$target" ] && [[ "$file" == *.h ]]; then
    folder="${file%/*}"
    # A header of its own: the target of its folder's files when they agree.
    target="$(for f in "${!target_of[@]}"; do [ "${f%/*}" = "$folder" ] && echo "${target_of[$f]}"; done | sort -u)"
    if [ "$(echo "$target" | grep -c .)" -ne 1 ]; then
      if grep -q -E '^#include <Q|^class Q[A-Za-z]*;' "$file"; then
        target=parlix_gui
      else
        target=parlix_core
      fi
    fi
  fi
  echo "${layer_of_target[$target]:-}"
}

declare -A layer_cache=()
cached_layer() {
  if [ -z "${layer_cache[$1]+set}" ]; then
    layer_cache[$1]="$(layer "$1")"
  fi
  echo "${layer_cache[$1]}"
}

status=0
for file in "${sources[@]}"; do
  if [[ "$file" == *.cpp ]] && [ -z "${target_of[$file]:-}" ]; then
    echo "check-layers: $file is compiled by no target of the CMakeLists.txt files"
    status=1
    continue
  fi
  own="$(cached_layer "$file")"
  while IFS=: read -r line include; do
    if [[ "$include" == *"<Q"* ]]; then
      if [ "$own" != windows ]; then
        echo "$file:$line: a $own file may not use Qt ($include)"
        status=1
      fi
      continue
    fi
    included="${include#*\"}"
    included="${included%\"*}"
    [ -f "$included" ] || continue
    theirs="$(cached_layer "$included")"
    if [[ " ${may_include[$own]} " != *" $theirs "* ]]; then
      echo "$file:$line: a $own file may not include a $theirs file ($included)"
      status=1
    fi
  done < <(grep -n -E '^#include ("[a-z_]+/|<Q)' "$file" || true)
done

for dir in $(printf '%s\n' "${sources[@]}" | cut -d/ -f1 | sort -u); do
  if [ -z "${allowed[$dir]+set}" ]; then
    echo "check-layers: $dir/ is not in the table of scripts/check-layers.sh; add it with what it may include"
    status=1
    continue
  fi
  while IFS=: read -r file line include; do
    target="${include#*\"}"
    target="${target%%/*}"
    if [ "$target" != "$dir" ] && [[ " ${allowed[$dir]} " != *" $target "* ]]; then
      echo "$file:$line: $dir/ may not include $target/ ($include)"
      status=1
    fi
  done < <(grep -n -H -E '^#include "[a-z_]+/' "$dir"/*.cpp "$dir"/*.h 2>/dev/null || true)
done
[ "$status" -eq 0 ] && echo "check-layers: every include points down, within each library's bounds."
exit "$status"
