#!/usr/bin/env bash
# Builds Melodex in Release and makes its Debian package (build-package/melodex_*.deb).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${MELODEX_BUILD_DIR:-$top/build-package}
"$top/scripts/setup.sh"
MELODEX_BUILD_TYPE=Release MELODEX_BUILD_DIR=$build "$top/scripts/build.sh" -DMELODEX_TESTS=OFF
cd "$build"
cpack -G DEB
ls -1 "$build"/melodex_*.deb
