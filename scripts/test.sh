#!/usr/bin/env bash
# Installs what the build needs, checks the format of every C++ file, builds with
# Clang (warnings as errors, as in every build), then builds and runs every test
# twice: a normal GCC build, and one with AddressSanitizer and UBSan; then
# runs each fuzz target of fuzz/ for a minute; then builds the Debian package and
# checks it (scripts/check-package.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
# The style: every C++ file of the project as .clang-format lays it out.
echo "=== Format ==="
if ! (cd "$top" && git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror); then
  echo "Format: run clang-format -i on the files above." >&2
  status=1
fi

# Warnings are errors in every build; the Clang build is compiled, its tests
# are those of the GCC builds.
export ROLVANE_WERROR=ON
echo "=== Build: clang ==="
bash "$top/scripts/build.sh" clang | tail -n 3

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
