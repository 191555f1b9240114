#!/bin/sh
# Smoke tests of the brettspalt executable:
#   smoke.sh EXE window|fullscreen   the real SDL window under a virtual X
#                                    server, showing the built-in test picture
#   smoke.sh EXE headless DATA_DIR   the real game headless on our Data.lib,
#                                    twice, which must give the same frames
# Exit 77 means skipped (no xvfb-run, or no Data.lib built yet).
set -eu
exe=$1
what=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/share"
export XDG_RUNTIME_DIR="$scratch"
export SDL_AUDIODRIVER=dummy

case "$what" in
window | fullscreen)
    if ! command -v xvfb-run >/dev/null 2>&1; then
        echo "xvfb-run is not installed: skipped"
        exit 77
    fi
    flag=--window
    [ "$what" = fullscreen ] && flag=
    xvfb-run -a -s "-screen 0 1280x720x24" "$exe" --selftest $flag --frames 90 >"$scratch/out" 2>&1 || {
        cat "$scratch/out"
        exit 1
    }
    # The self-test fails unless all its frames were drawn and presented.
    cat "$scratch/out"
    ;;
headless)
    data=$3
    if [ ! -f "$data/Data.lib" ]; then
        echo "no Data.lib in $data yet: skipped"
        exit 77
    fi
    printf '%s\n' "500 hash" "1500 key Down down" "+100 key Down up" "2500 hash" \
        "3000 screenshot $scratch/menu.png" "4000 hash" >"$scratch/script"
    "$exe" --headless --data "$data" --seed 1 --script "$scratch/script" >"$scratch/first"
    "$exe" --headless --data "$data" --seed 1 --script "$scratch/script" >"$scratch/second"
    cat "$scratch/first"
    cmp "$scratch/first" "$scratch/second"
    test -s "$scratch/menu.png"
    ;;
*)
    echo "usage: smoke.sh EXE window|fullscreen|headless [DATA_DIR]" >&2
    exit 2
    ;;
esac
