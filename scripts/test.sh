#!/usr/bin/env bash
# Installs what is missing, builds Melodex with its tests and runs the whole suite.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${MELODEX_BUILD_DIR:-$top/build}
"$top/scripts/setup.sh"
MELODEX_BUILD_DIR=$build "$top/scripts/build.sh" -DMELODEX_TESTS=ON
cd "$build"
ctest --output-on-failure -j "$(nproc)"
