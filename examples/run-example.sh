#!/usr/bin/env bash
# Runs the example: builds the translated unit of examples/addressbook with parlix-build,
# compiles the example program with Free Pascal once for each language and runs it.
#
#   examples/run-example.sh [PARLIX-BUILD]
#
# Without an argument it builds parlix-build first (in out/example-build). The example is
# copied to out/example (or to $PARLIX_EXAMPLE_DIR), so that nothing is generated inside the
# repository. Exits with 77 (skipped) when Free Pascal is not installed, and with 1 where CI is
# set: the test command must not pass by skipping.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

tool="${1:-}"
if [ -z "$tool" ]; then
  cmake -S "$repo" -B "$repo/out/example-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPARLIX_GUI=OFF -DPARLIX_TESTS=OFF -DPARLIX_BENCH=OFF >/dev/null
  cmake --build "$repo/out/example-build" --target parlix-build >/dev/null
  tool="$repo/out/example-build/cli/parlix-build"
fi
if ! command -v fpc >/dev/null; then
  echo "run-example.sh: fpc (Free Pascal) is needed: apt-get install fp-compiler" >&2
  [ -n "${CI:-}" ] && exit 1
  exit 77
fi

work="${PARLIX_EXAMPLE_DIR:-$repo/out/example}"
rm -rf "$work"
mkdir -p "$work"
cp "$repo"/examples/addressbook/* "$work/"

# The project names its source unit uTexte.pas, relative to the project file: parlix-build
# writes it there, whichever folder it is started from.
"$tool" "$work/AddressBook.ppr"
echo "parlix-build wrote $work/uTexte.pas"

# The unit defines no language itself, so the compiler's -d chooses one.
for language in Deutsch English; do
  out="$work/$language"
  mkdir -p "$out"
  if ! fpc -B -Mdelphi -d"$language" -FU"$out" -FE"$out" "$work/AddressBook.pas" >"$out/fpc.log"; then
    cat "$out/fpc.log" >&2
    exit 1
  fi
  echo
  echo "=== AddressBook compiled with -d$language ==="
  "$out/AddressBook"
done
