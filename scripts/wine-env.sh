# Sourced by the scripts that run ChordBell under Wine: the environment, a display, a prefix in
# the build tree, and the ALSA file device that captures what is played.
#   cb_wine_env PREFIX      exports the Wine environment for a 64-bit prefix
#   cb_display              uses $DISPLAY, or starts Xvfb on a free display
#   cb_wine_boot            creates the prefix once and keeps its server running
#   cb_capture DIR          points ALSA's default device at DIR/played.raw
#   cb_wine_stop            stops the prefix's server and the Xvfb this script started

CB_WINE64=/usr/lib/wine/wine64
CB_WINESERVER64=/usr/lib/wine/wineserver64

cb_wine_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEARCH=win64
  # No Mono or Gecko download prompts in a prefix that has no network.
  export WINEDLLOVERRIDES="mscoree,mshtml=;${WINEDLLOVERRIDES:-}"
  # Without the Japanese locale Wine falls back to code page 1252.
  export LANG=ja_JP.UTF-8
}

cb_display() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${CB_FORCE_XVFB:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n=${CB_DISPLAY_BASE:-90}
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  CB_XVFB_PID=$!
  export DISPLAY=:$n
  local i
  for i in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "wine-env: Xvfb on $DISPLAY did not start" >&2
  return 1
}

# Where this kernel runs 32-bit code only through qemu, a 64-bit prefix's first boot would
# also set up its 32-bit half under emulation (minutes). The 64-bit program needs none of it,
# so the qemu hand-over is switched off while the prefix is created.
cb_wine_boot() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    local qemu=/proc/sys/fs/binfmt_misc/qemu-i386 was_on=""
    if [ -w "$qemu" ] && grep -q '^enabled' "$qemu"; then was_on=1; echo 0 > "$qemu"; fi
    mkdir -p "$WINEPREFIX"
    "$CB_WINE64" wineboot -i >/dev/null 2>&1 || true
    "$CB_WINESERVER64" -w
    [ -n "$was_on" ] && echo 1 > "$qemu"
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-env: could not create $WINEPREFIX" >&2; return 1; }
    # The program asks for "ＭＳ Ｐゴシック"; without a proportional stand-in Wine picks a
    # monospaced face and the captions no longer fit their controls.
    "$CB_WINE64" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' \
      /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1
  fi
  "$CB_WINESERVER64" -p 2>/dev/null || true
}

cb_capture() {
  local dir=$1
  mkdir -p "$dir"
  : > "$dir/played.raw"
  cat > "$dir/capture.conf" <<CONF
pcm.!default { type file; slave.pcm "null"; file "|cat >>$dir/played.raw"; format "raw" }
CONF
  export ALSA_CONFIG_PATH=/usr/share/alsa/alsa.conf:$dir/capture.conf
  export CB_CAPTURE_FILE="Z:$(printf '%s' "$dir/played.raw" | tr / '\\')"
}

cb_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] && "$CB_WINESERVER64" -k 2>/dev/null || true
  [ -n "${CB_XVFB_PID:-}" ] && kill "$CB_XVFB_PID" 2>/dev/null || true
  CB_XVFB_PID=""
}
