#!/usr/bin/env bash
# Rewrites the expected hash and picture of every golden frame
# (tests/**/golden/<name>.txt and <name>.png) from the normal build, then lists
# what changed. Look at every changed picture before committing it.
#   tools/update_goldens.sh [ctest arguments, e.g. -R PlayGolden]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
tolvarin_setup build "${TOLVARIN_BUILD_ARGS[@]}"
tolvarin_build build
tolvarin_build build demo_replay
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy TOLVARIN_UPDATE_GOLDEN=1
status=0
ctest --test-dir build --output-on-failure -j "$(nproc)" "$@" || status=$?
git status --short -- tests | grep '/golden/' || echo "No golden frame changed."
exit $status
