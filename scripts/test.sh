#!/usr/bin/env bash
# Runs every test of ChordBell: the platform-free code natively (sanitizers, fuzzing), the
# x86_64 build under Wine on a virtual display, the i686 product under emulation, and the
# acceptance stories. Ends with "N passed, N failed" and exits non-zero on any failure.
# CB_SKIP_I686=1 skips the slow 32-bit part (local runs only); CB_FUZZ_SECONDS sets the time
# each fuzz target runs (default 15).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
build=$CB_BUILD
logs=$build/test-logs

say() { printf '== %s\n' "$*"; }

say "set-up"
bash "$CB_ROOT/scripts/setup.sh" || exit 1
[ -n "${CB_SKIP_I686:-}" ] || bash "$CB_ROOT/scripts/setup-i386.sh" || exit 1
mkdir -p "$logs"

say "build"
if ! bash "$CB_ROOT/scripts/build.sh" native x86_64 i686 > "$logs/build.log" 2>&1; then
  grep -E 'error|Error' "$logs/build.log" | head -30
  echo "build failed; see $logs/build.log"
  echo "0 passed, 1 failed"
  exit 1
fi

say "native tests (AddressSanitizer, UBSan)"
cb_run_gtest native "$logs/native.log" "$build/native/native_tests"

say "fuzzing (${CB_FUZZ_SECONDS:-15} s a target)"
for fuzzer in "$build"/native/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=$build/fuzz-corpus/$name
  mkdir -p "$corpus"
  if "$fuzzer" -max_total_time="${CB_FUZZ_SECONDS:-15}" -max_len=4096 -print_final_stats=1 "$corpus" \
       > "$logs/$name.log" 2>&1; then
    cb_record "$name ($(grep -o 'stat::number_of_executed_units: [0-9]*' "$logs/$name.log" | grep -o '[0-9]*$' || echo '?') runs)" 1 0
  else
    tail -20 "$logs/$name.log" | sed 's/^/     /'
    cb_record "$name" 0 1
  fi
done

say "x86_64 build under Wine"
cb_wine_env "$build/wineprefix64"
cb_display || exit 1
cb_wine_boot || exit 1
for exe in "$build"/x86_64/*_tests.exe; do
  name=$(basename "$exe" .exe)
  cb_capture "$build/capture/$name"
  cb_run_gtest "$name" "$logs/$name.log" "$CB_WINE" "$exe"
done
for script in "$CB_ROOT"/tests/acceptance/*.sh; do
  [ -f "$script" ] || continue
  name=acceptance-$(basename "$script" .sh)
  if bash "$script" > "$logs/$name.log" 2>&1; then cb_record "$name" 1 0
  else tail -15 "$logs/$name.log" | sed 's/^/     /'; cb_record "$name" 0 1; fi
done
cb_wine_stop

if [ -z "${CB_SKIP_I686:-}" ]; then
  say "i686 product under emulation"
  out=$(bash "$CB_ROOT/scripts/test-i686.sh" 2>&1 | tee "$logs/i686.log" | tail -1)
  p=$(printf '%s' "$out" | sed -n 's/.*\b\([0-9]\+\) passed, \([0-9]\+\) failed.*/\1/p')
  f=$(printf '%s' "$out" | sed -n 's/.*\b\([0-9]\+\) passed, \([0-9]\+\) failed.*/\2/p')
  if [ -z "$p" ]; then tail -20 "$logs/i686.log" | sed 's/^/     /'; cb_record i686 0 1
  else
    [ "$f" -eq 0 ] || grep -E '^ {5}|FAILED' "$logs/i686.log" | head -20 | sed 's/^/     /'
    cb_record i686 "$p" "$f"
  fi
fi
read -r p f < <(bash "$CB_ROOT/tests/release/package_test.sh" 2>&1 | tee "$logs/release.log" |
  sed -n '$s/^\([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p'); cb_record release "${p:-0}" "${f:-1}"

say "summary"
[ ${#CB_FAILURES[@]} -eq 0 ] || echo "failed: ${CB_FAILURES[*]} (logs in $logs)"
echo "$CB_PASSED passed, $CB_FAILED failed"
[ "$CB_FAILED" -eq 0 ]
