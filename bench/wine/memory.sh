#!/usr/bin/env bash
# Working set of kestrine.exe after its first refresh against a bare dialog of the same
# template (kestrine_bare_dialog.exe), medians of 3 (or $1) runs each, and their ratio. Exits
# non-zero when the ratio is above the target, 1.15.
set -euo pipefail
source "$(dirname "$0")/common.sh"
start_bench kestrine_wine_bench
report=$(wine "$bin/kestrine_wine_bench.exe" memory "${1:-3}" 2>"$win/memory.wine.log" | tr -d '\r')
echo "$report"
ratio=$(sed -n 's/^working set ratio: //p' <<<"$report")
awk -v ratio="$ratio" 'BEGIN {
    met = ratio != "" && ratio <= 1.15
    printf "%s: working set ratio %s (target at most 1.15)\n", met ? "met" : "MISSED", ratio == "" ? "missing" : ratio
    exit !met
}'
