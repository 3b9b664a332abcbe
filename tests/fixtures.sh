#!/usr/bin/env bash
# The services the Windows tree's suites share, as CTest fixtures: the X server behind the
# Wine virtual desktop, the prefix's wineserver, and a node exporter with a Prometheus that
# scrapes it. A start writes what the suites need (DISPLAY, the ports, the process ids) to
# STATE_FOLDER/NAME.env; a stop ends what its start began, by process id, and removes that file.
#   tests/fixtures.sh xvfb|wine|prometheus start|stop STATE_FOLDER
set -uo pipefail
[ $# -eq 3 ] || { sed -n '7p' "$0" | sed 's/^# //' >&2; exit 2; }
source "$(dirname "$0")/../scripts/lib.sh"
service=$1 action=$2 state=$3
env_file="$state/$service.env"
mkdir -p "$state"

free_port() {
    /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Ends the processes whose ids the start noted, and waits until they are gone.
stop_pids() {
    local pid
    for pid in "$@"; do
        kill "$pid" 2>/dev/null || continue
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    done
}

case "$service:$action" in
    xvfb:start)
        start_display || exit 1
        printf 'export DISPLAY=%s\nxvfb_pid=%s\n' "$DISPLAY" "$xvfb_pid" >"$env_file" ;;
    xvfb:stop)
        [ -f "$env_file" ] && source "$env_file" && stop_pids "$xvfb_pid"
        rm -f "$env_file" ;;
    wine:start)
        prepare_wine
        # One server for the whole suite, as on a running machine; its output is not the suite's.
        # Nor is that of the prefix's services and desktop, which the first program starts and
        # which hold its standard handles while they run: a first program here, on the suite's
        # display, gives them none, so that no suite's output stays open after the suite.
        source "$state/xvfb.env"
        wineserver -p >/dev/null 2>&1 </dev/null
        wine cmd /c exit >/dev/null 2>&1 </dev/null
        : >"$env_file" ;;
    wine:stop)
        wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
        rm -f "$env_file" ;;
    prometheus:start)
        work=$(mktemp -d)
        mkdir -p "$work/textfile" "$work/data"
        exporter_port=$(free_port)
        prometheus-node-exporter --web.listen-address="127.0.0.1:$exporter_port" --collector.disable-defaults \
            --collector.textfile --collector.textfile.directory="$work/textfile" >"$work/exporter.log" 2>&1 </dev/null &
        exporter_pid=$!
        printf 'global:\n  scrape_interval: 1s\nscrape_configs:\n  - job_name: kestrine\n    static_configs:\n      - targets: ["127.0.0.1:%s"]\n' \
            "$exporter_port" >"$work/prometheus.yml"
        prometheus_port=$(free_port)
        prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/data" \
            --web.listen-address="127.0.0.1:$prometheus_port" >"$work/prometheus.log" 2>&1 </dev/null &
        prometheus_pid=$!
        printf 'export prometheus_work=%s prometheus_port=%s\nexporter_pid=%s\nprometheus_pid=%s\n' \
            "$work" "$prometheus_port" "$exporter_pid" "$prometheus_pid" >"$env_file" ;;
    prometheus:stop)
        if [ -f "$env_file" ]; then
            source "$env_file"
            stop_pids "$prometheus_pid" "$exporter_pid"
            rm -rf "$prometheus_work"
        fi
        rm -f "$env_file" ;;
    *) sed -n '7p' "$0" | sed 's/^# //' >&2; exit 2 ;;
esac
