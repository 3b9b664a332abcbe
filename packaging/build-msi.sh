#!/usr/bin/env bash
# Builds kestrine-VERSION.msi from the two programs in BIN_DIR: build-msi.sh VERSION BIN_DIR OUT_DIR.
# The product code is derived from the version, so every build of one version is the same
# product (installing it twice repairs or is refused) and every new version is a new one that
# the major upgrade replaces in place.
set -euo pipefail
version=$1 bin=$(cd "$2" && pwd) out=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
mkdir -p "$out"
out=$(cd "$out" && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

product_code=$(/usr/bin/python3 -c 'import sys, uuid
print(str(uuid.uuid5(uuid.UUID("6B0F2C57-3E1A-4C4B-9A55-0D7E2B8C4A11"), "Kestrine " + sys.argv[1])).upper())' "$version")
{ echo "Kestrine $version"; echo; cat "$root/README.md"; } | sed 's/$/\r/' >"$stage/README.txt"  # Notepad-friendly line ends

# wixl takes relative source paths only: link the inputs into the staging folder.
ln -s "$bin" "$stage/bin"
ln -s "$root/resources" "$stage/resources"
msi="$out/kestrine-$version.msi"
(cd "$stage" && wixl -D Version="$version" -D ProductCode="$product_code" -D Bin=bin \
    -D Docs=. -D Resources=resources -o "$msi" "$here/kestrine.wxs")
# What wixl cannot say, written into its tables: the Startup shortcut's component condition,
# a short name beside the report's long file name (a name that is not 8.3 needs both), the
# event source's message file as REG_EXPAND_SZ ("#%"), and the event source's key removed
# with the program (the name "-").
source_key='SYSTEM\CurrentControlSet\Services\EventLog\Application\Kestrine'
msibuild "$msi" \
    -q "UPDATE Component SET Condition = 'STARTATSIGNIN = \"1\"' WHERE Component = 'StartupShortcut'" \
    -q "UPDATE File SET FileName = 'KESTRE~1.EXE|kestrine-report.exe' WHERE File = 'kestrine_report.exe'" \
    -q "UPDATE Registry SET Value = '#%[#kestrine.exe]' WHERE Name = 'EventMessageFile'" \
    -q "INSERT INTO \`Registry\` (\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`) VALUES ('EventSourceKey', 2, '$source_key', '-', 'WindowProgram')"
echo "$msi"
