#!/usr/bin/env bash
# Installs what building and testing ChordBell needs on a Debian 12 machine. Idempotent: it
# installs only what is missing, and runs apt-get update at most once.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cb_install cmake ninja-build g++ clang libclang-rt-14-dev \
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 \
  googletest libgtest-dev libbenchmark-dev \
  wine wine64 xvfb x11-utils xdotool imagemagick \
  locales fonts-ipafont-gothic fonts-vlgothic fonts-wine \
  python3 zip procps

# Without the generated locale Wine silently falls back to code page 1252.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
