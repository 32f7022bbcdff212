#!/usr/bin/env bash
# Key watcher figures under Wine: the pass and the CPU of the host and of wineserver while nothing
# is pressed, and key-to-sound, for the program and for a bare loop making the same pass
# (bench/wine/watcher.cpp), interleaved over ROUNDS rounds; a line a round and host, then the
# median of the rounds and their range (on this shared machine a round can take twice the next).
# Usage: scripts/bench-watcher.sh [ROWS...]   (default 1 100 1000; about 20 minutes)
# Environment: CB_BENCH_ROUNDS (default 5), CB_BENCH_PRESSES (a round, default 30),
# CB_BENCH_IDLE_SECONDS (default 10, and 1 more every 100 rows).
set -euo pipefail
source "$(dirname "$0")/bench-wine.sh"
rounds=${CB_BENCH_ROUNDS:-5} presses=${CB_BENCH_PRESSES:-30}
[ $# -gt 0 ] || set -- 1 100 1000
cb_capture "$work"

ticks() {  # CPU time of this prefix's process whose command line holds $1: utime + stime
  local pid
  for pid in $(pgrep -f "$1"); do
    grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null || continue
    sed 's/^.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }'
    return
  done
}

percent() {  # ticks seconds
  awk -v t="$1" -v s="$2" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", 100 * t / hz / s }'
}

columns='%6s  %-8s %5s  %8s %8s  %6s %6s  %8s %8s  %s\n'
measure() {  # rows host round
  local dir=$work/$1-$2-$3 idle=${CB_BENCH_IDLE_SECONDS:-$((10 + $1 / 100))} job host0 server0 host1 server1
  local press pass50 pass95 missed key50 key95
  mkdir -p "$dir"
  cbbench host "$2" "$1" "$(cb_winpath "$dir")" $((idle * 1000)) > "$dir/host.log" 2>&1 &
  job=$!
  cb_wait 180 "the $2 host" test -e "$dir/ready"
  host0=$(ticks "cbbench.exe host") server0=$(ticks wineserver)
  sleep "$idle"
  host1=$(ticks "cbbench.exe host") server1=$(ticks wineserver)
  # The random wait before each press spans a whole pass (about a millisecond a row or less).
  press=$(cbbench press "$presses" 300 $((16 + $1)) "$CB_CAPTURE_FILE") || true
  touch "$dir/stop"
  wait "$job"
  read -r _ _ _ pass50 _ pass95 < <(grep '^passes' "$dir/host.log")
  read -r _ _ _ missed _ key50 _ key95 <<< "$press"
  printf "$columns" "$1" "$2" "$3" "$pass50" "$pass95" "$(percent $((host1 - host0)) "$idle")" \
    "$(percent $((server1 - server0)) "$idle")" "$key50" "$key95" "$missed"
}

echo "$machine; $rounds rounds of $presses presses. Milliseconds; CPU in % of a core."
printf "$columns" rows host round "pass p50" p95 CPU server "key p50" p95 missed
for rows; do
  for round in $(seq "$rounds"); do
    measure "$rows" bare "$round"
    measure "$rows" program "$round"
  done
done | tee "$work/rounds.txt"

echo "Median of the rounds (lowest-highest):"
printf '%6s  %-8s  %-20s %-20s %-20s %-20s %-20s %s\n' rows host "pass p50" p95 CPU server "key p50" p95
awk 'function summary(list,   n, v, i, j, t) {  # "median (lowest-highest)" of the numbers in list
       n = split(list, v)
       for (i = 2; i <= n; i++)
         for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
       return sprintf("%s (%s-%s)", n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2, v[1], v[n])
     }
     { id = sprintf("%6s  %-8s", $1, $2); if (!seen[id]++) order[++n] = id
       for (c = 4; c <= 9; c++) column[id, c] = column[id, c] " " $c }
     END { for (i = 1; i <= n; i++) { printf "%s", order[i]
             for (c = 4; c <= 9; c++) printf "  %-20s", summary(column[order[i], c])
             print "" } }' "$work/rounds.txt"
