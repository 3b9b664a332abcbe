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
# The settings folders' access list, exactly as the program gives it.
access=$(sed -n 's/^ *"\(D:P(.*)\)";$/\1/p' "$root/src/settings/settings_folder_access.h")
[ -n "$access" ] || { echo "build-msi.sh: no access list in settings_folder_access.h" >&2; exit 1; }

# What wixl cannot say, written into its tables: the Startup shortcut's component condition,
# which holds at every removal too, since a component whose condition is false is left alone
# rather than removed (so `msiexec /x ... STARTATSIGNIN=0` would keep the shortcut);
# a short name beside the report's long file name (a name that is not 8.3 needs both);
# STARTATSIGNIN from the command line kept over the one AppSearch found (the installed one),
# and 1 when neither gives it; the settings folders made with their access list and left
# behind at removal (permanent), since they hold the thresholds; the event source's message
# file as REG_EXPAND_SZ ("#%"), and the event source's key removed with the program (the
# name "-").
sequence() {  # sequence ACTION CONDITION NUMBER: in both sequences that run AppSearch
    for table in InstallUISequence InstallExecuteSequence; do
        echo "-q"; echo "INSERT INTO $table (Action, Condition, Sequence) VALUES ('$1', '$2', $3)"
    done
}
set_property() {  # set_property ACTION PROPERTY VALUE: a custom action of type 51
    echo "-q"; echo "INSERT INTO CustomAction (Action, Type, Source, Target) VALUES ('$1', 51, '$2', '$3')"
}
lock() {  # lock KEY DIRECTORY: the access list on a folder that CreateFolder makes
    echo "-q"; echo "INSERT INTO MsiLockPermissionsEx (MsiLockPermissionsEx, LockObject, \`Table\`, SDDLText) VALUES ('$1', '$2', 'CreateFolder', '$access')"
}
source_key='SYSTEM\CurrentControlSet\Services\EventLog\Application\Kestrine'
mapfile -t queries < <(
    set_property SaveStartAtSignIn CMDLINE_STARTATSIGNIN '[STARTATSIGNIN]'
    set_property RestoreStartAtSignIn STARTATSIGNIN '[CMDLINE_STARTATSIGNIN]'
    set_property DefaultStartAtSignIn STARTATSIGNIN 1
    sequence SaveStartAtSignIn '' 49
    sequence RestoreStartAtSignIn CMDLINE_STARTATSIGNIN 51
    sequence DefaultStartAtSignIn 'NOT STARTATSIGNIN' 52
    echo "-q"; echo "CREATE TABLE MsiLockPermissionsEx (MsiLockPermissionsEx CHAR(72) NOT NULL, LockObject CHAR(72) NOT NULL, \`Table\` CHAR(32) NOT NULL, SDDLText LONGCHAR NOT NULL, \`Condition\` CHAR(255) PRIMARY KEY MsiLockPermissionsEx)"
    echo "-q"; echo "INSERT INTO CreateFolder (Directory_, Component_) VALUES ('VTNFOLDER', 'SettingsFolder')"
    lock VtnAccess VTNFOLDER
    lock SettingsAccess SETTINGSFOLDER
)
msibuild "$msi" \
    -q "UPDATE Component SET Condition = 'STARTATSIGNIN = \"1\" OR REMOVE ~= \"ALL\"' WHERE Component = 'StartupShortcut'" \
    -q "UPDATE Component SET Attributes = 16 WHERE Component = 'SettingsFolder'" \
    -q "UPDATE Property SET Value = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;STARTATSIGNIN' WHERE Property = 'SecureCustomProperties'" \
    -q "UPDATE File SET FileName = 'KESTRE~1.EXE|kestrine-report.exe' WHERE File = 'kestrine_report.exe'" \
    -q "UPDATE Registry SET Value = '#%[#kestrine.exe]' WHERE Name = 'EventMessageFile'" \
    -q "INSERT INTO \`Registry\` (\`Registry\`, \`Root\`, \`Key\`, \`Name\`, \`Component_\`) VALUES ('EventSourceKey', 2, '$source_key', '-', 'WindowProgram')" \
    "${queries[@]}"
echo "$msi"
