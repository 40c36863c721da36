#!/usr/bin/env bash
# Checks the layers, installs what is missing, builds Parlix with warnings as errors, and runs
# every test: the core and GUI tests, the core tests once more built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer, the core tests of the Windows build under
# Wine, the format check, and a bounded fuzzing run.
#
# CI is set for the tests (unless it is set already): a test that needs a tool which is not
# installed then fails instead of skipping (tests/required_tools.h), so that this command
# cannot pass by skipping.
set -euo pipefail
cd "$(dirname "$0")/.."
export CI="${CI:-true}"
start=$SECONDS
step() {
  echo "=== $1 ($((SECONDS - start)) s)"
}

# The layer check needs nothing but the sources: it runs first, before the long builds.
step "layers"
scripts/check-layers.sh
step "packages"
scripts/install-deps.sh

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

step "build (GCC)"
cmake -S . -B out/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARLIX_WERROR=ON "${launcher[@]}"
cmake --build out/release
step "tests"
QT_QPA_PLATFORM=offscreen ctest --test-dir out/release --output-on-failure -j2

# The core and its tests once more with clang, which finds other warnings than GCC, under the
# sanitizers. The tests run in one process (ctest would start one per test); the windows are
# left out.
step "build (clang, ASan and UBSan)"
CXX=clang++ cmake -S . -B out/sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPARLIX_SANITIZE=ON -DPARLIX_WERROR=ON -DPARLIX_GUI=OFF -DPARLIX_BENCH=OFF "${launcher[@]}"
cmake --build out/sanitize --target parlix_core_tests
step "core tests (ASan and UBSan)"
(cd out/sanitize/tests && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ./parlix_core_tests --gtest_brief=1)

# The core and parlix-build for Windows, tested under Wine.
step "Windows (MinGW-w64, Wine)"
PARLIX_BUILD_LINUX="$PWD/out/release/cli/parlix-build" scripts/windows-cross.sh

step "format"
scripts/check-format.sh
step "fuzzing"
scripts/fuzz.sh "${PARLIX_FUZZ_SECONDS:-30}"

echo "All tests passed ($((SECONDS - start)) s)."
