#!/usr/bin/env bash
# Key watcher figures under Wine, as a user feels them, for lists of 1, 100 and 1000 rows:
#   - one watcher pass (the time between two row counts, its 16 ms sleep included), idle;
#   - CPU per second of the program's process and of wineserver while nothing is pressed;
#   - key-to-sound latency: a key-down sent with SendInput from another process until the first
#     bytes of the sound reach the ALSA capture file; p50 and p95. The key's entry is the bottom
#     row, so every pass reads all other rows first.
# Each figure is measured for the program's own main window and watcher and, in the same run,
# for a bare loop that makes the same pass with nothing around it (bench/wine/bareloop.cpp).
# Prints figures only; nothing here passes or fails on a time.
# Usage: scripts/bench-watcher.sh [ROWS ...]   (default: 1 100 1000)
# Environment: CB_BENCH_PRESSES (default 50), CB_BENCH_IDLE_SECONDS (default 10), CB_BUILD_DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BUILD_DIR:-$root/build}
presses=${CB_BENCH_PRESSES:-50}
idle=${CB_BENCH_IDLE_SECONDS:-10}
rows_list=("$@")
[ ${#rows_list[@]} -gt 0 ] || rows_list=(1 100 1000)

for exe in watcher_host bareloop keypresser; do
  [ -f "$build/x86_64/$exe.exe" ] || { bash "$root/scripts/build.sh" x86_64 >/dev/null; break; }
done

source "$root/scripts/wine-env.sh"
# A prefix of its own: its wineserver then serves nothing but the measured processes.
cb_wine_env "$build/wineprefix-bench"
cb_display
cb_wine_boot
work=$build/bench-watcher
rm -rf "$work"
mkdir -p "$work"
cb_capture "$work"
trap cb_wine_stop EXIT

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
ticks_per_second=$(getconf CLK_TCK)

# The Linux process of this prefix whose command line holds $1.
prefix_pid() {
  local pid
  for pid in $(pgrep -f "$1"); do
    if { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
      echo "$pid"
      return 0
    fi
  done
  return 1
}

cpu_ticks() {  # utime + stime of a process
  sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

percent() {  # ticks over seconds, as a percentage of one core
  awk -v t="$1" -v s="$2" -v hz="$ticks_per_second" 'BEGIN { printf "%.1f", 100 * t / hz / s }'
}

wait_for_file() {  # path seconds
  local i
  for i in $(seq $(($2 * 10))); do [ -e "$1" ] && return 0; sleep 0.1; done
  return 1
}

measure() {  # kind rows
  local kind=$1 rows=$2 dir=$work/$1-$2 exe pattern
  mkdir -p "$dir"
  export CB_BENCH_ROWS=$rows CB_BENCH_DIR=$(winpath "$dir") CB_BENCH_IDLE_MS=$((idle * 1000))
  if [ "$kind" = program ]; then
    exe=$build/x86_64/watcher_host.exe
    "$CB_WINE64" "$exe" --gtest_filter=WatcherBenchmark.Host > "$dir/host.log" 2>&1 &
  else
    exe=$build/x86_64/bareloop.exe
    "$CB_WINE64" "$exe" > "$dir/host.log" 2>&1 &
  fi
  local job=$!
  pattern=$(basename "$exe")
  if ! wait_for_file "$dir/ready" 180; then
    echo "bench-watcher: the $kind host did not start; see $dir/host.log" >&2
    kill "$job" 2>/dev/null || true
    return 1
  fi
  local host server
  host=$(prefix_pid "x86_64/$pattern")
  server=$(prefix_pid wineserver64)

  # Idle: nothing is pressed for the whole interval.
  local host0 server0 host1 server1
  host0=$(cpu_ticks "$host"); server0=$(cpu_ticks "$server")
  sleep "$idle"
  host1=$(cpu_ticks "$host"); server1=$(cpu_ticks "$server")

  # Long enough after a press for the watcher to have finished its passes over the list.
  local quiet=$((300 + rows * 2))
  local latency
  latency=$("$CB_WINE64" "$build/x86_64/keypresser.exe" 119 "$presses" "$quiet" \
    "$(winpath "$dir/latency.txt")" 2>&1 | tr -d '\r' | tail -1)

  touch "$dir/stop"
  wait_for_file "$dir/passes.txt" 60 || true
  wait "$job" 2>/dev/null || true
  local passes
  passes=$(cat "$dir/passes.txt" 2>/dev/null || echo "passes ?")

  printf '%6s  %-8s  %-34s  %6s %%  %6s %%  %s\n' "$rows" "$kind" "$passes" \
    "$(percent $((host1 - host0)) "$idle")" "$(percent $((server1 - server0)) "$idle")" "$latency"
}

echo "Wine $("$CB_WINE64" --version 2>/dev/null), $(nproc) cores; $presses presses, ${idle} s idle"
printf '%6s  %-8s  %-34s  %8s  %8s  %s\n' rows host "pass, idle (ms)" "CPU" "server" \
  "key-to-sound latency (ms)"
for rows in "${rows_list[@]}"; do
  measure bare "$rows"
  measure program "$rows"
done
