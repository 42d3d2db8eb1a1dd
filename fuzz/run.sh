#!/usr/bin/env bash
# Builds the fuzz targets with clang (build-fuzz/) and runs each for a while.
#   fuzz/run.sh [SECONDS] [TARGET ...]     (default: 15 seconds, every target)
# Targets: library dbase export csv xml. Each run starts from the seeds of
# fuzz/corpus/<target>/ and keeps what it finds in a scratch folder, not in the
# project. A crash, a sanitizer report or a failed check stops with status 1; the
# input that caused it is saved as build-fuzz/crashes/<target>-crash-*.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-15}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(library dbase export csv xml)

cc=$(command -v clang-14 || command -v clang || true)
cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cc" ] || [ -z "$cxx" ]; then
  echo "fuzz/run.sh: clang is not installed" >&2
  exit 2
fi
dir="$top/build-fuzz"
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROLVANE_FUZZ=ON -DROLVANE_GUI=OFF -DROLVANE_TESTS=OFF \
  -DROLVANE_BENCH=OFF >/dev/null
ninja -C "$dir" -j"$(nproc)" $(printf 'fuzz_%s ' "${targets[@]}") | tail -n 1

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$dir/crashes"
status=0
for t in "${targets[@]}"; do
  work=$(mktemp -d)
  cp "$top/fuzz/corpus/$t"/* "$work/"
  echo "=== fuzz_$t: $seconds s ==="
  if ! "$dir/bin/fuzz_$t" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$dir/crashes/$t-" "$work" >"$dir/fuzz_$t.log" 2>&1; then
    tail -n 40 "$dir/fuzz_$t.log"
    status=1
  else
    grep -E "^(stat::number_of_executed_units|stat::new_units_added)|Done [0-9]+ runs" "$dir/fuzz_$t.log" || true
  fi
  rm -rf "$work"
done
exit $status
