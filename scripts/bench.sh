#!/usr/bin/env bash
# Installs what the benchmarks need, builds, and runs every benchmark program (or those named:
# scripts/bench.sh media report). Extra Google Benchmark flags go in BENCH_FLAGS.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" build test report bench
"$root/scripts/build.sh"
build=${BUILD_DIR:-$root/build}
names=("$@")
if ((${#names[@]} == 0)); then
  for program in "$build"/bench/*_bench; do names+=("$(basename "$program" _bench)"); done
fi
cd "$root"
for name in "${names[@]}"; do
  echo "== ${name}_bench"
  # shellcheck disable=SC2086
  "$build/bench/${name}_bench" ${BENCH_FLAGS:-}
done
