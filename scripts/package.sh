#!/usr/bin/env bash
# Builds the release archives: build/dist/chordbell-VERSION-win32.zip (the 32-bit program, the
# product) and chordbell-VERSION-win64.zip, each holding one folder with the Japanese guide
# readme.txt, the English guide readme_en.txt, LICENSE.txt and chordbell.exe, and SHA256SUMS
# for both.
# Two runs on the same commit give the same bytes: every file gets the commit's time, the zip
# carries no owner, no Unix time fields and no directory entries, its entries are in a fixed
# order, and its DOS times are written in UTC. The program itself carries no link time (see
# cmake/windows.cmake).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$CB_ROOT build=$CB_BUILD dist=$CB_BUILD/dist

: "${SOURCE_DATE_EPOCH:=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}"
if [ -n "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ]; then
  echo "package: note: the work tree has uncommitted changes; the archives hold them"
fi

bash "$root/scripts/setup.sh"
mkdir -p "$dist"
# The build folders of scripts/build.sh, reused; only the program is built.
for arch in i686 x86_64; do
  { cb_configure "$arch" && cmake --build "$build/$arch" --target chordbell; } \
      > "$build/package-build-$arch.log" 2>&1 ||
    { tail -30 "$build/package-build-$arch.log"; echo "package: the $arch build failed" >&2; exit 1; }
done
# The version of project() in CMakeLists.txt, as the build that made the programs saw it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/i686/CMakeCache.txt")
[ -n "$version" ] || { echo "package: the build gave no project version" >&2; exit 1; }
date=$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y/%m/%d)  # the guides' date: the commit's

stage=$(mktemp -d "$dist/stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT

# Notepad from Windows 7 on reads UTF-8 with a BOM as UTF-8 whatever the system's code page,
# so the guides (and the licence, which names the author in Japanese) stay readable on the very
# machines whose captions show garbled; it wants CR LF. The names stay ASCII: Windows 7's zip
# folders ignore the zip's UTF-8 flag.
text_file() {  # source target
  { printf '\357\273\277'; sed "s|@VERSION@|$version|g; s|@DATE@|$date|g; s/\$/\r/" "$1"; } > "$2"
}

package() {  # arch suffix
  local arch=$1 suffix=$2
  local name=chordbell-$version-$suffix
  local folder=$stage/$name
  mkdir -p "$folder"
  text_file "$root/packaging/readme.txt" "$folder/readme.txt"
  text_file "$root/packaging/readme_en.txt" "$folder/readme_en.txt"
  text_file "$root/LICENSE" "$folder/LICENSE.txt"
  cp "$build/$arch/chordbell.exe" "$folder/chordbell.exe"
  chmod 0644 "$folder"/*.txt && chmod 0755 "$folder/chordbell.exe"
  find "$folder" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  rm -f "$dist/$name.zip"
  # The Japanese guide first, for a lister that keeps the archive's order.
  (cd "$stage" && printf "$name/%s\n" readme.txt readme_en.txt LICENSE.txt chordbell.exe |
     TZ=UTC zip -X -D -q -9 "$dist/$name.zip" -@)
  echo "package: $dist/$name.zip"
}

package i686 win32
package x86_64 win64
(cd "$dist" && sha256sum "chordbell-$version-win32.zip" "chordbell-$version-win64.zip" > SHA256SUMS &&
   cat SHA256SUMS)
