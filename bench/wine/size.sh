#!/usr/bin/env bash
# Size of the Release kestrine.exe, and of a copy stripped with i686-w64-mingw32-strip. Exits
# non-zero when the stripped copy is over the target, 400 KB (taken as 400,000 bytes).
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_targets kestrine
copy=$(mktemp)
trap 'rm -f "$copy"' EXIT
cp "$bin/kestrine.exe" "$copy"
i686-w64-mingw32-strip "$copy"
echo "kestrine.exe bytes: $(stat -c %s "$bin/kestrine.exe")"
stripped=$(stat -c %s "$copy")
echo "kestrine.exe stripped bytes: $stripped"
if [ "$stripped" -le 400000 ]; then verdict=met; else verdict=MISSED; fi
echo "$verdict: kestrine.exe stripped $stripped bytes (target at most 400000)"
[ "$verdict" = met ]
