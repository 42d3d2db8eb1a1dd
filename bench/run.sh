#!/usr/bin/env bash
# The benchmark suite in one run: the registry library at 1,000 and 100,000
# entries, the four builders at 4,000 and 40,000 persons, the GEP and CSV update
# jobs at 4,300 and 43,000 persons against the I/O floor of the same data
# (in-process), the GEP, SIECLE and CSV updates as whole rolvane-batch processes
# against the I/O floor of each, and the login slips of 4,000 and 40,000 pupils
# (time and peak memory).
#   bash bench/run.sh            builds build/ with scripts/build.sh, then measures
#   bash bench/run.sh BUILD_DIR  uses (and brings up to date) an existing build folder
# In-process times are the CPU time of the measuring thread, the best of several
# rounds. Whole processes are measured by their wall time and their own CPU time,
# the median of several runs (at least 7, ROLVANE_BENCH_RUNS), each job beside its
# floor. rolvane-batch gep-update and siecle-update must stay within 3 times their
# I/O floor (wall time) at both sizes, grow at most 10.5-fold from 4,300 to 43,000
# persons and stay under 48 MB; csv-update within 3 times its floor. Exit status 1
# when a ratio with a target (builders, update jobs, slips: under 12) is missed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -ge 1 ]; then
  dir=$(cd "$1" && pwd)
  ninja -C "$dir" vandrel1 bench_library bench_builders bench_update_jobs bench_slips \
    rolvane-batch bench_io_floor bench_whole_process >/dev/null
else
  dir=$(bash "$top/scripts/build.sh" normal | tail -n 1)
fi

status=0
run() {
  echo
  echo "== $1"
  shift
  "$@" || status=1
}
run "Registry library, through the exported boundary (1,000 and 100,000 entries)" \
  "$dir/bin/bench_library"
run "Account builders (4,000 and 40,000 persons)" "$dir/bin/bench_builders"
run "Update jobs (4,300 and 43,000 persons) and the I/O floor of the same data" \
  "$dir/bin/bench_update_jobs"
run "rolvane-batch gep-update, siecle-update and csv-update as whole processes (4,300 and 43,000 persons)" \
  "$dir/bin/bench_whole_process" "${ROLVANE_BENCH_RUNS:-7}"
run "Login slips (4,000 and 40,000 pupils): time and peak memory" "$dir/bin/bench_slips"
ninja -C "$dir" bench_teacher_tools >/dev/null
run "Teacher tools: the EXPORT load at 10,000 and 100,000 lines (ratio about 10)" \
  "$dir/bin/bench_teacher_tools"
[ $status -eq 0 ] || echo "bench/run.sh: a ratio is over its target (see above)"
exit $status
