#!/usr/bin/env bash
# Builds the core benchmarks (-O2 with symbols), runs them, then counts instructions under
# callgrind: each figure is (total at K=1001 - total at K=1) / 1000, so the program's start-up
# cancels out; the first refresh is (total at K=1 - total at K=0).
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
printf '%-16s %12s %12s %12s\n' "drives/volumes" "4/6" "8/12" "16/24"
for mode in refresh first-refresh probe drive-list volume-scan drive-panel volume-panel status; do
    row=()
    for size in "4 6" "8 12" "16 24"; do
        if [ "$mode" = first-refresh ]; then
            row+=("$(per_run refresh 0 1 $size)")
        else
            row+=("$(per_run "$mode" 1 1001 $size)")
        fi
    done
    printf '%-16s %12s %12s %12s\n' "$mode" "${row[@]}"
done
for mode in idle idle-quiet idle-countdown; do
    printf '%-16s %12s %12s %12s\n' "$mode" "" "" "$(per_run "$mode" 1 1001 16 24)"
done
echo
echo "targets: refresh at 16/24 at most 250000, idle at most 2000"
echo "callgrind files: $cg (callgrind_annotate --inclusive=yes FILE shows where they go)"
