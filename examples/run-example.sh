#!/usr/bin/env bash
# Runs the example: builds the translated unit of examples/addressbook with parlix-build,
# compiles the example program with Free Pascal once for each language and runs it.
#
#   examples/run-example.sh [PARLIX-BUILD]
#
# Without an argument it builds parlix-build first (in out/example-build). The example is
# copied to out/example (or to $PARLIX_EXAMPLE_DIR), so that nothing is generated inside the
# repository. Exits with 77 (skipped) when Free Pascal is not installed (after writing the
# unit), and with 1 where CI is set: the test command must not pass by skipping.
#
# A Windows parlix-build.exe (scripts/windows-cross.sh builds one) runs under Wine, in the Wine
# prefix $WINEPREFIX (out/wine when not set); its unit must be byte for byte the one the Linux
# parlix-build writes ($PARLIX_BUILD_LINUX, else the one built in out/example-build).
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"

linux_tool() {
  if [ -n "${PARLIX_BUILD_LINUX:-}" ]; then
    echo "$PARLIX_BUILD_LINUX"
    return
  fi
  cmake -S "$repo" -B "$repo/out/example-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPARLIX_GUI=OFF -DPARLIX_TESTS=OFF -DPARLIX_BENCH=OFF >/dev/null
  cmake --build "$repo/out/example-build" --target parlix-build >/dev/null
  echo "$repo/out/example-build/cli/parlix-build"
}

tool="${1:-}"
if [ -z "$tool" ]; then
  tool="$(linux_tool)"
fi
run_tool=("$tool")
if [[ "$tool" == *.exe ]]; then
  export WINEPREFIX="${WINEPREFIX:-$repo/out/wine}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Wine hands the arguments over in the locale's character set: UTF-8 for a path that is no
  # ASCII.
  export LC_ALL=C.UTF-8
  wine=/usr/lib/wine/wine64  # Debian 12 puts no wine64 on the path
  [ -x "$wine" ] || wine=wine
  run_tool=("$wine" "$tool")
fi

work="${PARLIX_EXAMPLE_DIR:-$repo/out/example}"
rm -rf "$work"
mkdir -p "$work"
cp "$repo"/examples/addressbook/* "$work/"

# The project names its source unit uTexte.pas, relative to the project file: parlix-build
# writes it there, whichever folder it is started from.
"${run_tool[@]}" "$work/AddressBook.ppr"
echo "parlix-build wrote $work/uTexte.pas"
if [ "${run_tool[0]}" != "$tool" ]; then
  linux="$work.linux"
  rm -rf "$linux"
  mkdir -p "$linux"
  cp "$repo"/examples/addressbook/* "$linux/"
  "$(linux_tool)" "$linux/AddressBook.ppr"
  if ! cmp "$linux/uTexte.pas" "$work/uTexte.pas"; then
    echo "run-example.sh: $tool wrote another unit than the Linux parlix-build" >&2
    exit 1
  fi
  echo "It is byte for byte the unit of the Linux parlix-build."
fi

if ! command -v fpc >/dev/null; then
  echo "run-example.sh: fpc (Free Pascal) is needed: apt-get install fp-compiler" >&2
  [ -n "${CI:-}" ] && exit 1
  exit 77
fi

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
