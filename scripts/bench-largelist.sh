#!/usr/bin/env bash
# Large lists under Wine: the program built with the bulk treatment (the sound list's redraw
# switched off while the saved list loads) and without it, measured side by side in one run
# after Wine is warm, printed as one table:
#   - start-up, from the process start to the main window visible (and to its list painted),
#     with 0, 1,000 and 10,000 entries in data.ini, and the cost the list adds (N minus 0);
#   - the user-interface thread's answer to a message sent by another process while the key
#     watcher reads 0, 100 and 1,000 rows and nothing is pressed: p50, p95 and max;
#   - a mouse click on the registration toggle until the screen shows it checked;
#   - add, edit, delete, clear and close (with its save) on a list of 1,000 rows, until the
#     command has run and until the list has painted; a close with no entries beside it.
# The probes are bench/wine/probe_*.cpp, each started as a process of its own. Prints figures
# only; nothing here passes or fails on a time. Takes about five minutes, the builds included.
# Usage: scripts/bench-largelist.sh
# Environment: CB_BENCH_BUILD_DIR (default build/bench-largelist), CB_BENCH_STARTS (start-ups
# per number of entries, default 7), CB_BENCH_ANSWERS (default 300), CB_BENCH_CLICKS (default
# 20), CB_BENCH_COMMANDS (each command per program run, default 10), CB_BENCH_RUNS (program
# runs for the commands, default 3); CB_FORCE_XVFB and CB_DISPLAY_BASE as for wine-env.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench=${CB_BENCH_BUILD_DIR:-$root/build/bench-largelist}
starts=${CB_BENCH_STARTS:-7}
answers=${CB_BENCH_ANSWERS:-300}
clicks=${CB_BENCH_CLICKS:-20}
commands=${CB_BENCH_COMMANDS:-10}
runs=${CB_BENCH_RUNS:-3}
variants=(bulk plain)

for variant in "${variants[@]}"; do
  bulk=ON
  [ "$variant" = plain ] && bulk=OFF
  cmake -S "$root" -B "$bench/$variant" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCB_BULK_REDRAW=$bulk \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64-mingw.cmake" >/dev/null
  ninja -C "$bench/$variant" chordbell probe_startup probe_respond probe_commands >/dev/null
done

source "$root/scripts/wine-env.sh"
# A prefix of its own: its wineserver then serves nothing but the measured processes.
cb_wine_env "$bench/wineprefix64"
cb_display
cb_wine_boot
trap cb_wine_stop EXIT
work=$bench/work
rm -rf "$work"
mkdir -p "$work"

winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

probe() {  # variant name arguments...
  local variant=$1 name=$2 dir=$work/$1
  shift 2
  mkdir -p "$dir"
  "$CB_WINE64" "$bench/$variant/$name.exe" "$(winpath "$dir")" "$@" | tr -d '\r' >> "$work/$variant.txt"
}

# Warm-up: the first processes of a prefix pay for loading Wine's own libraries.
for variant in "${variants[@]}"; do
  mkdir -p "$work/warm"
  "$CB_WINE64" "$bench/$variant/probe_startup.exe" "$(winpath "$work/warm")" 1 0 >/dev/null
done
for variant in "${variants[@]}"; do probe "$variant" probe_startup "$starts" 0 1000 10000; done
for rows in 0 100 1000; do
  for variant in "${variants[@]}"; do probe "$variant" probe_respond "$rows" "$answers" "$clicks"; done
done
for variant in "${variants[@]}"; do probe "$variant" probe_commands 1000 "$commands" "$runs"; done

echo "Wine $("$CB_WINE64" --version 2>/dev/null), $(nproc) cores, $(date -u +%Y-%m-%d)." \
  "Medians of $starts start-ups; $answers answers and $clicks clicks a row count;" \
  "$commands of each command in each of $runs program runs. Milliseconds."
awk -F'\t' -v starts="$starts" '
  FNR == 1 { variant = (FILENAME ~ /bulk\.txt$/) ? "bulk" : "plain" }
  $1 == "startup" { visible[variant, $2] = $3; painted[variant, $2] = $5 }
  $1 == "answer"  { answer[variant, $2] = $4 " / " $5 " / " $6; p95[variant, $2] = $5; amax[variant, $2] = $6 }
  $1 == "toggle"  { toggle[variant, $2] = $4 " / " $5 " / " $6; tmax[variant, $2] = $6 }
  $1 == "command" { cmd[variant, $2] = $4 " / " $6 " / " $7 }
  function row(label, bulk, plain, target, met) {
    printf "%-50s %-22s %-22s %-18s %s\n", label, bulk, plain, target, met
  }
  function verdict(ok) { return ok ? "met" : "NOT met" }
  END {
    row("measure", "bulk treatment", "without it", "target", "bulk")
    for (i = 1; i <= 3; ++i) {
      n = (i == 1) ? 0 : (i == 2) ? 1000 : 10000
      row(sprintf("start-up, %d entries: window visible", n), visible["bulk", n], visible["plain", n])
      row(sprintf("start-up, %d entries: list painted", n), painted["bulk", n], painted["plain", n])
    }
    for (i = 2; i <= 3; ++i) {
      n = (i == 2) ? 1000 : 10000
      limit = (n == 1000) ? 100 : 500
      cost_b = visible["bulk", n] - visible["bulk", 0]
      cost_p = visible["plain", n] - visible["plain", 0]
      row(sprintf("  cost of the list at %d (N - 0)", n), cost_b, cost_p, "< " limit, verdict(cost_b < limit))
    }
    worst = 0
    for (i = 1; i <= 3; ++i) {
      n = (i == 1) ? 0 : (i == 2) ? 100 : 1000
      if (amax["bulk", n] + 0 > worst) worst = amax["bulk", n] + 0
      if (tmax["bulk", n] + 0 > worst) worst = tmax["bulk", n] + 0
      target = ""; met = ""
      if (n == 1000) { target = "p95 < 50"; met = verdict(p95["bulk", n] < 50) }
      row(sprintf("answer, watcher on %d rows: p50 / p95 / max", n), answer["bulk", n], answer["plain", n], target, met)
    }
    for (i = 1; i <= 3; ++i) {
      n = (i == 1) ? 0 : (i == 2) ? 100 : 1000
      row(sprintf("toggle click shown, %d rows: p50 / p95 / max", n), toggle["bulk", n], toggle["plain", n])
    }
    row("  longest answer or click of all", worst, "", "< 1000", verdict(worst < 1000))
    split("add edit delete clear close close-empty", names, " ")
    for (i = 1; i <= 6; ++i) {
      name = names[i]
      label = (name == "close") ? "close, saving 1000 rows" : (name == "close-empty") ? "close, no entries (Wine alone)" : name " on 1000 rows"
      label = label ((name ~ /^close/) ? ": run / ended / max" : ": run / painted / max")
      row(label, cmd["bulk", name], cmd["plain", name])
    }
  }' "$work/bulk.txt" "$work/plain.txt"
