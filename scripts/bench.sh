#!/usr/bin/env bash
# Builds and runs the benchmarks (generated catalogues are kept under /tmp between runs).
# Arguments go to the benchmark program, e.g. --benchmark_filter=Page.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${MELODEX_BENCH_BUILD_DIR:-$top/build-bench}
"$top/scripts/setup.sh"
MELODEX_BUILD_DIR=$build MELODEX_BUILD_TYPE=Release "$top/scripts/build.sh" -DMELODEX_TESTS=OFF -DMELODEX_BENCH=ON
"$build/bench/bench_store" "$@"
