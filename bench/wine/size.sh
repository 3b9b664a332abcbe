#!/usr/bin/env bash
# Size of the Release kestrine.exe, and of a copy stripped with i686-w64-mingw32-strip.
set -euo pipefail
source "$(dirname "$0")/common.sh"
build_targets kestrine
copy=$(mktemp)
trap 'rm -f "$copy"' EXIT
cp "$bin/kestrine.exe" "$copy"
i686-w64-mingw32-strip "$copy"
echo "kestrine.exe bytes: $(stat -c %s "$bin/kestrine.exe")"
echo "kestrine.exe stripped bytes: $(stat -c %s "$copy")"
