# Sourced by the benchmarks that run under Wine: builds the benchmark tools (cbbench.exe) beside
# the program in build/bench, and starts a prefix of the benchmark's own, so that its server
# serves nothing but the measured processes.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
bench=$CB_BUILD/bench
CB_BUILD=$bench cb_configure x86_64 -DCB_BENCH=ON -DCB_TESTS=OFF
ninja -C "$bench/x86_64" cbbench chordbell >/dev/null
cb_wine_env "$bench/prefix-$(basename "$0" .sh)"
cb_display
cb_wine_boot
trap cb_wine_stop EXIT
