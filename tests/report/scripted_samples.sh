#!/usr/bin/env bash
# Writes the scripted report's output under Wine for check_formats.sh: for each scenario its
# JSON document (NAME.json), its metrics file (NAME.prom, through --prometheus) and its plugin
# line (NAME.nagios). The health scenarios replay an ATA attribute table with failing
# attributes, an NVMe health log with a critical warning, and drives behind USB bridges; the hostile scenarios give
# descriptor strings with quotes, backslashes, control characters and bytes above 127, and
# replies of random bytes. Two refused runs (bad arguments, an empty folder to replay) give
# their JSON document and plugin line.
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
printf '%s\n' \
    '0 healthy vendor=ACME product=X100 bus=11' \
    '0 attribute id=1 flags=0x33 current=200 worst=200 threshold=51' \
    '0 attribute id=5 flags=0x33 current=36 worst=36 raw=1864 threshold=36' \
    '0 attribute id=9 flags=0x32 current=60 worst=60 raw=41000' \
    '0 attribute id=230 flags=0x33 current=1 worst=1 threshold=2' \
    '0 temperature current=41 warning=70 critical=80' >"$scenario"
sample ata_failing_now
printf '%s\n' \
    '0 healthy vendor=ACME product=X100 bus=11' \
    '0 attribute id=194 flags=0x22 current=67 worst=52 raw=33' \
    '2 healthy vendor=NVMe product="Fast 2TB" bus=17' \
    '2 nvme-log warning=0x01 kelvin=318 spare=4 spare-threshold=10 used=107 read=123456789 '\
'written=18446744073709551615 power-cycles=1520 hours=21345 unsafe-shutdowns=61 media-errors=3 '\
'error-log-entries=18446744073709551615' >"$scenario"
sample nvme_critical_warning
printf '%s\n' \
    '0 healthy vendor=ACME product=X100 bus=11' \
    '2 threshold-exceeded vendor=WD product="My Passport" bus=7 removable=1 bridge=sat12 model="WDC WD20SPZX" '\
'drive-serial=WX22A1234567' \
    '2 attribute id=5 flags=0x33 current=100 worst=100 raw=3 threshold=10' \
    '2 attribute id=194 flags=0x22 current=64 worst=50 raw=36' \
    '3 healthy vendor=Realtek product="RTL9210 NVME" bus=7 removable=1 bridge=sat' >"$scenario"
sample usb_bridge
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

# Refused before anything is probed, exit 3: bad arguments (named "refused", which the checker
# spoils), and a folder to replay that holds no saved drive.
refusal() {
    local name=$1; shift
    wine "$bin/kestrine_report_scripted.exe" --format json "$@" >"$out/$name.json" 2>/dev/null || [ $? -eq 3 ]
    wine "$bin/kestrine_report_scripted.exe" --format nagios "$@" >"$out/$name.nagios" 2>/dev/null || [ $? -eq 3 ]
}
refusal refused --bogus
mkdir "$out/no-replies"
refusal empty_replay --replay "$(winepath -w "$out/no-replies")"
rmdir "$out/no-replies"
