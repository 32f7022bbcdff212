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

root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BUILD_DIR:-$root/build}
programs=$build/i686
prefix=$programs/wineprefix32
work=$programs/test-run
wine=/usr/lib/wine/wine
wineserver=/usr/lib/wine/wineserver

# The platform-free tests, where a 32-bit build could differ (x87 versus SSE2 arithmetic, a
# 32-bit size_t). Left out: the cross-check of the INI text against Wine's own profile
# functions, which costs half a minute of file I/O natively and much more under emulation.
portable_filter='-PlatformFiles.*'

passed=0
failed=0
started=$(date +%s)
step_started=$started
xvfb_pid=""

say() { printf 'i686: %s\n' "$*"; }

step() {
  step_started=$(date +%s)
  say "step: $*"
}

step_done() { say "  done in $(( $(date +%s) - step_started )) s"; }

finish() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$prefix" ]; then "$wineserver" -k 2>/dev/null || true; fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  say "32-bit part took $(( $(date +%s) - started )) s"
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit
}

fail() {  # step detail
  say "FAILED at step '$1': $2"
  failed=$((failed + 1))
  finish
}

if [ -n "${CB_SKIP_I686:-}" ]; then
  say "skipped (CB_SKIP_I686 is set)"
  echo "0 passed, 0 failed"
  exit 0
fi

step "find the i686 programs"
for exe in chordbell.exe scenario_tests.exe portable_tests.exe; do
  [ -f "$programs/$exe" ] || fail "find the i686 programs" "$programs/$exe is missing (build i686 first)"
done

# wine64 given a 32-bit program exits 0 at once without running it; only this loader runs it.
step "check the 32-bit loader"
[ -x "$wine" ] || fail "check the 32-bit loader" "$wine is missing: run scripts/setup-i386.sh"
"$wine" --version >/dev/null 2>&1 ||
  fail "check the 32-bit loader" "$wine cannot run here: run scripts/setup-i386.sh as root"

step "start a display"
if [ -n "${CB_I686_DISPLAY:-}" ]; then
  export DISPLAY=$CB_I686_DISPLAY
else
  n=95
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:$n
fi
for _ in $(seq 300); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo >/dev/null 2>&1 || fail "start a display" "no X display at $DISPLAY"

export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=${CB_WINEDEBUG:--all} LANG=ja_JP.UTF-8
# No Mono or Gecko prompts in a prefix without network, and no menu builder: under emulation
# every helper process costs a minute.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# A prefix is complete once its first boot says "configuration ... has been updated". The
# process that asked for the boot may give up waiting for it and fail (kernel32.dll not found
# yet) while the boot goes on and still writes to the same log, so the log is what is waited for.
# .cb-ready is written only after a run has stopped the server, which saves the registry.
step "prepare the 32-bit prefix"
if [ ! -f "$prefix/.cb-ready" ]; then
  rm -rf "$prefix"
  mkdir -p "$prefix"
  boot_log=$programs/wineboot.log
  "$wine" wineboot -i > "$boot_log" 2>&1 &
  boot_pid=$!
  boot_ended=""
  for _ in $(seq 3600); do
    grep -q 'has been updated' "$boot_log" && break
    if [ -z "$boot_ended" ] && ! kill -0 "$boot_pid" 2>/dev/null; then boot_ended=$SECONDS; fi
    if [ -n "$boot_ended" ] && [ $((SECONDS - boot_ended)) -gt 900 ]; then break; fi
    sleep 1
  done
  grep -q 'has been updated' "$boot_log" ||
    fail "prepare the 32-bit prefix" "the first boot did not finish; see $boot_log"
  wait "$boot_pid" 2>/dev/null
  say "  created"
else
  grep -q '^#arch=win32' "$prefix/system.reg" ||
    fail "prepare the 32-bit prefix" "$prefix is not a 32-bit prefix; remove it"
  say "  reused"
fi
"$wineserver" -p 2>/dev/null
step_done

# Runs a GoogleTest program of the i686 build and checks, from the report that program wrote,
# that it ran every test it has and that every one passed.
run_gtest() {  # name args...
  local name=$1; shift
  local log=$work/$name.log report=$work/$name.xml
  rm -f "$report"
  step "run $name"
  (cd "$programs" && timeout 3600 "$wine" "$name.exe" --gtest_output="xml:$(winepath_of "$report")" "$@") \
    > "$log" 2>&1
  local rc=$?
  tr -d '\r' < "$log" | grep -E '^\[  FAILED  \]|Failure|^i686' | head -20 | sed 's/^/     /'
  local total ran fails
  total=$(sed -n 's/.*<testsuites tests="\([0-9]*\)".*/\1/p' "$report" 2>/dev/null | head -1)
  ran=$(grep -c '<testcase .*status="run" result="completed"' "$report" 2>/dev/null)
  fails=$(sed -n 's/.*<testsuites tests="[0-9]*" failures="\([0-9]*\)".*/\1/p' "$report" 2>/dev/null | head -1)
  total=${total:-0}; ran=${ran:-0}; fails=${fails:-0}
  if [ "$total" -eq 0 ] || [ "$ran" -ne "$total" ]; then
    say "  $name ran $ran of $total tests (exit $rc); see $log"
    failed=$((failed + (fails > 0 ? fails : 1)))
    passed=$((passed + (ran > fails ? ran - fails : 0)))
    return 1
  fi
  if [ "$fails" -ne 0 ] || [ "$rc" -ne 0 ]; then
    say "  $name: $fails of $total tests failed (exit $rc); see $log"
    failed=$((failed + (fails > 0 ? fails : 1)))
    passed=$((passed + total - fails))
    return 1
  fi
  passed=$((passed + total))
  say "  $total passed"
  step_done
}

# Z:\ is the root of the Linux file system in every prefix.
winepath_of() { printf 'Z:%s' "$1" | tr / '\\'; }

rm -rf "$work"
mkdir -p "$work"
: > "$work/played.raw"
cat > "$work/capture.conf" <<CONF
pcm.!default { type file; slave.pcm "null"; file "|cat >>$work/played.raw"; format "raw" }
CONF
export ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:$work/capture.conf
CB_CAPTURE_FILE=$(winepath_of "$work/played.raw")
export CB_CAPTURE_FILE

run_gtest scenario_tests
run_gtest portable_tests --gtest_filter="$portable_filter"

# Only a prefix whose registry the server has saved is worth reusing.
"$wineserver" -k 2>/dev/null
"$wineserver" -w 2>/dev/null
[ -f "$prefix/.update-timestamp" ] && touch "$prefix/.cb-ready"
finish
