#!/usr/bin/env bash
# The report's metrics through a real monitoring engine: Debian's node exporter with only its
# textfile collector, and Prometheus scraping it every second, both on free loopback ports,
# started and stopped by the prometheus fixture (tests/fixtures.sh), which names the
# collector's folder (below prometheus_work) and Prometheus's port (prometheus_port).
# kestrine-report.exe runs under Wine (the real program: Wine's drive 0 and volumes) and writes
# its metrics into the collector's folder; once Prometheus has scraped them, its query API must
# give back what the same run's JSON says about C:, Z: and drive 0, and the run's time. A link
# planted beside the file is never written through.
# Ends with "prometheus: N passed, M failed".
#   tests/report/prometheus_e2e.sh BIN_FOLDER    (with WINEPREFIX set, as scripts/lib.sh does)
set -uo pipefail
[ $# -eq 1 ] || { sed -n '9p' "$0" | sed 's/^# //' >&2; exit 2; }
bin=$1
: "${prometheus_work:?no prometheus fixture}" "${prometheus_port:?no prometheus fixture}"
work=$prometheus_work
passed=0; failed=0
pass() { passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# A link planted at the name every run used to write first, to a file the run must never write
# (Wine follows such a link like any file): the run writes elsewhere and leaves both alone.
printf 'not for the report\n' >"$work/victim"
ln -sf "$work/victim" "$work/textfile/kestrine.prom.new"

wine "$bin/kestrine-report.exe" --format json --prometheus "$(winepath -w "$work/textfile/kestrine.prom")" \
    >"$work/report.json" 2>"$work/report.err"
status=$?
errors=$(grep -v '^wine: ' "$work/report.err")  # Wine's own notes are not the program's
if [ $status -le 2 ] && [ -z "$errors" ]; then pass; else fail "exit status $status: $errors"; fi
if [ "$(ls "$work/textfile" | tr '\n' ' ')" = "kestrine.prom kestrine.prom.new " ]; then pass; else fail "the collector's folder holds: $(ls "$work/textfile")"; fi
if [ "$(cat "$work/victim")" = "not for the report" ] && [ -L "$work/textfile/kestrine.prom.new" ]; then pass
else fail "the planted link was written through or replaced"; fi
if report=$(promtool check metrics <"$work/textfile/kestrine.prom" 2>&1); then pass; else fail "promtool: $report"; fi

# One line per comparison: "ok WHAT" or "FAIL WHAT: why". Waits up to 60 s for the first scrape.
/usr/bin/python3 - "$prometheus_port" "$work/report.json" <<'PY' >"$work/compare.log" 2>&1
import json, sys, time, urllib.parse, urllib.request

port, report = sys.argv[1], json.load(open(sys.argv[2], encoding="utf-8"))

def query(expression):
    url = f"http://127.0.0.1:{port}/api/v1/query?" + urllib.parse.urlencode({"query": expression})
    try:
        with urllib.request.urlopen(url, timeout=5) as answer:
            return json.load(answer)["data"]["result"]
    except OSError:
        return []

deadline = time.time() + 60
while not query('kestrine_status == 1') and time.time() < deadline:
    time.sleep(0.5)

def check(what, expression, expected, read=lambda result: result[0]["value"][1]):
    result = query(expression)
    got = read(result) if result else None
    print("ok" if got == expected else "FAIL", what + ("" if got == expected else f": {got!r}, expected {expected!r}"))

volumes = {v["volume"]: v for v in report["volumes"]}
for letter in ("C:", "Z:"):
    if letter not in volumes:
        print("FAIL", letter, "is not in the report")
        continue
    check(letter + " free bytes", f'kestrine_volume_free_bytes{{volume="{letter}"}}',
          volumes[letter]["freeBytes"], lambda r: int(r[0]["value"][1]))
    check(letter + " state", f'kestrine_volume_state{{volume="{letter}"}} == 1',
          volumes[letter]["state"], lambda r: r[0]["metric"]["state"])
drive = next((d for d in report["drives"] if d["number"] == 0), None)
if drive is None:
    print("FAIL drive 0 is not in the report")
else:
    for verdict in ("spf", "smart"):
        check("drive 0 " + verdict, f'kestrine_drive_{verdict}_state{{drive="0"}} == 1',
              drive[verdict]["state"], lambda r: r[0]["metric"]["state"])
    check("drive 0 failure predicted", 'kestrine_drive_failure_predicted{drive="0"}',
          "1" if drive["failurePredicted"] else "0")
    check("drive 0 health source", 'kestrine_drive_health_source{drive="0"} == 1',
          drive["health"]["source"], lambda r: r[0]["metric"]["state"])
    check("drive 0 health critical", 'kestrine_drive_health_critical{drive="0"}',
          "1" if drive["health"]["critical"] else "0")
check("overall status", "kestrine_status == 1", report["status"], lambda r: r[0]["metric"]["state"])
# What the stale-metrics rule of monitoring.md reads: the run's own time and the file's.
import calendar
run_time = calendar.timegm(time.strptime(report["time"], "%Y-%m-%dT%H:%M:%SZ"))
check("the run's time", "kestrine_report_last_run_timestamp_seconds", run_time, lambda r: int(float(r[0]["value"][1])))
check("the run's own success", "kestrine_report_last_run_success", "1")
check("the collector's file time", 'node_textfile_mtime_seconds{file=~".*kestrine[.]prom"} > 0', True,
      lambda r: len(r) == 1)
PY
while read -r verdict rest; do
    if [ "$verdict" = ok ]; then pass; else fail "$rest"; fi
done <"$work/compare.log"
[ -s "$work/compare.log" ] || fail "no comparison ran"

echo "prometheus: $passed passed, $failed failed"
[ $failed -eq 0 ]
