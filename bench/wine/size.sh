#!/usr/bin/env bash
# Size of the product's Release kestrine.exe (the 32-bit build), and of a copy stripped with
# i686-w64-mingw32-strip. Exits non-zero when the stripped copy is over the target, 450,000
# bytes (400,000 before what the health history and the USB readers add).
set -euo pipefail
source "$(dirname "$0")/common.sh"
stripped=$(product_size kestrine.exe)
echo "kestrine.exe bytes: $(stat -c %s "$product_tree/bin/kestrine.exe")"
echo "kestrine.exe stripped bytes: $stripped"
if [ "$stripped" -le 450000 ]; then verdict=met; else verdict=MISSED; fi
echo "$verdict: kestrine.exe stripped $stripped bytes (target at most 450000)"
[ "$verdict" = met ]
