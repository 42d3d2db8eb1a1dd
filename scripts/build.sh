#!/usr/bin/env bash
# Configures and builds Rolvane into a build folder.
#   scripts/build.sh [normal|sanitize|clang]   (default: normal)
# Warnings are errors when ROLVANE_WERROR=ON is in the environment (the test
# command sets it).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-normal}
case "$kind" in
  normal)   dir="$top/build";      extra=() ;;
  sanitize) dir="$top/build-asan"; extra=(-DROLVANE_SANITIZE=ON -DROLVANE_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug) ;;
  clang)    dir="$top/build-clang"
            extra=(-DCMAKE_C_COMPILER="$(command -v clang-14 || command -v clang)"
                   -DCMAKE_CXX_COMPILER="$(command -v clang++-14 || command -v clang++)"
                   -DROLVANE_BENCH=OFF) ;;
  *) echo "usage: scripts/build.sh [normal|sanitize|clang]" >&2; exit 2 ;;
esac
cmake -S "$top" -B "$dir" -G Ninja "${extra[@]}" -DROLVANE_WERROR="${ROLVANE_WERROR:-OFF}" >/dev/null
ninja -C "$dir" -j"$(nproc)"
echo "$dir"
