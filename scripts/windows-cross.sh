#!/usr/bin/env bash
# Cross-builds the core, parlix-build.exe and the core tests for 64-bit Windows with MinGW-w64
# (cmake/mingw-w64-x86_64.cmake), runs the core tests under Wine, as one process, and builds the
# example's unit with parlix-build.exe under a path that is no ASCII (examples/run-example.sh),
# byte for byte as the Linux parlix-build does.
#
#   scripts/windows-cross.sh               every step
#   scripts/windows-cross.sh --smoke       stop after the toolchain check (tests/windows-smoke)
#   scripts/windows-cross.sh -- ARGS...    pass ARGS to the test program (--gtest_filter=...)
#
# PARLIX_BUILD_LINUX names the Linux parlix-build to compare the example's unit with; without
# it, run-example.sh builds one.
#
# Debian has no GoogleTest or expat built for MinGW, so the script builds them from Debian's
# sources into out/windows-deps/ and keeps them there, like the Wine prefix in out/wine/: the
# next run reuses both. Delete them to start afresh. The build goes to out/windows/.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

smoke_only=0
test_args=(--gtest_brief=1)
while [ $# -gt 0 ]; do
  case "$1" in
    --smoke) smoke_only=1 ;;
    --) shift; test_args=("$@"); break ;;
    *) echo "usage: $0 [--smoke] [-- test program arguments]" >&2; exit 2 ;;
  esac
  shift
done

toolchain="$root/cmake/mingw-w64-x86_64.cmake"
deps="$root/out/windows-deps"
build="$root/out/windows"
export WINEPREFIX="$root/out/wine" WINEARCH=win64 WINEDEBUG=-all
# Nothing here needs .NET or HTML; without these Wine offers to download Mono and Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine turns file names and arguments into UTF-16 by the locale's character set: with "C" a name
# that is no ASCII would not survive.
export LC_ALL=C.UTF-8
wine=/usr/lib/wine/wine64  # Debian 12 puts no wine64 on the path
[ -x "$wine" ] || wine=wine

timings=()
step_name=""
step_start=0
# step NAME COMMAND...: runs one step and notes how long it took.
step() {
  step_name="$1"
  step_start=$SECONDS
  shift
  echo "== $step_name"
  "$@"
  timings+=("$(printf '  %-24s %5d s' "$step_name" $((SECONDS - step_start)))")
  step_name=""
}
report_timings() {
  if [ -n "$step_name" ]; then
    timings+=("$(printf '  %-24s %5d s  failed' "$step_name" $((SECONDS - step_start)))")
  fi
  if [ ${#timings[@]} -gt 0 ]; then
    printf 'Steps of the Windows build:\n'
    printf '%s\n' "${timings[@]}"
  fi
}
trap report_timings EXIT

# A cached dependency is rebuilt when its stamp (what it was built from) changes.
toolchain_hash="$(sha1sum "$toolchain" | cut -c1-12)"
is_cached() { [ "$(cat "$deps/stamps/$1" 2>/dev/null)" = "$2" ]; }
mark_cached() { mkdir -p "$deps/stamps" && echo "$2" >"$deps/stamps/$1"; }

# cmake_deps SOURCE BUILD [OPTIONS...]: configures, builds and installs a dependency.
cmake_deps() {
  local source="$1" binary="$2"
  shift 2
  cmake -S "$source" -B "$binary" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$deps" "$@" >/dev/null
  nice cmake --build "$binary"
  cmake --install "$binary" >/dev/null
}

install_packages() {
  scripts/install-deps.sh --windows
}

# GoogleTest and GoogleMock from the sources Debian ships in /usr/src/googletest.
build_googletest() {
  local stamp
  stamp="googletest $(dpkg-query -W -f='${Version}' googletest) $toolchain_hash"
  if is_cached googletest "$stamp"; then
    echo "cached: $stamp"
    return
  fi
  rm -rf "$deps/build/googletest"
  cmake_deps /usr/src/googletest "$deps/build/googletest"
  mark_cached googletest "$stamp"
}

# apt_sources: apt options that read the machine's own package sources as source-package
# sources from a list of the script's own, so that `apt-get source` works without touching the
# system's apt configuration.
apt_sources() {
  local apt="$deps/apt" file
  rm -rf "$apt/sources.list.d"
  mkdir -p "$apt/sources.list.d" "$apt/lists/partial" "$apt/cache/archives/partial"
  sed -n 's/^deb\([[:space:]]\)/deb-src\1/p' /etc/apt/sources.list 2>/dev/null \
    >"$apt/sources.list" || true
  for file in /etc/apt/sources.list.d/*.list; do
    if [ -f "$file" ]; then
      sed -n 's/^deb\([[:space:]]\)/deb-src\1/p' "$file" >>"$apt/sources.list"
    fi
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    if [ -f "$file" ]; then
      sed 's/^Types:.*/Types: deb-src/' "$file" >"$apt/sources.list.d/${file##*/}"
    fi
  done
  apt_options=(-o Dir::Etc::SourceList="$apt/sources.list"
    -o Dir::Etc::SourceParts="$apt/sources.list.d" -o Dir::State::Lists="$apt/lists"
    -o Dir::Cache="$apt/cache")
  # apt downloads as the user _apt, which may not write here.
  if [ "$(id -u)" -eq 0 ]; then
    apt_options+=(-o APT::Sandbox::User=root)
  fi
}

# expat from Debian's source package, with Debian's patches, as a static library.
build_expat() {
  local stamp="expat $toolchain_hash" version source
  if is_cached expat "$stamp"; then
    echo "cached: $stamp"
    return
  fi
  apt_sources
  apt-get "${apt_options[@]}" -qq update
  rm -rf "$deps/src" "$deps/build/expat"
  mkdir -p "$deps/src"
  # The newest version whose sources the mirror has: a mirror may lack the security archive's.
  for version in $(apt-cache "${apt_options[@]}" showsrc expat | sed -n 's/^Version: //p' \
                     | sort -u -V -r); do
    if (cd "$deps/src" && apt-get "${apt_options[@]}" -qq source "expat=$version" >/dev/null 2>&1)
    then
      break
    fi
    echo "expat $version: no sources on the mirror"
  done
  source="$(echo "$deps"/src/expat-*/expat)"
  [ -f "$source/CMakeLists.txt" ] || { echo "windows-cross: no expat sources" >&2; return 1; }
  echo "expat $version"
  # Debian's security patches test `#if XML_DTD == 1`, as its autotools build defines it; the
  # CMake build defines XML_DTD empty.
  sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$source/expat_config.h.cmake"
  cmake_deps "$source" "$deps/build/expat" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
    -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF \
    -DEXPAT_BUILD_PKGCONFIG=OFF
  mark_cached expat "$stamp"
}

init_wine() {
  if [ -f "$WINEPREFIX/.parlix-ready" ]; then
    echo "cached: $WINEPREFIX"
    return
  fi
  local output attempt
  # Without wine32 it reports that it cannot start 32-bit helpers; 64-bit programs run all the
  # same, so its output shows only when it fails. Now and then a first start fails to load
  # kernel32.dll (status c0000135) and the next one succeeds: it is tried three times, each on
  # a new prefix with no server left behind.
  for attempt in 1 2 3; do
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    if output="$("$wine" wineboot --init 2>&1)" && wineserver -w; then
      touch "$WINEPREFIX/.parlix-ready"
      return
    fi
    echo "$output"
    echo "Wine prefix: attempt $attempt failed"
  done
  return 1
}

# cross_configure SOURCE BUILD [OPTIONS...]
cross_configure() {
  local source="$1" binary="$2" launcher=()
  shift 2
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$source" -B "$binary" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DPARLIX_WINDOWS_DEPS="$deps" \
    -DPARLIX_WINEPREFIX="$WINEPREFIX" "${launcher[@]}" "$@" \
    >/dev/null
}

smoke_test() {
  cross_configure tests/windows-smoke "$root/out/windows-smoke"
  nice cmake --build "$root/out/windows-smoke"
  "$wine" "$root/out/windows-smoke/toolchain_smoke.exe" --gtest_brief=1
}

configure_parlix() {
  cross_configure . "$build" -DPARLIX_GUI=OFF -DPARLIX_BENCH=OFF -DPARLIX_WERROR=ON
}

# Builds on past the first failure (-k 0) so that a failed build names every file that does
# not compile, with its first error.
build_parlix() {
  local log="$build/build.log"
  if nice cmake --build "$build" --target parlix-build parlix_core_tests -- -k 0 >"$log" 2>&1; then
    tail -n 1 "$log"
    return
  fi
  grep -E '^FAILED: ' "$log" | sed 's/^FAILED: /failed: /'
  echo "First error of each file (whole output in ${log#"$root"/}):"
  grep -E ': (fatal )?error: ' "$log" | sed -e "s|^$root/||" -e 's|^\(\.\./\)*||' \
    | sort -t: -k1,1 -u
  return 1
}

run_tests() {
  local exe="$build/cli/parlix-build.exe" dlls
  dlls="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
  echo "parlix-build.exe: $(stat -c %s "$exe") bytes, needs $dlls"
  (cd "$build/tests" && "$wine" ./parlix_core_tests.exe "${test_args[@]}")
}

run_example() {
  local status=0
  PARLIX_EXAMPLE_DIR="$build/example/Übersetzung 日本" \
    examples/run-example.sh "$build/cli/parlix-build.exe" >"$build/example.log" 2>&1 || status=$?
  grep -E '^(parlix-build wrote|It is byte)|run-example' "$build/example.log" || true
  if [ "$status" -eq 77 ] && [ -z "${CI:-}" ]; then
    echo "(the unit was not compiled: no Free Pascal)"
  elif [ "$status" -ne 0 ]; then
    cat "$build/example.log"
    return 1
  fi
}

step "packages" install_packages
step "GoogleTest" build_googletest
step "expat" build_expat
step "Wine prefix" init_wine
step "toolchain check" smoke_test
if [ "$smoke_only" -eq 1 ]; then
  exit 0
fi
step "configure" configure_parlix
step "build" build_parlix
step "core tests under Wine" run_tests
step "example under Wine" run_example
echo "Windows build: core tests passed under Wine, the example's unit is the Linux one."
