#!/usr/bin/env bash
# Builds everything (installing missing Debian packages first), records the
# demonstration replay and runs every test through ctest. --asan builds and
# tests with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/
# instead; --clang builds with clang in build-clang/ and runs every test but
# the drawing-heavy ones (golden frames and the in-process runners, which draw
# every frame).
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
dir=build
# The same configuration as play.sh's (tools/setup.sh).
extra=("${TOLVARIN_BUILD_ARGS[@]}")
tests=()
if [ "${1:-}" = "--asan" ]; then
  dir=build-asan
  extra=(-DCMAKE_BUILD_TYPE=Debug -DTOLVARIN_SANITIZE=ON -DTOLVARIN_BENCHMARKS=OFF -DTOLVARIN_WERROR=ON)
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
elif [ "${1:-}" = "--clang" ]; then
  dir=build-clang
  TOLVARIN_PACKAGES+=(clang)
  extra=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
         -DTOLVARIN_BENCHMARKS=OFF -DTOLVARIN_WERROR=ON)
  tests=(-E 'Golden|Runner\.|FirstStageRun\.|NoDrawOption\.|DrawThreadsOption\.')
fi
tolvarin_setup "$dir" "${extra[@]}"
tolvarin_build "$dir"
tolvarin_build "$dir" demo_replay
tolvarin_report_game "$dir"
echo "The test programs are in $dir/tests/; ctest runs them from $dir/."
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
cd "$dir"
ctest --output-on-failure -j "$(nproc)" "${tests[@]}"
