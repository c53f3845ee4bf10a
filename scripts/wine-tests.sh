#!/bin/bash
# Runs one cross build's tests under Wine in a fresh prefix: wine-tests.sh [mingw|mingw64] (the
# shipped 32-bit build, the default, or its x64 twin). Called by scripts/test.sh inside xvfb-run,
# so that Wine's services, started with the prefix, and every test's windows share one virtual
# display. The prefix's server is stopped at the end.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
preset=${1:-mingw}
case $preset in
    mingw) export TREVANEL_WINE_ARCH=win32 ;;
    mingw64) export TREVANEL_WINE_ARCH=win64 ;;
    *) echo "usage: wine-tests.sh [mingw|mingw64]" >&2; exit 2 ;;
esac
source "$root/scripts/wine-env.sh"
export WINEPREFIX="$root/build/$preset/wine/prefix"
mkdir -p "$(dirname "$WINEPREFIX")"

start=$(date +%s.%N)
trevanel_wine_fresh && trevanel_wine_start || { echo "error: cannot make $WINEPREFIX" >&2; exit 1; }
awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "Wine prefix ready in %.1f s\n", e - s }'

# Cleanup runs whatever happens: a leftover server would hold the next run's prefix.
trap 'wineserver -k >/dev/null 2>&1' EXIT
cd "$root"
ctest --preset "$preset"
