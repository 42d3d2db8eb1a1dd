#!/usr/bin/env bash
# Configures and builds Rolvane into a build folder.
#   scripts/build.sh [normal|sanitize]   (default: normal)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-normal}
case "$kind" in
  normal)   dir="$top/build";      extra=() ;;
  sanitize) dir="$top/build-asan"; extra=(-DROLVANE_SANITIZE=ON -DROLVANE_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug) ;;
  *) echo "usage: scripts/build.sh [normal|sanitize]" >&2; exit 2 ;;
esac
cmake -S "$top" -B "$dir" -G Ninja "${extra[@]}" >/dev/null
ninja -C "$dir" -j"$(nproc)"
echo "$dir"
