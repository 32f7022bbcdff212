#!/usr/bin/env bash
# Makes 32-bit Windows programs runnable here: the i386 architecture, Wine's 32-bit loader,
# the i686 cross compiler, and, where this kernel cannot execute 32-bit Linux binaries itself,
# qemu user-mode emulation registered with binfmt_misc. Idempotent; run as root.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
log() { echo "setup-i386: $*"; }

# The preloader reserves the 32-bit address space up front; without it Wine probes for that
# space with tens of thousands of mmap calls, each of which qemu answers by scanning its page
# table, and every 32-bit process then spends a minute of CPU before its first instruction.
cb_install wine wine64 wine32:i386 wine32-preloader:i386 qemu-user-static binfmt-support \
  g++-mingw-w64-i686 xvfb x11-utils
[ -x /usr/lib/wine/wine ] || { log "/usr/lib/wine/wine (wine32:i386) is missing" >&2; exit 1; }

# The 32-bit loader itself is the probe: it runs if the kernel (or an emulator already
# registered) can execute 32-bit binaries.
runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
if runs_32bit; then
  log "32-bit binaries run; nothing to register"
  exit 0
fi

log "this kernel does not run 32-bit binaries; registering qemu-i386 with binfmt_misc"
mountpoint -q /proc/sys/fs/binfmt_misc || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
[ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] || printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' > /proc/sys/fs/binfmt_misc/register
runs_32bit || { log "32-bit binaries still do not run after registering qemu-i386" >&2; exit 1; }
log "32-bit binaries run through qemu-i386"
