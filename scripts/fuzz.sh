#!/bin/bash
# Builds the libFuzzer harnesses (preset "fuzz", clang) and runs each one for a fixed time on a
# working copy of its seed corpus in the build tree, so that what a run finds never lands in the
# committed fuzz/corpus. Exits nonzero when a target fails to build or reports a finding; the
# finding's input is left in the target's work folder and named in the output.
#
# Usage: scripts/fuzz.sh [seconds per target, default 30] [target ...]  (default: every target)
# Environment: TREVANEL_FUZZ_BUILD (build folder, default build/fuzz), TREVANEL_JOBS (default 2).
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
seconds=${1:-30}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_matcher fuzz_filter_text fuzz_tweak_load fuzz_exports fuzz_parameter_line fuzz_reg_import fuzz_write_request)
build=${TREVANEL_FUZZ_BUILD:-$root/build/fuzz}
jobs=${TREVANEL_JOBS:-2}

if ! command -v clang++ >/dev/null 2>&1; then
    echo "error: the fuzz targets need clang++ with its libFuzzer runtime (.ci/run installs them)" >&2
    exit 1
fi
cmake --preset fuzz -B "$build" >/dev/null || exit 1
cmake --build "$build" -j "$jobs" --target "${targets[@]}" || exit 1

# A sanitizer report ends the run as a finding; leaks count too.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

failed=()
for target in "${targets[@]}"; do
    work="$build/fuzz-work/$target"
    mkdir -p "$work/corpus"
    cp -r "$root/fuzz/corpus/$target/." "$work/corpus/"
    # The two targets that run a few hundred inputs a second start at full input length: the
    # slow growth of libFuzzer's length limit would keep their inputs to a few registry writes or
    # export calls for the whole run.
    case $target in
        fuzz_tweak_load | fuzz_exports) length=(-len_control=0 -max_len=1024) ;;
        *) length=() ;;
    esac
    echo "==> $target for $seconds s"
    "$build/fuzz/$target" "$work/corpus" -max_total_time="$seconds" -print_final_stats=1 \
        -entropic_scale_per_exec_time=1 "${length[@]}" -artifact_prefix="$work/" >"$work/log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log")
    echo "    ${runs:-?} executions, ${rate:-?} per second (log: $work/log)"
    if [ $status -ne 0 ]; then
        grep -E -A1 "check failed" "$work/log" | head -4
        grep -E "ERROR:|SUMMARY:" "$work/log" | head -4
        grep -E "Test unit written to" "$work/log"
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "FUZZ FINDINGS: ${failed[*]}"
    exit 1
fi
echo "No fuzz findings."
