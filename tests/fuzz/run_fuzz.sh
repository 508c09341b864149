#!/usr/bin/env bash
# Runs one libFuzzer target.
#   run_fuzz.sh replay TARGET SEEDS REGRESSIONS       every seed and regression input once
#   run_fuzz.sh run TARGET SEEDS WORK SECONDS         fuzz for SECONDS from the seeds; the
#       grown corpus stays in WORK/corpus, a crashing input is kept in WORK/artifacts
#   run_fuzz.sh suite TARGET SEEDS WORK SECONDS       the same from an empty WORK with a fixed
#       random seed, so the test suite's run repeats the same inputs each time
# Exits non-zero when an input crashes, leaks, times out or breaks a check.
set -euo pipefail

mode=$1
target=$2
seeds=$3
options=(-rss_limit_mb=2048 -timeout=20 -max_len=8192 -print_final_stats=1)
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

case $mode in
replay)
    regressions=$4
    inputs=("$seeds")
    [ -d "$regressions" ] && inputs+=("$regressions")
    exec "$target" "${options[@]}" -runs=0 "${inputs[@]}"
    ;;
suite | run)
    work=$4
    seconds=$5
    if [ "$mode" = suite ]; then
        rm -rf "$work"
        options+=(-seed=1)
    fi
    mkdir -p "$work/corpus" "$work/artifacts"
    "$target" "${options[@]}" -max_total_time="$seconds" \
        -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds" 2>"$work/log" || {
        status=$?
        tail -n 60 "$work/log"
        echo "$(basename "$target"): FAILED; inputs kept in $work/artifacts" >&2
        exit "$status"
    }
    grep -E '^(stat::number_of_executed_units|stat::new_units_added|Done)' "$work/log" || true
    echo "$(basename "$target"): no crash in $seconds s"
    ;;
*)
    echo "usage: run_fuzz.sh replay|run|suite TARGET SEEDS ..." >&2
    exit 2
    ;;
esac
