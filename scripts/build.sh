#!/usr/bin/env bash
# Builds ChordBell for Windows: i686 (the product) and x86_64 (the same sources, which the
# tests run under Wine). Usage: scripts/build.sh [i686|x86_64|native ...]; default i686 x86_64.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
[ $# -gt 0 ] || set -- i686 x86_64
for arch; do
  cb_configure "$arch"
  echo "build: $arch"
  cmake --build "$CB_BUILD/$arch"
done
