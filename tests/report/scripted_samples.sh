#!/usr/bin/env bash
# Writes the scripted report's output under Wine for check_formats.sh: for each scenario its
# JSON document (NAME.json), its metrics file (NAME.prom, through --prometheus) and its plugin
# line (NAME.nagios). The hostile scenarios give descriptor strings with quotes, backslashes,
# control characters and bytes above 127, and replies of random bytes.
#   tests/report/scripted_samples.sh OUTPUT_FOLDER   (BIN_FOLDER in KESTRINE_BIN, WINEPREFIX set)
set -euo pipefail
out=$1
bin=${KESTRINE_BIN:?the folder of kestrine_report_scripted.exe}
scenario="$out/scenario.txt"
export KESTRINE_SCENARIO
KESTRINE_SCENARIO=$(winepath -w "$scenario")

sample() {
    local name=$1
    # A failing drive or a low volume exits 1 or 2; only 3 (unknown) is no sample.
    wine "$bin/kestrine_report_scripted.exe" --format json --prometheus "$(winepath -w "$out/$name.prom")" \
        >"$out/$name.json" 2>/dev/null || [ $? -lt 3 ]
    wine "$bin/kestrine_report_scripted.exe" --format nagios >"$out/$name.nagios" 2>/dev/null || [ $? -lt 3 ]
}

printf '0 healthy vendor=ACME product=X100 serial=3132333435\n1 smart-unsupported bus=7 removable=1\n' >"$scenario"
sample healthy
printf '%b\n' \
    '0 healthy vendor=AC\\ME\x01 product="X1 \x1f\x7f" serial=5C6E22' \
    '1 healthy vendor=Caf\xe9 product=\x80\x81\xff bus=7 removable=1' \
    '2 hostile reply=unterminated' \
    '3 hostile reply=random-bytes seed=7' \
    '4 hostile reply=random-bytes seed=1234' \
    '5 hostile reply=offsets-past-end' \
    '6 identity-fails code=5' >"$scenario"
sample hostile
rm -f "$scenario"
