#!/usr/bin/env bash
# Runs every test of ChordBell: the platform-free code natively (sanitizers, fuzzing), the
# x86_64 build under Wine on a virtual display, the i686 product under emulation, and the
# acceptance stories. Ends with "N passed, N failed" and exits non-zero on any failure.
# CB_SKIP_I686=1 skips the slow 32-bit part (local runs only); CB_FUZZ_SECONDS sets the time
# each fuzz target runs (default 15).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BUILD_DIR:-$root/build}
export CB_BUILD_DIR=$build
logs=$build/test-logs
passed=0
failed=0
failures=()

say() { printf '== %s\n' "$*"; }
record() {  # name passed failed
  passed=$((passed + $2)); failed=$((failed + $3))
  [ "$3" -eq 0 ] || failures+=("$1")
  printf '   %-28s %4d passed, %d failed\n' "$1" "$2" "$3"
}

# Runs a GoogleTest program and checks that it ran every test it has: a runner that silently
# runs nothing must not pass.
run_gtest() {  # name log command...
  local name=$1 log=$2; shift 2
  local expected ran fails
  expected=$("$@" --gtest_list_tests 2>/dev/null | tr -d '\r' | grep -c '^  ')
  timeout "${CB_TEST_TIMEOUT:-900}" "$@" > "$log" 2>&1
  local rc=$?
  ran=$(tr -d '\r' < "$log" | sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran.*/\1/p' | tail -1)
  fails=$(tr -d '\r' < "$log" | sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\1/p' | tail -1)
  ran=${ran:-0}; fails=${fails:-0}
  if [ "$rc" -ne 0 ] && [ "$fails" -eq 0 ]; then fails=1; fi
  if [ "$ran" -ne "$expected" ] || [ "$expected" -eq 0 ]; then
    echo "   $name: ran $ran of $expected tests (exit $rc); see $log"
    fails=$((fails > 0 ? fails : 1))
  fi
  [ "$fails" -eq 0 ] || { tr -d '\r' < "$log" | grep -E '^\[  FAILED  \]|Failure|error:' | head -20 | sed 's/^/     /'; }
  record "$name" $((ran - fails > 0 ? ran - fails : 0)) "$fails"
}

say "set-up"
bash "$root/scripts/setup.sh" || exit 1
[ -n "${CB_SKIP_I686:-}" ] || bash "$root/scripts/setup-i386.sh" || exit 1
mkdir -p "$logs"

say "build"
if ! bash "$root/scripts/build.sh" native x86_64 i686 > "$logs/build.log" 2>&1; then
  grep -E 'error|Error' "$logs/build.log" | head -30
  echo "build failed; see $logs/build.log"
  echo "0 passed, 1 failed"
  exit 1
fi

say "native tests (AddressSanitizer, UBSan)"
run_gtest native "$logs/native.log" "$build/native/native_tests"

say "fuzzing (${CB_FUZZ_SECONDS:-15} s a target)"
for fuzzer in "$build"/native/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=$build/fuzz-corpus/$name
  mkdir -p "$corpus"
  if "$fuzzer" -max_total_time="${CB_FUZZ_SECONDS:-15}" -max_len=4096 -print_final_stats=1 "$corpus" \
       > "$logs/$name.log" 2>&1; then
    record "$name ($(grep -o 'stat::number_of_executed_units: [0-9]*' "$logs/$name.log" | grep -o '[0-9]*$' || echo '?') runs)" 1 0
  else
    tail -20 "$logs/$name.log" | sed 's/^/     /'
    record "$name" 0 1
  fi
done

say "x86_64 build under Wine"
source "$root/scripts/wine-env.sh"
cb_wine_env "$build/wineprefix64"
cb_display || exit 1
cb_wine_boot || exit 1
for exe in "$build"/x86_64/*_tests.exe; do
  name=$(basename "$exe" .exe)
  cb_capture "$build/capture/$name"
  run_gtest "$name" "$logs/$name.log" "$CB_WINE64" "$exe"
done
for script in "$root"/tests/acceptance/*.sh; do
  [ -f "$script" ] || continue
  name=acceptance-$(basename "$script" .sh)
  if bash "$script" > "$logs/$name.log" 2>&1; then record "$name" 1 0
  else tail -15 "$logs/$name.log" | sed 's/^/     /'; record "$name" 0 1; fi
done
cb_wine_stop

if [ -z "${CB_SKIP_I686:-}" ]; then
  say "i686 product under emulation"
  out=$(bash "$root/scripts/test-i686.sh" 2>&1 | tee "$logs/i686.log" | tail -1)
  p=$(printf '%s' "$out" | sed -n 's/.*\b\([0-9]\+\) passed, \([0-9]\+\) failed.*/\1/p')
  f=$(printf '%s' "$out" | sed -n 's/.*\b\([0-9]\+\) passed, \([0-9]\+\) failed.*/\2/p')
  if [ -z "$p" ]; then tail -20 "$logs/i686.log" | sed 's/^/     /'; record i686 0 1
  else
    [ "$f" -eq 0 ] || grep -E '^ {5}|FAILED' "$logs/i686.log" | head -20 | sed 's/^/     /'
    record i686 "$p" "$f"
  fi
fi

say "summary"
[ ${#failures[@]} -eq 0 ] || echo "failed: ${failures[*]} (logs in $logs)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
