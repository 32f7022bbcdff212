#!/usr/bin/env bash
# Builds the saved list benchmark for x86_64 Windows and runs it under Wine: the load and save
# of 10, 1,000 and 10,000 entries by the program against the same work done through the
# platform's private-profile functions, in one run, as a table of medians in milliseconds.
#   scripts/bench-savedlist.sh              build directory: build/bench-savedlist
#   scripts/bench-savedlist.sh 10 1000      other numbers of entries
#   CB_BENCH_BUILD_DIR=dir scripts/bench-savedlist.sh
# The platform's side rewrites the whole file at each key it writes, so its 10,000-entry save
# alone took about 11 minutes on a 2-core machine; the whole run takes about 13.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BENCH_BUILD_DIR:-$root/build/bench-savedlist}

cmake -S "$root" -B "$build/x86_64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-mingw.cmake" >/dev/null
ninja -C "$build/x86_64" bench_profile >/dev/null

source "$root/scripts/wine-env.sh"
cb_wine_env "$build/wineprefix64"
cb_display
cb_wine_boot
trap cb_wine_stop EXIT
"$CB_WINE64" "$build/x86_64/bench_profile.exe" "$@" | tr -d '\r'
