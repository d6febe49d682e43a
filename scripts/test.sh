#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
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
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure -j "$(nproc)" --timeout 900
