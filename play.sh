#!/usr/bin/env bash
# Builds the game (installing missing Debian packages first), writes the sample
# data set beside it and starts it. Without a display it runs headless.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
tolvarin_setup build -DCMAKE_BUILD_TYPE=RelWithDebInfo
args=("$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ ${#args[@]} -eq 0 ]; then
  echo "No display found: running headless for 3,000 frames; screenshots go to build/screens/."
  args=(--headless --frames 3000 --screenshot-at 120,600,1200,1800,2400,3000 --screenshot-dir screens)
fi
exec ./build/tolvarin "${args[@]}"
