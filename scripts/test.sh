#!/usr/bin/env bash
# Installs what the build needs, then builds and runs every test twice: a normal
# build, and a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
for kind in normal sanitize; do
  echo "=== Build: $kind ==="
  bash "$top/scripts/build.sh" "$kind" | tail -n 3
  dir="$top/build"; [ "$kind" = sanitize ] && dir="$top/build-asan"
  echo "=== Tests: $kind ==="
  if ! (cd "$dir" && ctest --output-on-failure -j2 --timeout 900); then
    status=1
  fi
done
exit $status
