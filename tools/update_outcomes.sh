#!/usr/bin/env bash
# Rewrites the expected outcome of every recorded run (the *_expected.txt files
# beside the run tests: the state hash and its named parts at each checkpoint,
# the stage scores, story flags and ending) from the normal build, then says
# which files changed and which of their checkpoints moved. Run it only for a
# change meant to alter how a stage plays; commit the files in a commit of
# their own that says why.
#   tools/update_outcomes.sh [ctest arguments, e.g. -R WholeGame]
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
tolvarin_setup build -DCMAKE_BUILD_TYPE=RelWithDebInfo
tolvarin_build build
tolvarin_build build demo_replay
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy TOLVARIN_UPDATE_OUTCOMES=1
status=0
ctest --test-dir build --output-on-failure -j "$(nproc)" "$@" || status=$?
changed=$(git diff --name-only -- 'tests/*_expected.txt')
if [ -z "$changed" ]; then
  echo "No recorded outcome changed."
else
  for file in $changed; do
    # The first checkpoint whose hash moved, and how many did.
    moved=$(git diff -U0 -- "$file" | grep -c '^+frame ' || true)
    first=$(git diff -U0 -- "$file" | grep -m1 '^+frame ' | cut -d' ' -f2 || true)
    if [ "$moved" -gt 0 ]; then
      echo "$file: $moved checkpoint(s) moved, the first at frame $first"
    else
      echo "$file: no checkpoint moved (other lines changed)"
    fi
  done
fi
exit $status
