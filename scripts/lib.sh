# Shared by scripts/test and scripts/run: the build trees, the private Wine prefix and a
# headless X display. Sourced, not run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
win="$build/windows"

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko prompts in a fresh prefix

jobs=$(nproc 2>/dev/null || echo 2)

# Configures and builds one Windows tree with the MinGW toolchain file named.
build_mingw() {
    local tree=$1 toolchain=$2; shift 2
    cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$tree" -j"$jobs" "$@"
}

build_windows() { build_mingw "$win" mingw-i686 "$@"; }

# Which Wine runs the Windows-side suites, kept in KESTRINE_WINE for the scripts this one starts:
#   32    the product's 32-bit build under 32-bit Wine;
#   64    a 64-bit build of the same sources under 64-bit Wine, in a prefix of its own. A kernel
#         started without 32-bit emulation (Linux 6.7 and later with ia32_emulation off)
#         refuses every 32-bit program ("Exec format error") and offers no 32-bit code segment,
#         so neither 32-bit Wine nor Wine's WoW64 mode can run the 32-bit build there;
#   none  no Wine starts at all.
# wine_tree is the build tree whose programs the suites run.
choose_wine() {
    if [ -z "${KESTRINE_WINE:-}" ]; then
        if timeout 30 /usr/lib/wine/wine --version >/dev/null 2>&1; then KESTRINE_WINE=32  # Debian's 32-bit loader
        elif timeout 30 "$root/scripts/wine64/wine" --version >/dev/null 2>&1; then KESTRINE_WINE=64
        else KESTRINE_WINE=none; fi
        export KESTRINE_WINE
    fi
    wine_tree="$win"
    if [ "$KESTRINE_WINE" = 64 ]; then
        wine_tree="$build/windows64"
        export WINEPREFIX="$build/wineprefix64"
        case ":$PATH:" in *":$root/scripts/wine64:"*) ;; *) export PATH="$root/scripts/wine64:$PATH" ;; esac
    fi
}

wine_refusal="no Wine starts on this machine"
wine64_note="this kernel runs no 32-bit programs (dmesg: \"32-bit emulation disabled\"): the Windows-side suites run a 64-bit build of the same sources under 64-bit Wine"

# Builds the tree that the suites under Wine run: the product's, or its 64-bit twin.
build_wine_tree() {
    if [ "$wine_tree" = "$win" ]; then build_windows "$@"; else build_mingw "$wine_tree" mingw-x86_64 "$@"; fi
}

# The prefix's set-up version, kept in its marker file: a prefix made by an older set-up gets
# the later steps once (a marker without a version is version 1).
prefix_version=2

# Creates the prefix once (about 15 s); later runs reuse it. Every program of the prefix runs
# in one 1024x768 virtual desktop, which also provides a notification area; C: is labelled.
prepare_wine() {
    local marker="$WINEPREFIX/.kestrine-ready"
    if [ ! -f "$marker" ]; then
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        wineserver -w
        echo 1 >"$marker"
    fi
    if [ "$(cat "$marker")" != "$prefix_version" ]; then
        # Wine has no MS Sans Serif here and falls back on a face so wide that two labels of the
        # main window ("Fixed / Removable: ", "Default Free Space Warning %: ") wrap out of
        # sight. DejaVu Serif Condensed at 108 dots per inch (8 points = 12 pixels) gives every
        # label of the dialogs room to spare.
        wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            /v 'MS Sans Serif' /d 'DejaVu Serif Condensed' /f >/dev/null 2>&1
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 108 /f >/dev/null 2>&1
        wineserver -w
        echo "$prefix_version" >"$marker"
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

choose_wine
