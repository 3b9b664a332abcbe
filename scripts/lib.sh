# Shared by scripts/test and scripts/run: the build trees, the private Wine prefix and a
# headless X display. Sourced, not run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
win="$build/windows"

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko prompts in a fresh prefix

jobs=$(nproc 2>/dev/null || echo 2)

build_windows() {
    cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$win" -j"$jobs" "$@"
}

# Creates the prefix once (about 15 s); later runs reuse it. Every program of the prefix runs
# in one 1024x768 virtual desktop, which also provides a notification area; C: is labelled.
prepare_wine() {
    if [ ! -f "$WINEPREFIX/.kestrine-ready" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.kestrine-ready"
    fi
    # A label on C:, read when Wine starts, so the volume-label tests have text to compare.
    printf 'KESTRINE' >"$WINEPREFIX/drive_c/.windows-label"
}

xvfb_pid=""
# Starts Xvfb on the first free display from :90 up and exports DISPLAY.
start_display() {
    local n
    for n in $(seq 90 120); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null; xvfb_pid=""
    done
    echo "no free X display" >&2
    return 1
}

# Ends every Wine process of the prefix and the X server this script started.
stop_services() {
    wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    xvfb_pid=""
}
