# Kept only for the scripts that still source it (the benchmarks, the acceptance stories) until
# they source lib.sh; delete it then.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
CB_WINE64=/usr/lib/wine/wine64
CB_WINESERVER64=/usr/lib/wine/wineserver64
