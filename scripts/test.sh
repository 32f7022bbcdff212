#!/usr/bin/env bash
# Runs every test of ChordBell: the platform-free code natively (sanitizers, fuzzing), then the
# x86_64 build's one test program under Wine on a virtual display (the real windows in its own
# process, the real program driven from outside, the platform-free tests again), then the same
# program's story and platform-free tests in the i686 build, then the release archives. Ends with
# "N passed, N failed" and exits non-zero on any failure.
# CB_SKIP_I686=1 skips the 32-bit build and its run (local runs only); CB_FUZZ_SECONDS sets the
# time each fuzz target runs (default 15).
set -uo pipefail
source "$(dirname "$0")/lib.sh"
build=$CB_BUILD
logs=$build/test-logs

passed=0 failed=0 failures=()

say() { printf '== %s\n' "$*"; }

record() {  # NAME PASSED FAILED
  passed=$((passed + $2))
  failed=$((failed + $3))
  [ "$3" -eq 0 ] || failures+=("$1")
  printf '   %-28s %4d passed, %d failed\n' "$1" "$2" "$3"
}

# The count comes from the report the program writes at its end, so a runner that runs nothing
# (a 32-bit program under wine64 exits 0 at once), has no tests, or dies midway fails.
run_gtest() {  # NAME LOG COMMAND...
  local name=$1 log=$2
  shift 2
  local report=${log%.log}.xml arg
  arg=$report
  case "${1##*/}" in wine*) arg=$(cb_winpath "$report") ;; esac
  rm -f "$report"
  timeout "${CB_TEST_TIMEOUT:-900}" "$@" --gtest_output="xml:$arg" > "$log" 2>&1
  local rc=$? total ran fails
  read -r total fails < <(sed -n 's/.*<testsuites tests="\([0-9]*\)" failures="\([0-9]*\)".*/\1 \2/p' \
    "$report" 2>/dev/null)
  ran=$(grep -c '<testcase .*status="run" result="completed"' "$report" 2>/dev/null)
  total=${total:-0} fails=${fails:-0} ran=${ran:-0}
  if [ "$total" -eq 0 ] || [ "$ran" -ne "$total" ]; then
    echo "   $name: ran $ran of $total tests (exit $rc); see $log"
    fails=$((fails > 0 ? fails : 1))
  elif [ "$rc" -ne 0 ] && [ "$fails" -eq 0 ]; then
    echo "   $name: exit $rc with no failed test; see $log"
    fails=1
  fi
  [ "$fails" -eq 0 ] ||
    tr -d '\r' < "$log" | grep -E '^\[  FAILED  \]|Failure|error:|Sanitizer:' | head -20 | sed 's/^/     /'
  record "$name" $((ran > fails ? ran - fails : 0)) "$fails"
  [ "$fails" -eq 0 ]
}

# The Wine test program of one build, in a prefix of its own.
wine_tests() {  # ARCH PREFIX ""|win32 [GTEST ARGS...]
  local arch=$1
  if cb_wine_start "$2" "$3"; then
    shift 3
    cb_capture "$build/capture/$arch"
    CB_SOURCE_DIR=$(cb_winpath "$CB_ROOT") && export CB_SOURCE_DIR  # texts that tests read from the sources
    run_gtest "wine_tests $arch" "$logs/wine_tests-$arch.log" "$CB_WINE" "$build/$arch/wine_tests.exe" "$@"
  else
    record "wine_tests $arch" 0 1
  fi
  cb_wine_stop
}

say "set-up"
bash "$CB_ROOT/scripts/setup.sh" || exit 1
[ -n "${CB_SKIP_I686:-}" ] || bash "$CB_ROOT/scripts/setup-i386.sh" || exit 1
mkdir -p "$logs"

say "build"
archs=(native x86_64)
[ -n "${CB_SKIP_I686:-}" ] || archs+=(i686)
if ! bash "$CB_ROOT/scripts/build.sh" "${archs[@]}" > "$logs/build.log" 2>&1; then
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
  if "$fuzzer" -max_total_time="${CB_FUZZ_SECONDS:-15}" -max_len=4096 -print_final_stats=1 \
       -artifact_prefix="$logs/$name-" "$corpus" > "$logs/$name.log" 2>&1; then
    record "$name ($(grep -o 'stat::number_of_executed_units: [0-9]*' "$logs/$name.log" | grep -o '[0-9]*$' || echo '?') runs)" 1 0
  else
    grep -E 'ERROR:|runtime error:|SUMMARY:|Test unit written' "$logs/$name.log" | head -20 | sed 's/^/     /'
    record "$name" 0 1
  fi
done

say "x86_64 build under Wine"
wine_tests x86_64 "$build/wineprefix64" ""

if [ -z "${CB_SKIP_I686:-}" ]; then
  # Where a 32-bit build could differ (x87 against SSE2 arithmetic, a 32-bit size_t): the story
  # and the platform-free tests. Under emulation every 32-bit process costs about a minute and a
  # new prefix several, so it is one test process, in a prefix kept in the build tree.
  say "i686 build under Wine's 32-bit loader"
  CB_TEST_TIMEOUT=3600 wine_tests i686 "$build/i686/wineprefix32" win32 \
    --gtest_filter='Story.*:NumberToText.*:TextToNumber.*:TruncateToInt32.*:IniRead.*:IniWrite.*:Placement.*'
fi
read -r p f < <(bash "$CB_ROOT/tests/release/package_test.sh" 2>&1 | tee "$logs/release.log" |
  sed -n '$s/^\([0-9]*\) passed, \([0-9]*\) failed$/\1 \2/p'); record release "${p:-0}" "${f:-1}"

say "summary"
[ ${#failures[@]} -eq 0 ] || echo "failed: ${failures[*]} (logs in $logs)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
