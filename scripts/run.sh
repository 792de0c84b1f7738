#!/usr/bin/env bash
# Installs what is missing, builds Melodex and starts it. Arguments go to the program.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
MELODEX_BUILD_DIR=${MELODEX_BUILD_DIR:-$top/build} "$top/scripts/build.sh" -DMELODEX_TESTS=OFF
exec "${MELODEX_BUILD_DIR:-$top/build}/src/melodex" "$@"
