#!/usr/bin/env bash
# Sets up, builds, lays out a fresh application folder and starts Principal on it.
# When no serial device is configured (ZYLMA_COM1 unset), a simulated restrictor is started
# on a pseudo-terminal and port 1 is pointed at it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZYLMA_BUILD:-$here/build}
"$here/tools/setup.sh"
cmake --build "$build" --target app-folder
app=$build/app-folder

sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${ZYLMA_COM1:-}" ] && [ -x "$build/sim/zylma-sim" ]; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  "$build/sim/zylma-sim" --model "${ZYLMA_SIM_MODEL:-00}" >"$fifo" 2>/dev/null &
  sim_pid=$!
  read -r pty <"$fifo"; rm -f "$fifo"
  export ZYLMA_COM1=$pty
  echo "Simulated restrictor on $pty (port 1)"
fi
ZYLMA_APP=$app "$build/app/Principal" "$@"
