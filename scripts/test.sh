#!/usr/bin/env bash
# Installs what the build needs, then builds and runs every test twice: a normal
# build, and a build with AddressSanitizer and UndefinedBehaviorSanitizer; then
# runs each fuzz target of fuzz/ for a minute; then builds the Debian package and
# checks it (scripts/check-package.sh).
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

# A one-minute run of each fuzz target (clang; a crash or a sanitizer report fails).
if command -v clang-14 >/dev/null 2>&1 || command -v clang >/dev/null 2>&1; then
  echo "=== Fuzzing: 60 s per target ==="
  bash "$top/fuzz/run.sh" 60 || status=1
fi

# The Debian package: lintian, the validators, then installed, run and removed.
echo "=== Package ==="
bash "$top/scripts/check-package.sh" || status=1
exit $status
