#!/usr/bin/env bash
# Builds ChordBell for Windows: i686 (the product) and x86_64 (the same sources, which the
# tests run under Wine). Usage: scripts/build.sh [i686|x86_64|native ...]; default i686 x86_64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CB_BUILD_DIR:-$root/build}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(i686 x86_64)

for arch in "${targets[@]}"; do
  case "$arch" in
    i686|x86_64)
      cmake -S "$root" -B "$build/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" >/dev/null ;;
    native)
      cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCB_FUZZ=ON >/dev/null ;;
    *) echo "build: unknown target $arch" >&2; exit 2 ;;
  esac
  echo "build: $arch"
  cmake --build "$build/$arch"
done
