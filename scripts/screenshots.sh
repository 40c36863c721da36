#!/usr/bin/env bash
# Walks through the example project on a virtual display and saves a picture of every window
# to the folder given (default out/screenshots), then the sync with the Lazarus example's forms
# and that example's program in both languages.
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-out/screenshots}"

scripts/install-deps.sh
cmake -S . -B out/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build out/release --target parlix_screenshots parlix-build
xvfb-run -a -s "-screen 0 1280x1024x24" \
  out/release/tools/parlix_screenshots "$folder" examples/addressbook examples/tasks
# The Lazarus example's program in both languages, under a window manager of its own.
examples/run-tasks.sh --screenshots "$folder" out/release/cli/parlix-build >/dev/null
