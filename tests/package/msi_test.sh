#!/usr/bin/env bash
# The Windows Installer package, checked as an administrator would meet it: its tables with
# msiinfo, then silent installs, an upgrade, a repeated install and uninstalls with Wine's
# msiexec in a private prefix of its own, made fresh for every run.
#   tests/package/msi_test.sh PACKAGE BIN_DIR VERSION
# PACKAGE is the build's kestrine-VERSION.msi; BIN_DIR holds the kestrine.exe and
# kestrine-report.exe it was made from, for the other builds the test makes (the same version
# again, an older one). Prints "msi: N passed, M failed".
set -uo pipefail
msi=$(realpath "$1") bin=$(cd "$2" && pwd) version=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
work="$root/build/package-test"
rm -rf "$work"; mkdir -p "$work"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
passed=0; failed=0

check() {  # check NAME COMMAND...: one result line
    if "${@:2}"; then passed=$((passed + 1)); echo "ok   $1"
    else failed=$((failed + 1)); echo "FAIL $1"; fi
}
contains() { grep -qF -- "$2" <<<"$1"; }
matches() { grep -qE -- "$2" <<<"$1"; }
# A shortcut holds its target path as 8-bit text and its arguments as UTF-16.
lnk_has() { [ -f "$1" ] && { strings -a "$1"; strings -a -el "$1"; } | grep -F -- "$2" >/dev/null; }

build() {  # build VERSION FOLDER: a package of the same programs under another version
    "$root/packaging/build-msi.sh" "$1" "$bin" "$2" >/dev/null 2>"$work/build-$1.log"
}
[ -f "$msi" ] || { echo "no package at $msi"; echo "msi: 0 passed, 1 failed"; exit 1; }

# The tables.
property() { msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' -v p="$1" '$1 == p { print $2 }'; }
check "product name" test "$(property ProductName)" = Kestrine
check "product version" test "$(property ProductVersion)" = "$version"
check "upgrade code" test "$(property UpgradeCode)" = "{6B0F2C57-3E1A-4C4B-9A55-0D7E2B8C4A11}"
table() { msiinfo export "$msi" "$1" | tr -d '\r'; }
check "start at sign-in on by default" contains "$(table CustomAction)" $'DefaultStartAtSignIn\t51\tSTARTATSIGNIN\t1'
check "the default only where nothing gave it" contains "$(table InstallExecuteSequence)" $'DefaultStartAtSignIn\tNOT STARTATSIGNIN\t52'
check "the installed choice is looked up" contains "$(table RegLocator)" $'RememberedStartAtSignIn\t2\tSoftware\\Kestrine\tStartAtSignIn\t2'
check "the command line's choice wins over it" contains "$(table InstallExecuteSequence)" $'RestoreStartAtSignIn\tCMDLINE_STARTATSIGNIN\t51'
check "the choice is remembered" contains "$(table Registry)" $'2\tSoftware\\Kestrine\tStartAtSignIn\t[STARTATSIGNIN]'
access=$(sed -n 's/^ *"\(D:P(.*)\)";$/\1/p' "$root/src/settings/settings_folder_access.h")
check "settings folders with the program's access list" test "$(table MsiLockPermissionsEx | grep -cF $'\tCreateFolder\t'"$access")" = 2
check "settings folder kept at removal" contains "$(table Component)" $'SettingsFolder\t{9C3F4051-6D7E-4F80-A192-3C4D5E6F7081}\tSETTINGSFOLDER\t16\t'
check "per-machine" test "$(property ALLUSERS)" = 1
shortcuts=$(msiinfo export "$msi" Shortcut | tr -d '\r')
check "start-menu shortcut" contains "$shortcuts" $'MenuShortcut\tProgramMenuFolder\tKestrine\tMenuShortcut\t[INSTALLDIR]kestrine.exe\t\t'
check "startup shortcut" contains "$shortcuts" $'StartupShortcut\tStartupFolder\tKestrine\tStartupShortcut\t[INSTALLDIR]kestrine.exe\t/SystemTray'
check "startup shortcut follows the property, and goes at every removal" \
    contains "$(msiinfo export "$msi" Component | tr -d '\r')" $'StartupFolder\t4\tSTARTATSIGNIN = "1" OR REMOVE ~= "ALL"'
# The event source, with the installed kestrine.exe as its message file (REG_EXPAND_SZ: "#%").
source_key='SYSTEM\CurrentControlSet\Services\EventLog\Application\Kestrine'
registry=$(msiinfo export "$msi" Registry | tr -d '\r')
check "event source's message file" contains "$registry" $'\t2\t'"$source_key"$'\tEventMessageFile\t#%[#kestrine.exe]\tWindowProgram'
check "event source's types" contains "$registry" $'\t2\t'"$source_key"$'\tTypesSupported\t#7\tWindowProgram'
check "event source's key removed with the program" contains "$registry" $'EventSourceKey\t2\t'"$source_key"$'\t-\t\tWindowProgram'

wineboot -i >/dev/null 2>&1; wineserver -w
c="$WINEPREFIX/drive_c"
# A 64-bit system puts a 32-bit package's programs in "Program Files (x86)" and its registry
# entries in the 32-bit view (reg's /reg:32, which a 32-bit system ignores).
programs="Program Files"
[ -d "$c/Program Files (x86)" ] && programs="Program Files (x86)"
dir="$c/$programs/Kestrine"
# Wine resolves the all-users folders of a per-machine package to the user's own folders;
# Windows puts them below ProgramData. Either is where this prefix shows them.
shortcut() { find "$c/ProgramData" "$c/users" -path "*Start Menu/Programs/$1" 2>/dev/null | head -n 1; }
startup_lnk() { shortcut "StartUp/Kestrine.lnk"; }
menu_lnk() { shortcut "Kestrine.lnk"; }
products() { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:32 2>/dev/null |
             tr -d '\r' | grep -c 'DisplayName.*REG_SZ *Kestrine$'; }
installed_version() { wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:32 2>/dev/null |
                      tr -d '\r' | sed -n 's/.*DisplayVersion *REG_SZ *//p' | sort -u | tr '\n' ' '; }
copies() { find "$c" -iname "$1" | wc -l; }
# Its values; Wine's reg says on standard output that a key is missing.
event_source() { wine reg query "HKLM\\$source_key" 2>/dev/null | tr -d '\r' | grep ' REG_'; }
msiexec() { wine msiexec "$@" >/dev/null 2>&1; echo $?; }

# A silent install with the defaults.
check "silent install exits 0" test "$(msiexec /i "$msi" /qn)" = 0
check "window program installed" test -f "$dir/kestrine.exe"
check "report installed" test -f "$dir/kestrine-report.exe"
check "README installed" test -f "$dir/README.txt"
check "start-menu shortcut made" lnk_has "$(menu_lnk)" kestrine.exe
check "startup shortcut starts hidden" lnk_has "$(startup_lnk)" /SystemTray
check "event source registered for the installed program" \
    matches "$(event_source)" "EventMessageFile +REG_EXPAND_SZ +C:\\\\${programs//[()]/.}\\\\Kestrine\\\\kestrine\\.exe\$"
check "event source takes every event type" matches "$(event_source)" 'TypesSupported +REG_DWORD +0x7$'
report_version=$(cd "$dir" && wine ./kestrine-report.exe --version 2>&1 | tr -d '\r')
check "report runs from the install folder" contains "$report_version" "$version"
check "settings folder made" test -d "$c/ProgramData/VTN/KSTM"
remembered() { wine reg query 'HKLM\Software\Kestrine' /v StartAtSignIn /reg:32 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
check "start at sign-in remembered as 1" test "$(remembered)" = 1

# The same version again, from a new build of it: refused or repaired, never a second product.
build "$version" "$work/again"
rc=$(msiexec /i "$work/again/kestrine-$version.msi" /qn)
check "same version again refused or repaired (rc $rc)" test "$rc" = 1638 -o "$rc" = 0
check "same version installed once" test "$(products)" = 1

# Uninstall keeps the thresholds and the drives' health history.
settings="$c/ProgramData/VTN/KSTM/KSTMC.dat"
history="$c/ProgramData/VTN/KSTM/KSTMH.dat"
mkdir -p "$(dirname "$settings")"; head -c 272 /dev/urandom >"$settings"; cp "$settings" "$work/settings.before"
head -c 4096 /dev/urandom >"$history"; cp "$history" "$work/history.before"
check "silent uninstall exits 0" test "$(msiexec /x "$msi" /qn)" = 0
check "program files removed" test ! -e "$dir/kestrine.exe" -a ! -e "$dir/kestrine-report.exe"
check "shortcuts removed" test -z "$(menu_lnk)$(startup_lnk)"
check "event source removed" test -z "$(event_source)"
check "no product left" test "$(products)" = 0
check "settings file kept byte for byte" cmp -s "$settings" "$work/settings.before"
check "health history kept byte for byte" cmp -s "$history" "$work/history.before"

# Removal by the product code that docs/deploy.md gives, with STARTATSIGNIN=0 on its command
# line: the Startup shortcut and its registry value go all the same.
startup_value() { wine reg query 'HKLM\Software\Kestrine' /v StartupShortcut /reg:32 2>/dev/null | tr -d '\r' | grep ' REG_'; }
product_code=$(property ProductCode)
check "docs/deploy.md gives this version's product code" grep -qF "msiexec /x $product_code /qn" "$root/docs/deploy.md"
check "reinstall exits 0" test "$(msiexec /i "$msi" /qn)" = 0
check "startup shortcut and its registry value made" test -n "$(startup_lnk)" -a -n "$(startup_value)"
check "removal by product code with STARTATSIGNIN=0 exits 0" test "$(msiexec /x "$product_code" /qn STARTATSIGNIN=0)" = 0
check "startup shortcut removed all the same" test -z "$(startup_lnk)"
check "its registry value removed" test -z "$(startup_value)"
check "no product left after it" test "$(products)" = 0

# Start at sign-in switched off.
check "install without start at sign-in" test "$(msiexec /i "$msi" /qn STARTATSIGNIN=0)" = 0
check "no startup shortcut" test -z "$(startup_lnk)"
check "start-menu shortcut still made" test -n "$(menu_lnk)"
check "start at sign-in remembered as 0" test "$(remembered)" = 0
# Upgrades keep that choice unless their command line gives one.
build "$version.1" "$work/newer"
check "upgrade without the property exits 0" test "$(msiexec /i "$work/newer/kestrine-$version.1.msi" /qn)" = 0
check "the upgrade keeps start at sign-in off" test -z "$(startup_lnk)"
check "and remembers it" test "$(remembered)" = 0
build "$version.2" "$work/newest"
check "upgrade given STARTATSIGNIN=1 exits 0" \
    test "$(msiexec /i "$work/newest/kestrine-$version.2.msi" /qn STARTATSIGNIN=1)" = 0
check "the command line wins: startup shortcut made" lnk_has "$(startup_lnk)" /SystemTray
check "and it is remembered" test "$(remembered)" = 1
msiexec /x "$work/newest/kestrine-$version.2.msi" /qn >/dev/null

# An older version, then the current one over it.
build 0.9 "$work/older"
check "older version installs" test "$(msiexec /i "$work/older/kestrine-0.9.msi" /qn)" = 0
check "older README" grep -q "^Kestrine 0.9" "$dir/README.txt"
check "upgrade exits 0" test "$(msiexec /i "$msi" /qn)" = 0
check "one product after the upgrade" test "$(products)" = 1
check "the product is the new version" test "$(installed_version)" = "$version "
check "files are the new version" grep -q "^Kestrine $version" "$dir/README.txt"
check "one copy of each program" test "$(copies kestrine.exe)" = 1 -a "$(copies kestrine-report.exe)" = 1
check "the older version is refused over the newer" test "$(msiexec /i "$work/older/kestrine-0.9.msi" /qn)" != 0
check "still the new version" test "$(installed_version)" = "$version "

# With a display: the same while the window program runs from the install folder. Wine lets a
# running program's files be replaced and removed, so this shows only that msiexec finishes
# with a consistent install; Windows' files-in-use handling is not exercised here.
if [ -n "${DISPLAY:-}" ]; then
    running() {  # a kestrine.exe of this prefix (other prefixes may run their own)
        local pid
        for pid in $(pgrep -f 'kestrine\.exe'); do
            tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
        done
        return 1
    }
    msiexec /x "$msi" /qn >/dev/null
    msiexec /i "$work/older/kestrine-0.9.msi" /qn >/dev/null
    (cd "$dir" && wine ./kestrine.exe /SystemTray >/dev/null 2>&1 &)
    for _ in $(seq 100); do running && break; sleep 0.1; done
    check "window program started from the install folder" running
    rc=$(msiexec /i "$msi" /qn)
    check "upgrade while it runs (rc $rc)" test "$rc" = 0 -o "$rc" = 3010
    check "one product, the new version" test "$(products)" = 1 -a "$(installed_version)" = "$version "
    check "new files in place" grep -q "^Kestrine $version" "$dir/README.txt"
    rc=$(msiexec /x "$msi" /qn)
    check "uninstall while it runs (rc $rc)" test "$rc" = 0 -o "$rc" = 3010
    check "no product left after it" test "$(products)" = 0
fi

wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
echo "msi: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
