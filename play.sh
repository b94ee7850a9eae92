#!/usr/bin/env bash
# Builds the game (installing missing Debian packages first), writes the sample
# data set and the demonstration replay beside it and starts it; the tests are
# left to test.sh. Without a display it runs headless.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
tolvarin_setup build "${TOLVARIN_BUILD_ARGS[@]}"
tolvarin_build build tolvarin sample_data demo_replay
tolvarin_report_game build
args=("$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ ${#args[@]} -eq 0 ]; then
  frames=3000
  shots=120,600,1200,1800,2400,3000
  echo "No display found: running headless for $frames frames (logo, title, the idle demonstration);" \
       "screenshots go to build/screens/."
  start=$(date +%s)
  status=0
  ./build/tolvarin --headless --frames "$frames" --screenshot-at "$shots" --screenshot-dir screens || status=$?
  count=0
  if [ -d build/screens ]; then
    count=$(find build/screens -maxdepth 1 -name 'frame-*.png' -newermt "@$start" | wc -l)
  fi
  echo "The headless run has ended (exit status $status); it left $count screenshots in build/screens/" \
       "(frame-000120.png .. frame-003000.png)."
  exit "$status"
fi
exec ./build/tolvarin "${args[@]}"
