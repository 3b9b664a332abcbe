#!/usr/bin/env bash
# CPU time of kestrine.exe over 60 s (or $1 s) of idling after its first refresh, as a
# percentage of one core. Two readings of the same interval: GetProcessTimes from the
# measuring program, and the Linux process that hosts kestrine.exe under Wine (utime plus
# stime in /proc/PID/stat, all its threads, in clock ticks). Under Wine the first does not
# follow another process's time, so the second is the figure; the prefix's wineserver, which
# carries every process's messages and timers, is shown beside it. Exits non-zero when the
# program's figure is not below the target, 0.5 % of one core.
set -euo pipefail
source "$(dirname "$0")/common.sh"
start_bench kestrine_wine_bench

# The Linux process of this prefix whose command line matches $1.
unix_pid() {
    local candidate
    for candidate in $(pgrep -f "$1"); do
        tr '\0' '\n' <"/proc/$candidate/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
            { echo "$candidate"; return; }
    done
}
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

seconds="${1:-60}"
hz=$(getconf CLK_TCK)
wine "$bin/kestrine_wine_bench.exe" idle "$seconds" 2>"$win/idle.wine.log" | while read -r line; do
    line=${line%$'\r'}
    echo "$line"
    case "$line" in
        "idle: start")
            program=$(unix_pid 'kestrine\.exe')
            server=$(unix_pid 'wineserver')
            program_start=$(ticks "$program"); server_start=$(ticks "$server") ;;
        "idle: end")
            program_ticks=$(( $(ticks "$program") - program_start ))
            server_ticks=$(( $(ticks "$server") - server_start ))
            awk -v t="$program_ticks" -v s="$server_ticks" -v hz="$hz" -v sec="$seconds" 'BEGIN {
                printf "kestrine.exe process cpu ms (/proc): %.0f (%.3f %% of one core)\n", 1000*t/hz, 100*t/hz/sec
                printf "wineserver cpu ms (/proc, whole prefix): %.0f (%.3f %% of one core)\n", 1000*s/hz, 100*s/hz/sec
                met = 100*t/hz/sec < 0.5
                printf "%s: kestrine.exe idle cpu %.3f %% of one core (target below 0.5 %%)\n", met ? "met" : "MISSED", 100*t/hz/sec
                exit !met
            }' ;;
    esac
done
