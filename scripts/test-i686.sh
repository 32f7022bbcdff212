#!/usr/bin/env bash
# The 32-bit part of the test command: the i686 build of the real program, run by Wine's 32-bit
# loader (through qemu where this kernel cannot run 32-bit code; scripts/setup-i386.sh arranges
# that). It runs the smoke scenario as one long-lived test process that drives chordbell.exe,
# and the platform-free tests (numeric text, placement arithmetic, INI text). Ends with
# "N passed, N failed"; exits non-zero on any failure.
#
#   CB_BUILD_DIR      build tree (default: build/); the programs are in its i686/ folder
#   CB_SKIP_I686=1    skip everything (quick local runs; CI never sets it)
#   CB_I686_DISPLAY   an X display to use instead of starting Xvfb on a free one
#   CB_WINEDEBUG      Wine debug channels for the 32-bit programs (default -all)
#
# The 32-bit Wine prefix is kept in the build tree and reused by later runs. Under emulation
# each 32-bit process costs about a minute of CPU before it does anything, and creating the
# prefix several minutes, so the server is kept up for the whole run and stopped at the end.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
programs=$CB_BUILD/i686
work=$programs/test-run
export CB_TEST_TIMEOUT=${CB_TEST_TIMEOUT:-3600}

# The platform-free tests, where a 32-bit build could differ (x87 versus SSE2 arithmetic, a
# 32-bit size_t). Left out: the cross-check of the INI text against Wine's own profile
# functions, which costs half a minute of file I/O natively and much more under emulation.
portable_filter='-PlatformFiles.*'

started=$(date +%s)
step_started=$started

say() { printf 'i686: %s\n' "$*"; }
step() { step_started=$(date +%s); say "step: $*"; }
step_done() { say "  done in $(( $(date +%s) - step_started )) s"; }

finish() {
  cb_wine_stop
  say "32-bit part took $(( $(date +%s) - started )) s"
  echo "$CB_PASSED passed, $CB_FAILED failed"
  [ "$CB_FAILED" -eq 0 ]
  exit
}

fail() {  # step detail
  say "FAILED at step '$1': $2"
  CB_FAILED=$((CB_FAILED + 1))
  finish
}

export WINEDEBUG=${CB_WINEDEBUG:--all}
cb_wine_env "$programs/wineprefix32" win32

if [ -n "${CB_SKIP_I686:-}" ]; then
  say "skipped (CB_SKIP_I686 is set)"
  echo "0 passed, 0 failed"
  exit 0
fi

step "find the i686 programs"
for exe in chordbell.exe scenario_tests.exe portable_tests.exe; do
  [ -f "$programs/$exe" ] || fail "find the i686 programs" "$programs/$exe is missing (build i686 first)"
done

step "check the 32-bit loader"
[ -x "$CB_WINE" ] || fail "check the 32-bit loader" "$CB_WINE is missing: run scripts/setup-i386.sh"
"$CB_WINE" --version >/dev/null 2>&1 ||
  fail "check the 32-bit loader" "$CB_WINE cannot run here: run scripts/setup-i386.sh as root"

step "start a display"
if [ -n "${CB_I686_DISPLAY:-}" ]; then export DISPLAY=$CB_I686_DISPLAY; else export CB_FORCE_XVFB=1; fi
cb_display || fail "start a display" "no X display at $DISPLAY"

step "prepare the 32-bit prefix"
cb_wine_boot || fail "prepare the 32-bit prefix" "see above"
step_done

rm -rf "$work"
cb_capture "$work"
cd "$programs" || fail "run the tests" "no folder $programs"
step "run scenario_tests"
cb_run_gtest scenario_tests "$work/scenario_tests.log" "$CB_WINE" scenario_tests.exe && step_done
step "run portable_tests"
cb_run_gtest portable_tests "$work/portable_tests.log" "$CB_WINE" portable_tests.exe \
  --gtest_filter="$portable_filter" && step_done
finish
