#!/usr/bin/env bash
# The saved list's load and save by the program against the same work through the platform's
# private-profile functions, under Wine (bench/wine/savedlist.cpp): a table of medians in ms.
# The platform's 10,000-entry save alone takes about 11 minutes on a 2-core machine.
# Usage: scripts/bench-savedlist.sh [ENTRIES...]   (default 10 1000 10000)
set -euo pipefail
source "$(dirname "$0")/bench-wine.sh"
rm -rf "$bench/savedlist"
mkdir -p "$bench/savedlist"
cd "$bench/savedlist"  # the program's data.ini goes here
"$CB_WINE" "$bench/x86_64/cbbench.exe" savedlist "$@" | tr -d '\r'
