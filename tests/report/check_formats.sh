#!/usr/bin/env bash
# Writes the report of every scenario in every format and checks each with a real validator:
# the JSON documents against docs/report.schema.json (Debian's python3-jsonschema, strict
# UTF-8, no NaN), the metrics with `promtool check metrics`, the Nagios lines against the
# plugin output grammar and the JSON's status. Fourteen spoiled copies must be refused, so a
# validator that accepts anything cannot pass. SAMPLES_PROGRAM writes NAME.json, NAME.prom and
# NAME.nagios into the folder it is given, with scenarios named healthy, ata_failing_now,
# nvme_critical_warning and usb_bridge, and NAME.json and NAME.nagios of a refused run (bad arguments), named
# refused: the native sample writer, or tests/report/scripted_samples.sh for the
# report program under Wine. Ends with
# "SUITE: N passed, M failed" (SUITE defaults to report-formats).
#   tests/report/check_formats.sh SAMPLES_PROGRAM OUTPUT_FOLDER [SUITE]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -eq 2 ] || [ $# -eq 3 ] || { sed -n '10p' "$0" | sed 's/^# //' >&2; exit 2; }
samples=$1 out=$2 suite=${3:-report-formats}
rm -rf "$out"; mkdir -p "$out"
passed=0; failed=0
pass() { passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

if ! "$samples" "$out"; then
    echo "$suite: 0 passed, 1 failed"; exit 1
fi

# One line per JSON document and per Nagios line: "ok NAME" or "FAIL NAME: why".
check_json_and_nagios() {
    /usr/bin/python3 - "$root/docs/report.schema.json" "$@" <<'PY'
import json, re, sys
from jsonschema import Draft202012Validator

def refuse(constant):
    raise ValueError("not JSON: " + constant)

schema = json.load(open(sys.argv[1]))
Draft202012Validator.check_schema(schema)
validator = Draft202012Validator(schema)
perf = r"'[^'=]+'=(-?[0-9]+(\.[0-9]+)?%?|U);[0-9:]*;[0-9:]*;[0-9]*;[0-9]*"
nagios = re.compile(r"KESTRINE (OK|WARNING|CRITICAL|UNKNOWN) - [^|\r\n]* \|( " + perf + r")+\n")
# A run refused before it read anything has no data to give.
refused = re.compile(r"KESTRINE (UNKNOWN) - [^|\r\n]*\n")
for path in sys.argv[2:]:
    try:
        with open(path, "rb") as f:
            document = json.loads(f.read().decode("utf-8"), parse_constant=refuse)
        errors = sorted(validator.iter_errors(document), key=str)
        if errors:
            raise ValueError(errors[0].message)
        print("ok", path)
    except Exception as error:
        print("FAIL", path + ":", error)
        continue
    line = open(path[:-len(".json")] + ".nagios", "rb").read().decode("utf-8")
    grammar = refused if document["thresholds"]["source"] == "not_read" else nagios
    match = grammar.fullmatch(line)
    if match is None:
        print("FAIL", path[:-5] + ".nagios: not one plugin line with performance data")
    elif match.group(1).lower() != document["status"]:
        print("FAIL", path[:-5] + ".nagios: status", match.group(1), "against", document["status"])
    else:
        print("ok", path[:-5] + ".nagios")
PY
}

while read -r verdict name rest; do
    if [ "$verdict" = ok ]; then pass; else fail "$name $rest"; fi
done < <(check_json_and_nagios "$out"/*.json)

for metrics in "$out"/*.prom; do
    if report=$(promtool check metrics <"$metrics" 2>&1); then pass; else fail "$metrics: $report"; fi
done

# Spoiled copies: a status that disagrees with its exit code, a 128-bit counter as a number (it
# would lose digits), attributes under a health without a source, a percent past 100, a
# negative size, a warning percent of 0, a drive listed twice, a temperature no drive can have,
# a warning percent of 4294967295, a caution count grown with nothing accepted, an accepted value
# without its time, a refused run that says ok, a table read through a bridge without what the
# bridge said, and a label value that is not UTF-8.
spoil() {
    local name=$1 from=$2 expression=$3 what=$4
    sed "$expression" "$out/$from.json" >"$out/$name.json"
    cp "$out/$from.nagios" "$out/$name.nagios"
    if check_json_and_nagios "$out/$name.json" | grep -q "^FAIL .*$name.json"; then pass; else fail "the schema accepted $what"; fi
}
spoil spoiled healthy 's/"exitCode": 0/"exitCode": 1/;t;s/"exitCode": [1-3]/"exitCode": 0/' "a wrong exit code"
spoil spoiled-counter nvme_critical_warning 's/"dataUnitsWritten": "\([0-9]*\)"/"dataUnitsWritten": \1/' \
    "a 128-bit counter as a number"
spoil spoiled-source ata_failing_now '0,/"source": "ata_smart"/s//"source": "none"/' "attributes without a source"
spoil spoiled-percent healthy '0,/"percentFree": [0-9.]*/s//"percentFree": 500/' "a percent of 500"
spoil spoiled-size healthy '0,/"freeBytes": [0-9]*/s//"freeBytes": -1/' "a negative size"
spoil spoiled-limit healthy '0,/"warningPercent": [0-9]*/s//"warningPercent": 0/' "a warning percent of 0"
spoil spoiled-drives healthy 's/"number": 1,/"number": 0,/' "a drive listed twice"
spoil spoiled-temperature nvme_critical_warning 's/"compositeTemperatureCelsius": 45/"compositeTemperatureCelsius": 65262/' \
    "a temperature of 65262 C"
spoil spoiled-limit-high healthy '0,/"warningPercent": [0-9]*/s//"warningPercent": 4294967295/' \
    "a warning percent of 4294967295"
spoil spoiled-caution nvme_critical_warning '0,/"state": "new"/s//"state": "grown"/' \
    "a caution count grown with nothing accepted"
spoil spoiled-accepted nvme_critical_warning \
    '0,/"accepted": null, "acceptedTime": null/s//"accepted": 3, "acceptedTime": "yesterday"/' \
    "an accepted value without its time"
spoil spoiled-refused refused 's/"status": "unknown"/"status": "ok"/;s/"exitCode": 3/"exitCode": 0/' \
    "a refused run that says ok"
spoil spoiled-bridge usb_bridge 's/"bridge": {[^}]*}, //' "a table read through a bridge without the bridge"
sed 's/version="/version="\xff/' "$out/healthy.prom" >"$out/spoiled.prom.bad"
if promtool check metrics <"$out/spoiled.prom.bad" >/dev/null 2>&1; then fail "promtool accepted a label that is not UTF-8"; else pass; fi

echo "$suite: $passed passed, $failed failed"
[ $failed -eq 0 ]
