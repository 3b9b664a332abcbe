#!/usr/bin/env bash
# Working set of kestrine.exe after its first refresh against a bare dialog of the same
# template (kestrine_bare_dialog.exe), medians of 3 (or $1) runs each, and their ratio.
set -euo pipefail
source "$(dirname "$0")/common.sh"
start_bench kestrine_wine_bench
wine "$bin/kestrine_wine_bench.exe" memory "${1:-3}" 2>"$win/memory.wine.log"
