# Sourced by the scripts: the project's paths, its one CMake configure line, Wine (prefix,
# display, the ALSA device that captures what is played) and waiting with a deadline. Builds go
# to $CB_BUILD_DIR (default build/), which a script may narrow as $CB_BUILD.

CB_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export CB_BUILD_DIR=${CB_BUILD_DIR:-$CB_ROOT/build}
CB_BUILD=$CB_BUILD_DIR

cb_install() {
  local p missing=()
  for p; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "setup: installing ${missing[*]}"
  [ "$(id -u)" = 0 ] || { echo "setup: run as root to install packages" >&2; return 1; }
  case " ${missing[*]}" in
    *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386 ;;
  esac
  DEBIAN_FRONTEND=noninteractive apt-get update -q &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# ARCH: i686 or x86_64 (MinGW, Release), native (clang, Debug, sanitizers, fuzzers).
cb_configure() {  # ARCH [CMAKE ARGS...]
  local arch=$1
  shift
  local args
  case "$arch" in
    i686|x86_64) args=(-DCMAKE_BUILD_TYPE=Release
                       -DCMAKE_TOOLCHAIN_FILE="$CB_ROOT/cmake/toolchain-$arch-mingw.cmake") ;;
    native) args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                  -DCB_FUZZ=ON) ;;
    *) echo "cb_configure: unknown target $arch" >&2; return 2 ;;
  esac
  cmake -S "$CB_ROOT" -B "$CB_BUILD/$arch" -G Ninja "${args[@]}" "$@" >/dev/null
}

# Z:\ is the root of the Linux file system in every prefix.
cb_winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

# Sets CB_WINE and CB_WINESERVER to the loader and server of a 64-bit or a 32-bit prefix.
cb_wine_env() {  # PREFIX [win32]
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  if [ "${2:-}" = win32 ]; then
    # wine64 given a 32-bit program exits 0 at once without running it; only this loader runs it.
    export WINEARCH=win32
    CB_WINE=/usr/lib/wine/wine CB_WINESERVER=/usr/lib/wine/wineserver
  else
    export WINEARCH=win64
    CB_WINE=/usr/lib/wine/wine64 CB_WINESERVER=/usr/lib/wine/wineserver64
  fi
  # No Mono or Gecko download prompts in a prefix that has no network, and no menu builder
  # (under emulation every helper process costs a minute).
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;${WINEDLLOVERRIDES:-}"
  # Without the Japanese locale Wine falls back to code page 1252.
  export LANG=ja_JP.UTF-8
}

# Wine ready to run programs: the prefix's environment, a display, the prefix created and its
# server kept running. Its EXIT trap runs cb_wine_stop however the script ends and replaces any
# trap set before; a script that needs one of its own sets it afterwards and calls cb_wine_stop in it.
cb_wine_start() {  # PREFIX [win32]
  trap cb_wine_stop EXIT
  cb_wine_env "$@" && cb_display && cb_wine_boot
}

# $DISPLAY, or Xvfb on a free display (stopped by cb_wine_stop).
cb_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${CB_FORCE_XVFB:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n=${CB_DISPLAY_BASE:-90}
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  CB_XVFB_PID=$!
  export DISPLAY=:$n
  cb_wait 30 "Xvfb on $DISPLAY" xdpyinfo
}

cb_wine_boot() {
  if [ "${WINEARCH:-}" = win32 ]; then
    cb_boot32 || return 1
  elif [ ! -f "$WINEPREFIX/system.reg" ]; then
    # Where this kernel runs 32-bit code only through qemu, a 64-bit prefix's first boot would
    # also set up its 32-bit half under emulation (minutes). The 64-bit program needs none of
    # it, so the qemu hand-over is switched off while the prefix is created. It serves every user
    # of the machine: cb_wine_stop switches it on again should the script end meanwhile.
    local qemu=/proc/sys/fs/binfmt_misc/qemu-i386
    if [ -w "$qemu" ] && grep -q '^enabled' "$qemu"; then CB_QEMU_OFF=$qemu; echo 0 > "$qemu"; fi
    mkdir -p "$WINEPREFIX"
    "$CB_WINE" wineboot -i >/dev/null 2>&1 || true
    "$CB_WINESERVER" -w
    cb_qemu_on
    [ -f "$WINEPREFIX/system.reg" ] || { echo "lib.sh: could not create $WINEPREFIX" >&2; return 1; }
    # The program asks for "ＭＳ Ｐゴシック"; without a proportional stand-in Wine picks a
    # monospaced face and the captions no longer fit their controls.
    "$CB_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' \
      /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
  fi
  "$CB_WINESERVER" -p 2>/dev/null || true
}

# A 32-bit prefix under emulation takes minutes to create. It is complete once its first boot
# says "configuration ... has been updated"; the process that asked for the boot may give up
# waiting (kernel32.dll not found yet) while the boot goes on and still writes to the same log,
# so the log is what is waited for. cb_wine_stop writes .cb-ready once the server has saved the
# new prefix's registry; only such a prefix is reused.
cb_boot32() {
  if [ -f "$WINEPREFIX/.cb-ready" ]; then
    grep -q '^#arch=win32' "$WINEPREFIX/system.reg" && return 0
    echo "lib.sh: $WINEPREFIX is not a 32-bit prefix; remove it" >&2
    return 1
  fi
  local log=$WINEPREFIX-boot.log pid ended=""
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  "$CB_WINE" wineboot -i > "$log" 2>&1 &
  pid=$!
  for _ in $(seq 3600); do
    grep -q 'has been updated' "$log" && break
    if [ -z "$ended" ] && ! kill -0 "$pid" 2>/dev/null; then ended=$SECONDS; fi
    if [ -n "$ended" ] && [ $((SECONDS - ended)) -gt 900 ]; then break; fi
    sleep 1
  done
  grep -q 'has been updated' "$log" || { echo "lib.sh: the first boot did not finish; see $log" >&2; return 1; }
  wait "$pid" 2>/dev/null
  CB_BOOTED32=1
}

# Points ALSA's default device at DIR/played.raw; CB_CAPTURE_FILE names it for the programs.
cb_capture() {  # DIR
  local dir=$1
  mkdir -p "$dir"
  : > "$dir/played.raw"
  cat > "$dir/capture.conf" <<CONF
pcm.!default { type file; slave.pcm "null"; file "|cat >>$dir/played.raw"; format "raw" }
CONF
  export ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:$dir/capture.conf
  CB_CAPTURE_FILE=$(cb_winpath "$dir/played.raw")
  export CB_CAPTURE_FILE
}

cb_qemu_on() {
  if [ -n "${CB_QEMU_OFF:-}" ]; then echo 1 > "$CB_QEMU_OFF" || true; fi
  CB_QEMU_OFF=""
}

# Runs from EXIT traps under set -e: no step may fail, so that every one of them runs.
cb_wine_stop() {
  if [ -n "${CB_WINESERVER:-}" ] && [ -d "${WINEPREFIX:-}" ]; then
    "$CB_WINESERVER" -k 2>/dev/null || true
    if [ "${WINEARCH:-}" = win32 ]; then
      "$CB_WINESERVER" -w 2>/dev/null || true
      if [ -n "${CB_BOOTED32:-}" ] && [ -f "$WINEPREFIX/.update-timestamp" ]; then touch "$WINEPREFIX/.cb-ready" || true; fi
    fi
    CB_WINESERVER=""  # stopped once, by the first call
  fi
  if [ -n "${CB_XVFB_PID:-}" ]; then kill "$CB_XVFB_PID" 2>/dev/null || true; fi
  CB_XVFB_PID=""
  cb_qemu_on
}

cb_wait() {  # SECONDS WHAT COMMAND...: polls COMMAND until it succeeds
  local seconds=$1 what=$2
  shift 2
  local end=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    if [ "$SECONDS" -ge "$end" ]; then
      echo "lib.sh: $what did not come within $seconds s" >&2
      return 1
    fi
    sleep 0.1
  done
}
