#!/bin/sh
# One golden replay: NAME.rep beside NAME.script, played headless on the
# Data.lib of the build. The replay checks itself: the frame buffer's hash
# after every 60th frame and the final score must be those recorded, or it
# names the frame where the game went another way and fails.
#
#   golden.sh BRETTSPALT DATA_DIR SCRIPT CONFIG_DIR
#
# Exit 77 (skipped) while the street a script needs does not ship yet.
set -eu
game=$1
data=$2
script=$3
config=$4
replay=${script%.script}.rep

needs=$(sed -n 's/^# needs: *//p' "$script" | head -n 1)
if [ -n "$needs" ] && [ ! -f "$config/$needs" ]; then
    echo "$needs does not ship yet: skipped"
    exit 77
fi
if [ ! -f "$data/Data.lib" ]; then
    echo "FAIL: no Data.lib in $data: build the content target first" >&2
    exit 1
fi
if [ ! -f "$replay" ]; then
    echo "FAIL: no golden $replay: record it with scripts/make-golden-replays" >&2
    exit 1
fi
if ! "$game" --replay "$replay" --data "$data"; then
    echo "FAIL: $replay no longer plays as recorded. If the change is meant to" >&2
    echo "alter the game, record the goldens again (scripts/make-golden-replays)" >&2
    echo "and say why in the commit." >&2
    exit 1
fi
