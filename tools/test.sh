#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZYLMA_BUILD:-$here/build}
"$here/tools/setup.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 300
