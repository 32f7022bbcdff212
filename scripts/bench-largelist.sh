#!/usr/bin/env bash
# Large lists under Wine (bench/wine/largelist.cpp): start-up, answers and clicks while the watcher
# reads, and the editing commands, for the program as built and for a build without the bulk
# treatment (-DCB_BULK_REDRAW=OFF), interleaved in one run. About five minutes, builds included.
# Usage: scripts/bench-largelist.sh
# Environment: CB_BENCH_STARTS (start-ups per number of entries, default 7), CB_BENCH_ANSWERS
# (default 300), CB_BENCH_CLICKS (default 20), CB_BENCH_COMMANDS (each command per program run,
# default 10), CB_BENCH_RUNS (program runs for the commands, default 3).
set -euo pipefail
source "$(dirname "$0")/bench-wine.sh"
CB_BUILD=$bench/plain cb_configure x86_64 -DCB_BULK_REDRAW=OFF -DCB_TESTS=OFF
ninja --quiet -C "$bench/plain/x86_64" chordbell
set -- "${CB_BENCH_STARTS:-7}" "${CB_BENCH_ANSWERS:-300}" "${CB_BENCH_CLICKS:-20}" "${CB_BENCH_COMMANDS:-10}" \
  "${CB_BENCH_RUNS:-3}"
echo "$machine. Medians of $1 start-ups; $2 answers and $3 clicks a row count; $4 of each command in each" \
  "of $5 program runs. Milliseconds."
printf '%-52s %-22s %s\n' measure "bulk treatment" "without it"
cbbench largelist "$(cb_winpath "$work")" "$@" "$(cb_winpath "$bench/x86_64/chordbell.exe")" \
  "$(cb_winpath "$bench/plain/x86_64/chordbell.exe")"
