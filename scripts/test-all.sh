#!/usr/bin/env bash
# Checks the layers, installs what is missing, builds Parlix with warnings as errors, and runs
# every test: the core and GUI tests, the core tests of the Windows build under Wine, the format
# check, and a bounded fuzzing run under ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

# The layer check needs nothing but the sources: it runs first, before the long builds.
scripts/check-layers.sh
scripts/install-deps.sh

cmake -S . -B out/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARLIX_WERROR=ON
cmake --build out/release
QT_QPA_PLATFORM=offscreen ctest --test-dir out/release --output-on-failure -j2

# The core and parlix-build for Windows, tested under Wine.
PARLIX_BUILD_LINUX="$PWD/out/release/cli/parlix-build" scripts/windows-cross.sh

scripts/check-format.sh
scripts/fuzz.sh "${PARLIX_FUZZ_SECONDS:-30}"

echo "All tests passed."
