#!/usr/bin/env bash
# Builds the core benchmarks (-O2 with symbols), runs them, then counts instructions under
# callgrind: each figure is (total at K=1001 - total at K=1) / 1000, so the program's start-up
# cancels out; the first refresh is (total at K=1 - total at K=0). Then it checks the figures
# against their targets and exits non-zero, naming the figure and the target, on a miss:
#   - a refresh at 16 drives and 24 volumes: at most 400,000 instructions, also when every
#     drive is an NVMe drive judged by its health log (the nvme- rows) or a USB drive judged by
#     the SMART RETURN STATUS its bridge passes on (the usb- rows). The window reads every
#     drive's full health and records it into the health history: 250,000 before it did
#     (the week- row, with a week of two-hourly samples of each drive in the history, has no
#     target of its own);
#   - an idle tick, on average, quiet and with the countdown text: at most 2,000 each;
#   - linear growth: for every part, the step from 8/12 to 16/24 is at most 2.2 times the step
#     from 4/6 to 8/12 (twice, with a tenth of room), plus 1 % of its 16/24 figure for parts
#     that do not depend on the counts at all.
#   bench/core.sh            everything
#   bench/core.sh --counts   instruction counts only (no wall-clock benchmarks)
# Build folder: $KESTRINE_BUILD/bench (default build/bench below the work tree).
set -euo pipefail
shopt -s inherit_errexit  # a failing driver run inside $(...) ends the script too
root=$(cd "$(dirname "$0")/.." && pwd)
out="${KESTRINE_BUILD:-$root/build}/bench"

cmake -S "$root/bench" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" -j2 >/dev/null

if [ "${1:-}" != "--counts" ]; then
    echo "== wall clock (Google Benchmark)"
    "$out/kestrine_core_benchmarks" --benchmark_min_time=0.2
fi

command -v valgrind >/dev/null || { echo "valgrind is missing: no instruction counts"; exit 1; }
cg="$out/callgrind"
mkdir -p "$cg"

# Total instructions of one driver run.
total() {
    local file="$cg/$1.$2.$3.$4.out"
    valgrind --tool=callgrind --callgrind-out-file="$file" "$out/kestrine_core_driver" "$@" >/dev/null 2>"$file.log" ||
        { echo "kestrine_core_driver $* failed:" >&2; grep -v '^==' "$file.log" >&2; exit 1; }
    sed -n 's/^summary: //p' "$file"
}

# Instructions of one run of MODE: the difference of two totals over the difference of K.
per_run() {
    local mode=$1 low=$2 high=$3 drives=$4 volumes=$5 a b
    a=$(total "$mode" "$low" "$drives" "$volumes")
    b=$(total "$mode" "$high" "$drives" "$volumes")
    echo $(((b - a) / (high - low)))
}

echo
echo "== instructions per run (callgrind, Ir)"
printf '%-18s %12s %12s %12s\n' "drives/volumes" "4/6" "8/12" "16/24"
declare -A figure
parts="refresh first-refresh probe health drive-list volume-scan drive-panel volume-panel status"
for mode in $parts nvme-refresh nvme-probe nvme-health nvme-drive-list usb-refresh usb-health week-refresh; do
    row=()
    for size in "4 6" "8 12" "16 24"; do
        if [ "$mode" = first-refresh ]; then
            row+=("$(per_run refresh 0 1 $size)")
        else
            row+=("$(per_run "$mode" 1 1001 $size)")
        fi
    done
    figure[$mode]="${row[*]}"
    printf '%-18s %12s %12s %12s\n' "$mode" "${row[@]}"
done
for mode in idle idle-quiet idle-countdown; do
    figure[$mode]=$(per_run "$mode" 1 1001 16 24)
    printf '%-18s %12s %12s %12s\n' "$mode" "" "" "${figure[$mode]}"
done
echo "callgrind files: $cg (callgrind_annotate --inclusive=yes FILE shows where they go)"

echo
echo "== targets"
missed=0
# check DESCRIPTION FIGURE LIMIT: one line, "met" when FIGURE <= LIMIT.
check() {
    if [ "$2" -le "$3" ]; then
        echo "met: $1: $2 (target at most $3)"
    else
        echo "MISSED: $1: $2 (target at most $3)"; missed=$((missed + 1))
    fi
}
check "refresh at 16/24, instructions" "${figure[refresh]##* }" 400000
check "refresh at 16/24 with NVMe drives, instructions" "${figure[nvme-refresh]##* }" 400000
check "refresh at 16/24 with USB drives, instructions" "${figure[usb-refresh]##* }" 400000
for mode in idle idle-quiet idle-countdown; do check "$mode tick, instructions" "${figure[$mode]}" 2000; done
for mode in $parts nvme-refresh nvme-health usb-refresh usb-health week-refresh; do
    read -r small middle large <<<"${figure[$mode]}"
    check "$mode, growth 8/12 to 16/24 (4/6 to 8/12 grew $((middle - small)))" \
        $((large - middle)) $(((middle - small) * 22 / 10 + large / 100))
done
[ "$missed" -eq 0 ] || { echo "bench/core.sh: $missed targets missed"; exit 1; }
