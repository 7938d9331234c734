#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite; then builds it again with AddressSanitizer
# and UndefinedBehaviorSanitizer and runs it there too (ZYLMA_SKIP_SANITIZERS=1 skips that).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZYLMA_BUILD:-$here/build}
"$here/tools/setup.sh"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 300

if [ "${ZYLMA_SKIP_SANITIZERS:-0}" != 1 ]; then
  asan=${ZYLMA_BUILD_ASAN:-$here/build-asan}
  cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZYLMA_SANITIZE=ON >/dev/null
  cmake --build "$asan" -j "$(nproc)"
  cd "$asan"
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j "$(nproc)" --timeout 300
fi
