#!/usr/bin/env bash
# kestrine-report.exe --format json under Wine beside a bare console program built the same
# way (kestrine_bare_console.exe, one line of output): the median wall time of 20 runs (or
# $1) of each, taken in turns, and their ratio; and the stripped size of kestrine-report.exe.
# The bench prefix lists 24 volumes (C: to Z:). Exits non-zero when a figure misses its
# target: a ratio of at most 1.5, a size of at most 300 KB (taken as 300,000 bytes).
set -euo pipefail
source "$(dirname "$0")/common.sh"
start_bench kestrine_report kestrine_bare_console
runs="${1:-20}"
wineserver -p 2>/dev/null || true  # one server for every run (it may be up already), as on a running machine

# Wall time of one run in milliseconds; its output goes nowhere.
milliseconds() {
    local start end
    start=$(date +%s%N)
    wine "$bin/$1" "${@:2}" >/dev/null 2>&1 || [ $? -lt 3 ]
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

milliseconds kestrine-report.exe --format json >/dev/null  # warm the prefix and the file cache
milliseconds kestrine_bare_console.exe >/dev/null
report_times=() bare_times=()
for _ in $(seq "$runs"); do
    report_times+=("$(milliseconds kestrine-report.exe --format json)")
    bare_times+=("$(milliseconds kestrine_bare_console.exe)")
done
report=$(printf '%s\n' "${report_times[@]}" | median)
bare=$(printf '%s\n' "${bare_times[@]}" | median)
ratio=$(awk -v r="$report" -v b="$bare" 'BEGIN {printf "%.2f", r / b}')

copy=$(mktemp)
trap 'rm -f "$copy"; stop_services' EXIT
cp "$bin/kestrine-report.exe" "$copy"
i686-w64-mingw32-strip "$copy"
size=$(stat -c %s "$copy")

echo "runs: $runs each, taken in turns"
echo "kestrine-report.exe --format json median ms: $report"
echo "kestrine_bare_console.exe median ms: $bare"
echo "kestrine-report.exe stripped bytes: $size"
status=0
verdict() {  # verdict MET? WHAT
    if [ "$1" = yes ]; then echo "met: $2"; else echo "MISSED: $2"; status=1; fi
}
verdict "$(awk -v r="$ratio" 'BEGIN {print (r <= 1.5) ? "yes" : "no"}')" "ratio $ratio (target at most 1.5)"
verdict "$([ "$size" -le 300000 ] && echo yes || echo no)" "kestrine-report.exe stripped $size bytes (target at most 300000)"
exit $status
