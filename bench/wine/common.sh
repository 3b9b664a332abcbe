# Shared by the measuring scripts beside it: builds the Release tree with the measuring
# programs, prepares a Wine prefix of their own (the test suite's prefix keeps its volumes)
# with every drive letter C: to Z: in use, and a private X display (the first free one from
# :90 up, as for the test suite). Sourced, not run.
#
#   KESTRINE_WINE_BUILD  the build tree (default: build/wine-bench, or build/wine-bench64 for
#                        the 64-bit build where the kernel runs no 32-bit programs:
#                        scripts/lib.sh); its prefix is KESTRINE_WINE_BUILD/wineprefix
source "$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/lib.sh"

product_tree="$win"
if [ "$KESTRINE_WINE" = 64 ]; then toolchain=mingw-x86_64 tree=wine-bench64; else toolchain=mingw-i686 tree=wine-bench; fi
win="${KESTRINE_WINE_BUILD:-$root/build/$tree}"
export WINEPREFIX="$win/wineprefix"
bin="$win/bin"

# Builds the named targets in the Release tree; its log is $win.build.log.
build_targets() {
    local target args=()
    for target in "$@"; do args+=(--target "$target"); done
    build_mingw "$win" "$toolchain" "${args[@]}" >"$win.build.log" 2>&1 || { tail -n 30 "$win.build.log"; exit 1; }
}

# The stripped size in bytes of the product's 32-bit build of one program (FILE), whichever
# build the measurements run.
product_size() {
    build_mingw "$product_tree" mingw-i686 --target kestrine_programs >"$win.product.log" 2>&1 ||
        { tail -n 30 "$win.product.log"; exit 1; }
    local copy
    copy=$(mktemp)
    cp "$product_tree/bin/$1" "$copy"
    i686-w64-mingw32-strip "$copy"
    stat -c %s "$copy"
    rm -f "$copy"
}

# The prefix's desktop as the test suite sets it up, and D: to Y: as folders beside C: and
# Z:, so the program lists 24 volumes.
prepare_bench_wine() {
    prepare_wine
    local letter
    for letter in d e f g h i j k l m n o p q r s t u v w x y; do
        mkdir -p "$WINEPREFIX/volumes/$letter"
        ln -sfn "../volumes/$letter" "$WINEPREFIX/dosdevices/$letter:"
    done
}

# Everything a measuring run needs; stop_services (scripts/lib.sh) ends it on exit.
start_bench() {
    build_targets "$@"
    trap stop_services EXIT
    prepare_bench_wine
    start_display
}
