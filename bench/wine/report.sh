#!/usr/bin/env bash
# kestrine-report.exe --format json under Wine beside a bare console program built the same
# way that makes the report's one unavoidable platform call, SHGetFolderPathA for the
# all-users application-data folder, and prints it (kestrine_bare_console.exe): the median
# wall time of 20 runs (or $1) of each, taken in turns, and their ratio; and the stripped size
# of the product's (32-bit) kestrine-report.exe. Where the kernel runs no 32-bit programs the
# times are those of the 64-bit build under 64-bit Wine (scripts/lib.sh).
#
# The ratio is taken in two prefixes. The target holds in a plain one, as Wine makes it: C:
# and Z: and one disk, as on a typical machine. The bench prefix with its 24 volumes (C: to
# Z:) is measured too and printed beside it: each volume costs Wine a round trip to its mount
# manager, so that figure shows how the report's work grows with the volumes listed.
# Exits non-zero when a figure misses its target: a ratio of at most 1.5 in the plain prefix,
# a size of at most 450,000 bytes (the window's budget, 400,000 before what the health history
# and the USB readers add).
set -euo pipefail
source "$(dirname "$0")/common.sh"
start_bench kestrine_programs kestrine_bare_console
runs="${1:-20}"
bench_prefix="$WINEPREFIX"
plain_prefix="$win/wineprefix-plain"

# Wall time of one run in milliseconds; its output goes nowhere.
milliseconds() {
    local start end
    start=$(date +%s%N)
    wine "$bin/$1" "${@:2}" >/dev/null 2>&1 || [ $? -lt 3 ]
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Prints "REPORT BARE RATIO" (medians in ms) for the prefix $WINEPREFIX.
measure() {
    local report_times=() bare_times=() report bare
    wineserver -p 2>/dev/null || true  # one server for every run, as on a running machine
    milliseconds kestrine-report.exe --format json >/dev/null  # warm the prefix and the file cache
    milliseconds kestrine_bare_console.exe >/dev/null
    for _ in $(seq "$runs"); do
        report_times+=("$(milliseconds kestrine-report.exe --format json)")
        bare_times+=("$(milliseconds kestrine_bare_console.exe)")
    done
    wineserver -k 2>/dev/null || true
    report=$(printf '%s\n' "${report_times[@]}" | median)
    bare=$(printf '%s\n' "${bare_times[@]}" | median)
    echo "$report $bare $(awk -v r="$report" -v b="$bare" 'BEGIN {printf "%.2f", r / b}')"
}

read -r bench_report bench_bare bench_ratio < <(measure)
export WINEPREFIX="$plain_prefix"
prepare_wine
read -r plain_report plain_bare plain_ratio < <(measure)
export WINEPREFIX="$bench_prefix"

size=$(product_size kestrine-report.exe)

echo "runs: $runs each, taken in turns, of the $([ "$KESTRINE_WINE" = 64 ] && echo 64 || echo 32)-bit build"
echo "plain prefix (C:, Z:): kestrine-report.exe --format json median ms: $plain_report"
echo "plain prefix (C:, Z:): kestrine_bare_console.exe median ms: $plain_bare"
echo "bench prefix (24 volumes): kestrine-report.exe --format json median ms: $bench_report"
echo "bench prefix (24 volumes): kestrine_bare_console.exe median ms: $bench_bare"
echo "bench prefix (24 volumes): ratio $bench_ratio (no target)"
echo "kestrine-report.exe stripped bytes: $size"
status=0
verdict() {  # verdict MET? WHAT
    if [ "$1" = yes ]; then echo "met: $2"; else echo "MISSED: $2"; status=1; fi
}
verdict "$(awk -v r="$plain_ratio" 'BEGIN {print (r <= 1.5) ? "yes" : "no"}')" \
    "plain prefix ratio $plain_ratio (target at most 1.5)"
verdict "$([ "$size" -le 450000 ] && echo yes || echo no)" "kestrine-report.exe stripped $size bytes (target at most 450000)"
exit $status
