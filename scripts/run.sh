#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" build
"$root/scripts/build.sh" -DTAVRELO_TESTS=OFF -DTAVRELO_BENCH=OFF
exec "${BUILD_DIR:-$root/build}/tavrelo"
