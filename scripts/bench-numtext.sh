#!/bin/sh
# Builds the numeric text benchmark natively (Release, no sanitizers) and prints the median
# nanoseconds per call of each conversion over five runs.
#   scripts/bench-numtext.sh            build directory: build/bench-numtext under the source tree
#   CB_BENCH_BUILD_DIR=dir scripts/bench-numtext.sh
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BENCH_BUILD_DIR:-$root/build/bench-numtext}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DCB_SANITIZE=OFF -DCB_BENCH=ON -DCB_TESTS=OFF -DCB_FUZZ=OFF >/dev/null
ninja -C "$build" bench_numtext_bench >/dev/null

"$build/bench_numtext_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null |
awk -F'"' '
    # A row: "name_median",iterations,real,cpu,ns,,,"label",,
    /_median"/ {
        name = $2; sub(/_median$/, "", name); sub(/\/.*/, "", name)
        split($3, fields, ",")
        label = $4
        if (length(label) > 24) label = substr(label, 1, 12) "... (" length(label) " chars)"
        operation = name == "ReadText" ? "TextToNumber" : "NumberToText"
        if (operation == "TextToNumber") label = "\"" label "\""
        printf "%-13s %-30s %10.1f\n", operation, label, fields[4]
    }
    BEGIN { printf "%-13s %-30s %10s\n", "operation", "input (text read or written)", "ns/call" }
'
