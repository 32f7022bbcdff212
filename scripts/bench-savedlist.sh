#!/usr/bin/env bash
# The saved list's load and save by the program against the same work through the platform's
# private-profile functions, under Wine (bench/wine/savedlist.cpp): a table of medians in ms.
# Usage: scripts/bench-savedlist.sh [ENTRIES...]   (default 10 1000 10000; the platform's
# 10,000-entry save alone takes about 10 minutes on a 2-core machine)
set -euo pipefail
source "$(dirname "$0")/bench-wine.sh"
cd "$work"  # the program's data.ini goes here
cbbench savedlist "$@"
