#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test; then builds the tests again
# with AddressSanitizer, LeakSanitizer and UBSan (in build-asan/, or $ASAN_BUILD_DIR) and runs
# the whole suite once more, and runs the sound and video tests under ThreadSanitizer
# (build-tsan/, or $TSAN_BUILD_DIR). TAVRELO_SKIP_SANITIZERS=1 stops after the plain run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lists=()
# Every list but the benchmarks' yardsticks.
for f in "$root"/scripts/packages/*.txt; do
  name=$(basename "$f" .txt)
  [[ "$name" == bench ]] || lists+=("$name")
done
"$root/scripts/install-deps.sh" "${lists[@]}"
"$root/scripts/build.sh"
(cd "${BUILD_DIR:-$root/build}" && ctest --output-on-failure -j "$(nproc)" --timeout 900)

[[ "${TAVRELO_SKIP_SANITIZERS:-0}" == 1 ]] && exit 0
asan=${ASAN_BUILD_DIR:-$root/build-asan}
BUILD_DIR=$asan "$root/scripts/build.sh" -DTAVRELO_SANITIZE=ON -DTAVRELO_BENCH=OFF
(cd "$asan" && ctest --output-on-failure -j "$(nproc)" --timeout 1800)
"$root/scripts/tsan.sh"
