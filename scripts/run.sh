#!/usr/bin/env bash
# Installs what is missing, builds Parlix and starts the desktop program. Without a display
# (a server, a container) it starts inside a virtual one, so the command still works there.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B out/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build out/release --target parlix

program=out/release/editor/parlix
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" "$@"
fi
echo "No display found: starting Parlix on a virtual display (xvfb-run)."
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$program" "$@"
