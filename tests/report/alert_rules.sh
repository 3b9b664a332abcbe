#!/usr/bin/env bash
# The alert rules of docs/monitoring.md ("Stale metrics"), taken from the document itself, with
# `promtool check rules` and `promtool test rules` (tests/report/alert_rules_test.yml): they
# fire on a metrics file that stopped being replaced or whose series vanished, on a run that
# met a problem of its own and on one without administrator rights, and stay quiet on a fresh
# one. Copies with the age test or the absence tests removed must fail, so a test that passes
# anything cannot. Ends with "alert-rules: N passed, M failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0; failed=0
check() {  # check NAME COMMAND...
    if "${@:2}" >"$work/out" 2>&1; then passed=$((passed + 1)); echo "ok   $1"
    else failed=$((failed + 1)); echo "FAIL $1"; cat "$work/out"; fi
}
refuses() { ! "$@"; }

# The indented block that starts with "# kestrine.rules.yml", without its indent.
awk '/^    # kestrine.rules.yml$/ {inside = 1; next} inside && /^    / {print substr($0, 5); next} inside {exit}' \
    "$root/docs/monitoring.md" >"$work/kestrine.rules.yml"
cp "$root/tests/report/alert_rules_test.yml" "$work/"
check "the document holds the rules" test -s "$work/kestrine.rules.yml"
check "promtool check rules" promtool check rules "$work/kestrine.rules.yml"
check "promtool test rules" promtool test rules "$work/alert_rules_test.yml"

mkdir "$work/spoiled"
sed 's/time() - kestrine_report_last_run_timestamp_seconds > 900/kestrine_report_last_run_timestamp_seconds < 0/' \
    "$work/kestrine.rules.yml" >"$work/spoiled/kestrine.rules.yml"
cp "$root/tests/report/alert_rules_test.yml" "$work/spoiled/"
check "a rule blind to the run's age fails the test" refuses promtool test rules "$work/spoiled/alert_rules_test.yml"

mkdir "$work/blind"
sed '/present_over_time/d;/absent(/d' "$work/kestrine.rules.yml" >"$work/blind/kestrine.rules.yml"
cp "$root/tests/report/alert_rules_test.yml" "$work/blind/"
check "a rule blind to absent series fails the test" refuses promtool test rules "$work/blind/alert_rules_test.yml"

echo "alert-rules: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
