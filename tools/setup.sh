#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those that are missing) and configures
# and builds the tree in build/ (or $ZYLMA_BUILD).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${ZYLMA_BUILD:-$here/build}

pkgs=(cmake ninja-build g++ clang libgtest-dev libgmock-dev libbenchmark-dev
      qt6-base-dev libqt6serialport6-dev libgl-dev fonts-dejavu-core qt6-translations-l10n)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${ZYLMA_BUILD_TYPE:-RelWithDebInfo} ${ZYLMA_CMAKE_ARGS:-}
cmake --build "$build" -j "$(nproc)"
