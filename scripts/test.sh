#!/bin/bash
# Builds everything and runs every test: the native suites, then the DLL, the host stand-in and the
# Wine suites in a fresh Wine prefix under a virtual X server, for the shipped 32-bit build where
# the machine can run it and for its x64 twin everywhere. Exits nonzero on any failure.
# The last lines say which builds ran under Wine, with their counts.
#
# Environment: TREVANEL_JOBS (default 2) for building and the native tests. TREVANEL_SKIP_WINE=1
# skips the Windows half on a machine without Wine or mingw-w64; with CI=true it never does.
# TREVANEL_NO_I386=1 takes the road of a machine that cannot run 32-bit programs; that road, and
# that of a machine whose 32-bit Wine could not be installed (scripts/wine32-road), is named in the
# summary's first lines. Tests that CTest reports as skipped or disabled are named in the summary;
# with CI=true each fails the run unless docs/testing.md's "Tests skipped on purpose" lists it for
# its road.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=${TREVANEL_JOBS:-2}
# What is missing gets installed first (as root); the checks below name what still is.
"$root/scripts/setup.sh" || echo "warning: scripts/setup.sh could not install everything" >&2
failed=()
timings=()
skipped=()
notes=()

# The tests a CTest log names as skipped or disabled ("The following tests did not run:").
skipped_tests() {
    sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (\(Skipped\|Disabled\))$/\1/p' "$1"
}

# Notes the skipped tests of one road's CTest log; with CI=true one that docs/testing.md does not list as
# skipped on purpose on that road ("- road: `test`" below "## Tests skipped on purpose") fails.
check_skipped() {
    local road=$1 log=$2 test listed
    listed=$(sed -n '/^## Tests skipped on purpose/,/^## /p' "$root/docs/testing.md")
    while IFS= read -r test; do
        [ -n "$test" ] || continue
        if grep -qxF -- "- $road: \`$test\`" <<<"$listed"; then
            skipped+=("$road: $test (on purpose, docs/testing.md)")
        else
            skipped+=("$road: $test")
            [ "${CI:-}" != "true" ] || failed+=("skipped on $road: $test")
        fi
    done < <(skipped_tests "$log")
}

# CTest with its output also in a log, whose skipped tests are then checked for the road.
ctest_road() {
    local road=$1 log="$root/build/ctest-$1.log" status
    shift
    ctest "$@" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    check_skipped "$road" "$log"
    return $status
}

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
    stage "native tests" ctest_road native --preset native -j "$jobs"
# The soak under valgrind is a test only where valgrind is found (setup.sh installs it).
grep -q "soak_sessions_valgrind" "$root/build/ctest-native.log" 2>/dev/null ||
    notes+=("the valgrind soak did NOT run (no valgrind: scripts/setup.sh installs it)")

# Every fuzz target for a short fixed time (clang, its own build folder build/fuzz).
stage "fuzz 7 x 15 s" "$root/scripts/fuzz.sh" 15

# The native tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and the tests in
# which a run and a reload of one tweak set meet on two threads under ThreadSanitizer.
tsan_run_and_reload() {
    build/tsan/unit_runner --gtest_filter='*Reload*:*Save*:*Free*' &&
        build/tsan/unit_addon --gtest_filter='*Reload*:*Thread*:*Destroyed*:*Rename*' &&
        build/tsan/unit_config --gtest_filter='*Reload*:*Deadlock*'
}
stage "asan configure" cmake --preset asan >/dev/null &&
    stage "asan build" cmake --build --preset asan -j "$jobs" &&
    stage "asan tests" ctest_road asan --preset asan -j "$jobs"
stage "tsan configure" cmake --preset tsan >/dev/null &&
    stage "tsan build" cmake --build --preset tsan -j "$jobs" --target unit_runner unit_addon unit_config &&
    stage "tsan run+reload" tsan_run_and_reload

# The Windows half. The 32-bit build is what is shipped: it is built everywhere and its files are
# checked natively; its Wine suites run where the machine can run 32-bit programs. The x64 twin,
# built from the same sources, runs the same Wine suites under 64-bit Wine on every machine.
i386_answer=$("$root/scripts/wine32-road" -v)
case $? in
    0) can_i386=yes ;;
    1)
        can_i386=no
        i386_skip=$i386_answer
        notes+=("32-bit build (shipped): not run: $i386_answer")
        echo "The shipped 32-bit build's Wine suites do not run here: $i386_answer."
        echo "The 32-bit build is checked from its files; the Wine suites run on the x64 build." ;;
    *)
        # No answer is no "no": the shipped build's suites would vanish from a green run.
        can_i386=no
        i386_skip="the 32-bit probe gave no answer"
        echo "error: whether this machine runs 32-bit programs is unknown ($i386_answer)" >&2
        failed+=("32-bit probe: $i386_answer") ;;
esac
wine_runs=()

# Runs one cross build's Wine suites and notes their count for the summary.
wine_suites() {
    local preset=$1 label=$2 log="$root/build/$1/wine-tests.log" status counts
    xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-tests.sh" "$preset" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    check_skipped "wine $preset" "$log"
    counts=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -1)
    if [ -n "$counts" ]; then
        set -- $counts
        wine_runs+=("$(printf '%-28s %s passed, %s failed, %s skipped' "$label" \
            $(($2 - $1 - $(skipped_tests "$log" | wc -l))) "$1" "$(skipped_tests "$log" | wc -l)")")
    else
        wine_runs+=("$(printf '%-28s did not finish' "$label")")
    fi
    return $status
}

missing=()
tools=(xvfb-run xauth wineserver /usr/lib/wine/wine64 makensis
       i686-w64-mingw32-g++-posix i686-w64-mingw32-windres x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-windres)
[ $can_i386 = no ] || tools+=(wine /usr/lib/wine/wine)
for tool in "${tools[@]}"; do
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
    if stage "mingw configure" cmake --preset mingw &&
        stage "mingw build" cmake --build --preset mingw -j "$jobs"; then
        stage "PE32 files" env TREVANEL_PE32_BUILD="$root/build/mingw" build/native/pe32_files
        if [ $can_i386 = yes ]; then
            stage "wine 32-bit tests" wine_suites mingw "32-bit build (shipped):"
        else
            wine_runs+=("32-bit build (shipped): not run: $i386_skip")
        fi
    fi
    stage "mingw64 configure" cmake --preset mingw64 &&
        stage "mingw64 build" cmake --build --preset mingw64 -j "$jobs" &&
        stage "wine x64 tests" wine_suites mingw64 "x64 build (same sources):"
fi

echo
[ ${#notes[@]} -eq 0 ] || printf 'NOTE: %s\n' "${notes[@]}"
echo "Timings:"
printf '  %s\n' "${timings[@]}"
echo "Under Wine:"
[ ${#wine_runs[@]} -gt 0 ] || wine_runs=("no build ran under Wine")
printf '  %s\n' "${wine_runs[@]}"
if [ ${#skipped[@]} -gt 0 ]; then
    echo "Skipped:"
    printf '  %s\n' "${skipped[@]}"
fi
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All tests passed."
