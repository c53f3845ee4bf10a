#!/bin/bash
# Builds everything and runs every test: the native suites, then the DLL, the host stand-in and the
# Wine suites in a fresh Wine prefix under a virtual X server. Exits nonzero on any failure.
#
# Environment: TREVANEL_JOBS (default 2) for building and the native tests. TREVANEL_SKIP_WINE=1
# skips the Windows half on a machine without Wine or mingw-w64; with CI=true it never does.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=${TREVANEL_JOBS:-2}
failed=()
timings=()

# Runs one stage, notes its time, and remembers a failure.
stage() {
    local name=$1 start status
    shift
    echo "==> $name"
    start=$(date +%s.%N)
    "$@"
    status=$?
    timings+=("$(awk -v n="$name" -v s="$start" -v e="$(date +%s.%N)" \
        'BEGIN { printf "%-18s %7.1f s", n, e - s }')")
    [ $status -eq 0 ] || failed+=("$name")
    return $status
}

stage "native configure" cmake --preset native &&
    stage "native build" cmake --build --preset native -j "$jobs" &&
    stage "native tests" ctest --preset native -j "$jobs"

missing=()
for tool in wine wineserver xvfb-run xauth i686-w64-mingw32-g++-posix i686-w64-mingw32-windres; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "${CI:-}" = "true" ] || [ "${TREVANEL_SKIP_WINE:-}" != "1" ]; then
        echo "error: the Windows half needs ${missing[*]} (.ci/run installs them)" >&2
        failed+=("missing ${missing[*]}")
    else
        echo "warning: ${missing[*]} missing and TREVANEL_SKIP_WINE=1: Wine tests NOT run" >&2
    fi
else
    stage "mingw configure" cmake --preset mingw &&
        stage "mingw build" cmake --build --preset mingw -j "$jobs" &&
        stage "wine prefix+tests" xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-tests.sh"
fi

echo
echo "Timings:"
printf '  %s\n' "${timings[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All tests passed."
