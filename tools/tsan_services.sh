#!/usr/bin/env bash
# Builds the service and platform test programs with ThreadSanitizer in
# build-tsan/ and runs them. Not part of CI (which runs the normal and the
# ASan builds); run it after changing the service threads or the platform's
# events, locks and threads.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVARIN_BENCHMARKS=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" > build-tsan.configure.log
cmake --build build-tsan -j "$(nproc)" --target test_engine_services test_platform
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
repeat="${1:-1}"
for t in build-tsan/tests/engine/services/test_engine_services build-tsan/tests/platform/test_platform; do
  "$t" --gtest_repeat="$repeat" --gtest_brief=1
done
