#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lists=()
for f in "$root"/scripts/packages/*.txt; do lists+=("$(basename "$f" .txt)"); done
"$root/scripts/install-deps.sh" "${lists[@]}"
"$root/scripts/build.sh"
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure -j "$(nproc)" --timeout 900
