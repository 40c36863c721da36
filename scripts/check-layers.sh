#!/usr/bin/env bash
# Fails when a source folder includes a folder it may not depend on. Dependencies point one
# way: program (editor/) -> windows (project/, generator/, and the window parts of each
# capability) -> shared window pieces (ui/) -> core (table/ at the bottom). A folder's core
# files cannot reach Qt at all: the core library does not link it.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each source folder and the folders it may include (besides itself).
declare -A allowed=(
  [table]=""
  [history]="table"
  [search]="table project ui history"
  [ui]="table"
  [project]="table ui history"
  [generator]="table project ui check forms formsync"
  [exchange]="table project ui history"
  [check]="table project ui forms"
  [cli]="table project generator exchange check"
  [forms]="table"
  [formsync]="table project check forms ui history"
  [editor]="table ui history search project generator check exchange forms formsync"
)

status=0
for dir in $(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' \
               | grep -v -E '^(tests|bench|fuzz|examples)/' | grep / | cut -d/ -f1 | sort -u); do
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
[ "$status" -eq 0 ] && echo "check-layers: every include points down."
exit "$status"
