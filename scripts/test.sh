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
# What is missing gets installed first (as root); the checks below name what still is.
"$root/scripts/setup.sh" || echo "warning: scripts/setup.sh could not install everything" >&2
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

# Every fuzz target for a short fixed time (clang, its own build folder build/fuzz).
stage "fuzz 6 x 17 s" "$root/scripts/fuzz.sh" 17

# The native tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and the tests in
# which a run and a reload of one tweak set meet on two threads under ThreadSanitizer.
tsan_run_and_reload() {
    build/tsan/unit_runner --gtest_filter='*Reload*:*Save*:*Free*' &&
        build/tsan/unit_addon --gtest_filter='*Reload*:*Thread*' &&
        build/tsan/unit_config --gtest_filter='*Reload*:*Deadlock*'
}
stage "asan configure" cmake --preset asan >/dev/null &&
    stage "asan build" cmake --build --preset asan -j "$jobs" &&
    stage "asan tests" ctest --preset asan -j "$jobs"
stage "tsan configure" cmake --preset tsan >/dev/null &&
    stage "tsan build" cmake --build --preset tsan -j "$jobs" --target unit_runner unit_addon unit_config &&
    stage "tsan run+reload" tsan_run_and_reload

missing=()
for tool in wine wineserver xvfb-run xauth i686-w64-mingw32-g++-posix i686-w64-mingw32-windres makensis; do
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
