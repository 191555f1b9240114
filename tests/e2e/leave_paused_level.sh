#!/bin/bash
# Leaving a street for the menu stops the street's sounds. The real game runs
# headless with --sound-log while the saw and the material loop run; the
# street is paused, and then left for the main menu, once through the pause
# menu's "Main menu" button and once through F8 (after the cheat code). The
# log is replayed: in the menu nothing may stay paused and only the menu's
# music may loop.
#
#   leave_paused_level.sh BRETTSPALT DATA_DIR WORK_DIR
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: leave_paused_level.sh BRETTSPALT DATA_DIR WORK_DIR" >&2
    exit 2
fi
game=$1
data=$2
work=$3
if [ ! -f "$data/Data.lib" ]; then
    echo "FAIL: no Data.lib in $data: build the content target first" >&2
    exit 1
fi
rm -rf "$work"
mkdir -p "$work/share"
cd "$work"
export XDG_DATA_HOME="$work/share"

# Into the first street, turn to the dresser and saw; pause while sawing and
# let go of Space in the pause (the saw's stop is refused while paused).
street() {
    cat <<'SCRIPT'
500 type xxxx74qv19
1000 key Enter down
+100 key Enter up
2000 key Enter down
+100 key Enter up
4000 key Left down
+60 key Left up
5100 key Space down
7000 key Escape down
+100 key Escape up
7500 key Space up
SCRIPT
}
{ street; printf '%s\n' "8000 key Up down" "+100 key Up up" "8500 key Enter down" \
    "+100 key Enter up" "11000 hash"; } >menu_button.script
{ street; printf '%s\n' "8000 key F8 down" "+100 key F8 up" "11000 hash"; } >f8.script

failures=0
for case in menu_button f8; do
    "$game" --headless --seed 7 --data "$data" --script "$case.script" \
        --sound-log "$case.log" >"$case.out" 2>&1 || {
        cat "$case.out" >&2
        echo "FAIL: $case: the game ended with an error" >&2
        failures=$((failures + 1))
        continue
    }
    # Replays the log: which loops would sound, and whether all is paused.
    # A loop started while paused does not start.
    verdict=$(awk '
        $6 != "ok" { next }
        $2 == "pause" { paused = 1; for (k in on) at_pause[k] = 1 }
        $2 == "resume" { paused = 0 }
        $2 == "loop-start" && !paused { on[$3 " " $4 " " $5] = 1 }
        $2 == "loop-stop" { delete on[$3 " " $4 " " $5] }
        $2 == "stop-all" { for (k in on) delete on[k] }
        END {
            if (!("SOUND_Saw 0 1" in at_pause)) print "the saw was not running when the street was paused"
            if (paused) print "the sound is still paused in the menu"
            for (k in on) if (k != "decoded:SOUND_Music 0 0") print "still looping in the menu: " k
            if (!("decoded:SOUND_Music 0 0" in on)) print "the menu music does not play"
        }' "$case.log")
    if [ -n "$verdict" ]; then
        echo "FAIL: $case:" >&2
        echo "$verdict" >&2
        failures=$((failures + 1))
    else
        echo "ok: $case"
    fi
done
if [ "$failures" -ne 0 ]; then
    echo "the sound logs are in $work" >&2
    exit 1
fi
