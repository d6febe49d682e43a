#!/usr/bin/env bash
# Builds the sound and video tests with ThreadSanitizer (build-tsan/, or $TSAN_BUILD_DIR) and runs
# them; any data race fails the run. Extra arguments go to CMake's configure step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TSAN_BUILD_DIR:-$root/build-tsan}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRELO_TSAN=ON \
  -DTAVRELO_BENCH=OFF "$@"
cmake --build "$build" -j "$(nproc)" --target test_media
cd "$build"
# ThreadSanitizer makes the program end with a failing status when it reported a race.
timeout 1800 ./tests/test_media
