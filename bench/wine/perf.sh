#!/usr/bin/env bash
# Wall time of "&Refresh Data" in the scripted host with 16 scripted drives and 24 volumes
# (C: to Z:): median, minimum and maximum of 50 sent commands (or of $1).
set -euo pipefail
source "$(dirname "$0")/common.sh"
start_bench kestrine_wine_bench
wine "$bin/kestrine_wine_bench.exe" refresh "${1:-50}" 2>"$win/perf.wine.log"
