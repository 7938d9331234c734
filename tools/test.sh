#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite; then builds it again with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs it there too (ZYLMA_SKIP_SANITIZERS=1 skips that); then
# builds the libFuzzer targets with clang, without running them (ZYLMA_SKIP_FUZZ_BUILD=1 skips).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZYLMA_BUILD:-$here/build}
passed=0
failed=0

# Runs CTest in the given build tree and adds its counts to the totals.
run_suite() {
  local log
  log=$(mktemp)
  local rc=0
  (cd "$1" && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j "$(nproc)" --timeout 300) 2>&1 | tee "$log" || rc=$?
  local total fails
  total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' "$log" | tail -1)
  fails=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  rm -f "$log"
  passed=$((passed + ${total:-0} - ${fails:-0}))
  failed=$((failed + ${fails:-0}))
  return "$rc"
}

"$here/tools/setup.sh"
status=0
run_suite "$build" || status=1

if [ "${ZYLMA_SKIP_SANITIZERS:-0}" != 1 ]; then
  asan=${ZYLMA_BUILD_ASAN:-$here/build-asan}
  cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZYLMA_SANITIZE=ON >/dev/null
  cmake --build "$asan" -j "$(nproc)"
  run_suite "$asan" || status=1
fi

# The libFuzzer targets are built, not run: a change that breaks them shows here.
if [ "${ZYLMA_SKIP_FUZZ_BUILD:-0}" != 1 ] && command -v clang++ >/dev/null; then
  fuzz=${ZYLMA_BUILD_FUZZ:-$here/build-fuzz}
  CC=clang CXX=clang++ cmake -S "$here" -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZYLMA_FUZZ=ON -DZYLMA_WITH_QT=OFF >/dev/null
  targets=$(cmake --build "$fuzz" --target help | sed -n 's/^\(fuzz_[a-z0-9_]*\):.*/\1/p')
  # shellcheck disable=SC2086
  cmake --build "$fuzz" -j "$(nproc)" --target $targets
  echo "Fuzz targets built: $(echo $targets)"
fi

echo
echo "tests: $passed passed, $failed failed"
exit "$status"
