#!/usr/bin/env bash
# The numeric text conversion natively (clang, Release, no sanitizers; bench/native): the median
# nanoseconds per call of each conversion over five runs.
# Usage: scripts/bench-numtext.sh
set -euo pipefail
source "$(dirname "$0")/lib.sh"
CB_BUILD=$CB_BUILD/bench cb_configure native -DCMAKE_BUILD_TYPE=Release -DCB_SANITIZE=OFF -DCB_FUZZ=OFF \
  -DCB_TESTS=OFF -DCB_BENCH=ON
ninja --quiet -C "$CB_BUILD/bench/native" bench_numtext_bench
"$CB_BUILD/bench/native/bench_numtext_bench" --benchmark_repetitions=5 --benchmark_display_aggregates_only=true \
  2>/dev/null | grep -E '^Benchmark|_median'
