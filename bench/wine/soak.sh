#!/usr/bin/env bash
# 10,000 refreshes (or $1) of the scripted host while its drives change, the marks move and
# the thresholds change: the end-to-end soak test at full length. Prints its checkpoints
# (kernel handles, working set, live icons, brushes, image lists, windows) and its verdict:
# the test itself holds the targets (handles and objects unchanged, working-set growth below
# 1 MB over 10,000 refreshes) and fails with the figure when one is missed.
set -euo pipefail
source "$(dirname "$0")/common.sh"
start_bench kestrine_e2e_tests
log="$win/soak.log"
KESTRINE_SOAK_REFRESHES="${1:-10000}" wine "$bin/kestrine_e2e_tests.exe" --gtest_filter='Soak.*' >"$log" 2>&1 &&
    status=0 || status=$?
grep -E '^soak:|^\[ *(OK|FAILED|PASSED) *\]|error' "$log" || true
grep -A3 'Failure' "$log" || true  # each failed check with its figures
[ "$status" -eq 0 ] && echo "met: every soak target" || echo "MISSED: a soak target (exit status $status, log $log)"
exit "$status"
