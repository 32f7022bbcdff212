# Sourced by the benchmarks that run under Wine: builds the benchmark tools (cbbench.exe) beside
# the program in build/bench, starts a prefix of the benchmark's own, so that its server serves
# nothing but the measured processes, and gives the benchmark an empty folder, $work.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
bench=$CB_BUILD/bench
name=$(basename "$0" .sh)
CB_BUILD=$bench cb_configure x86_64 -DCB_BENCH=ON -DCB_TESTS=OFF
ninja --quiet -C "$bench/x86_64" cbbench chordbell
work=$bench/${name#bench-}
rm -rf "$work"
mkdir -p "$work"
cb_wine_start "$bench/prefix-$name"
machine="$("$CB_WINE" --version), $(nproc) cores, $(date -u +%Y-%m-%d)"  # begins a table's heading
cbbench() { "$CB_WINE" "$bench/x86_64/cbbench.exe" "$@" | tr -d '\r'; }
