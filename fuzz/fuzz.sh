#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) and
# runs them. Exit status 0 only when no target found anything.
#   fuzz/fuzz.sh TARGET RUNS       run TARGET for RUNS executions (e.g. 10000000)
#   fuzz/fuzz.sh TARGET SECONDSs   run TARGET for that long (e.g. 60s)
#   fuzz/fuzz.sh --short [SECONDS] every target for SECONDS each (default 5)
# Targets: descriptor, failure_status, settings, report, attribute_table, nvme_health,
# sat_reply, history. The committed seeds in fuzz/corpus/TARGET are read only; new inputs go to
# $KESTRINE_BUILD/fuzz/corpus/TARGET and a failing input to $KESTRINE_BUILD/fuzz/artifacts/TARGET/
# (KESTRINE_BUILD defaults to build/ in the work tree).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="${KESTRINE_BUILD:-$root/build}/fuzz"
targets=(descriptor failure_status settings report attribute_table nvme_health sat_reply history)

usage() { sed -n '4,7p' "$0" | sed 's/^# //' >&2; exit 2; }

build() {
    CXX=clang++ cmake -S "$root/fuzz" -B "$out" >/dev/null &&
        cmake --build "$out" -j2 >"$out.build.log" 2>&1 ||
        { tail -n 30 "$out.build.log"; echo "fuzz: build failed"; exit 1; }
}

# fuzz_one TARGET LIMIT: one run; prints one result line, returns non-zero on a finding.
fuzz_one() {
    local target=$1 limit=$2 option
    case $limit in
        *s) option="-max_total_time=${limit%s}" ;;
        *) option="-runs=$limit" ;;
    esac
    mkdir -p "$out/corpus/$target" "$out/artifacts/$target" "$out/logs"
    local log="$out/logs/$target.log" started=$SECONDS
    "$out/${target}_fuzzer" "$option" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$out/artifacts/$target/" \
        "$out/corpus/$target" "$root/fuzz/corpus/$target" >"$log" 2>&1
    local rc=$? runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ $rc -eq 0 ]; then
        echo "fuzz $target: pass, ${runs:-?} executions in $((SECONDS - started)) s ($log)"
        return 0
    fi
    echo "fuzz $target: FAIL (exit $rc) after ${runs:-?} executions; input kept in $out/artifacts/$target/"
    grep -m 5 -E 'broken promise|ERROR: |SUMMARY: |runtime error' "$log"
    return 1
}

case ${1:-} in
    --short)
        seconds=${2:-5}
        build
        passed=0; failed=0
        for target in "${targets[@]}"; do
            if fuzz_one "$target" "${seconds}s"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
        done
        echo "fuzz: $passed passed, $failed failed"
        [ $failed -eq 0 ]
        ;;
    descriptor | failure_status | settings | report | attribute_table | nvme_health | sat_reply | history)
        [ $# -eq 2 ] || usage
        build
        fuzz_one "$1" "$2"
        ;;
    *) usage ;;
esac
