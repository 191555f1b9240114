#!/bin/bash
# One end-to-end case: the real game, headless, on the Data.lib the build
# generated, driven by tests/e2e/<case>.script; the screenshots it takes are
# then checked with e2e_pngstats.
#
#   run.sh CASE BRETTSPALT PNGSTATS DATA_DIR WORK_DIR
#
# WORK_DIR is emptied first; the screenshots stay there for a look after a
# failure. High scores go to WORK_DIR/share, never to the player's own table.
set -euo pipefail

if [ $# -ne 5 ]; then
    echo "usage: run.sh CASE BRETTSPALT PNGSTATS DATA_DIR WORK_DIR" >&2
    exit 2
fi
case_name=$1
game=$2
pngstats=$3
data=$4
work=$5
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
script=$here/$case_name.script

if [ ! -f "$data/Data.lib" ]; then
    echo "FAIL: no Data.lib in $data: build the content target first" >&2
    exit 1
fi
[ -f "$script" ] || { echo "FAIL: no script $script" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/share"
cd "$work"
export XDG_DATA_HOME="$work/share"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# stat FILE NAME [X0 Y0 X1 Y1] -> the value of one statistic of a screenshot
stat() {
    local file=$1 name=$2
    shift 2
    local key value
    while read -r key value; do
        if [ "$key" = "$name" ]; then
            echo "$value"
            return 0
        fi
    done < <("$pngstats" stats "$file" "$@")
    echo "FAIL: no statistic $name for $file" >&2
    return 1
}

# differing FILE1 FILE2 [X0 Y0 X1 Y1] -> the number of pixels that differ
differing() {
    local key value
    while read -r key value; do
        if [ "$key" = differing ]; then
            echo "$value"
            return 0
        fi
    done < <("$pngstats" diff "$@")
    echo "FAIL: could not compare $1 and $2" >&2
    return 1
}

# looks_drawn FILE WHAT X0 Y0 X1 Y1: the region holds a real picture, not an
# empty, black or single-colour frame.
looks_drawn() {
    local file=$1 what=$2
    shift 2
    local colours commonest black
    colours=$(stat "$file" colours "$@")
    commonest=$(stat "$file" commonest-permille "$@")
    black=$(stat "$file" black-permille "$@")
    echo "$what: $colours colours, commonest colour $commonest per mille, black $black per mille"
    [ "$colours" -ge 64 ] || fail "$what shows only $colours colours"
    [ "$commonest" -le 500 ] || fail "$what is mostly one colour ($commonest per mille)"
    [ "$black" -le 100 ] || fail "$what is mostly black ($black per mille)"
}

# The run itself: it must start, play the script to its end and report.
if ! "$game" --headless --seed 7 --data "$data" --script "$script" >run.out 2>run.err; then
    cat run.err >&2
    echo "FAIL: the game ended with an error" >&2
    exit 1
fi
cat run.out
report=$(<run.out)
[[ $report == "end time "* ]] || fail "the run did not report its end"

# The play band: frame-buffer rows 80 to 519 (the head-up display and the
# street); the host presents only these rows during play.
band=(0 80 800 520)
# The head-up display's score (right) and clock (left), and a part of the
# street right of the player that nothing should touch while he stands still.
score_box=(560 80 800 120)
clock_box=(0 80 130 120)
still_box=(560 130 800 440)

case "$case_name" in
menu_and_level)
    # Main menu, start-level choice, and the first level once play runs.
    looks_drawn menu.png "main menu" 0 0 800 600
    looks_drawn select.png "start-level choice" 0 0 800 600
    looks_drawn level.png "first level" "${band[@]}"
    changed=$(differing menu.png select.png)
    [ "$changed" -ge 240000 ] || fail "the start-level choice looks like the main menu ($changed pixels differ)"
    changed=$(differing menu.png level.png "${band[@]}")
    [ "$changed" -ge 200000 ] || fail "the level looks like the main menu ($changed pixels differ)"
    ;;
saw_scores)
    # The player turns to the piece behind him and saws it through, standing
    # still: the score in the head-up display changes, the piece changes, and
    # the street beside him stays as it was (so the change is not scrolling).
    looks_drawn before.png "level before sawing" "${band[@]}"
    moved=$(differing before.png after.png "${still_box[@]}")
    [ "$moved" -eq 0 ] || fail "the street moved while the player sawed ($moved pixels): the comparison is void"
    score=$(differing before.png after.png "${score_box[@]}")
    echo "score display: $score pixels changed"
    [ "$score" -ge 20 ] || fail "the score did not change after sawing a piece through ($score pixels)"
    piece=$(differing before.png after.png 220 380 330 490)
    echo "piece: $piece pixels changed"
    [ "$piece" -ge 4000 ] || fail "the piece in front of the player looks unsawn ($piece pixels changed)"
    ;;
pause_holds_clock)
    # Escape pauses: the pause panel shows and the clock stands still however
    # long the pause; Escape again resumes and the clock runs on.
    panel=$(differing playing.png paused1.png 250 120 550 300)
    [ "$panel" -ge 2000 ] || fail "no pause panel appeared ($panel pixels changed)"
    held=$(differing paused1.png paused2.png "${clock_box[@]}")
    [ "$held" -eq 0 ] || fail "the clock ran during the pause ($held pixels changed)"
    ran=$(differing paused2.png resumed.png "${clock_box[@]}")
    [ "$ran" -ge 20 ] || fail "the clock did not run on after the pause ($ran pixels changed)"
    gone=$(differing playing.png resumed.png 250 120 550 300)
    [ "$gone" -lt "$panel" ] || fail "the pause panel did not go away"
    ;;
*)
    echo "FAIL: unknown case $case_name" >&2
    exit 2
    ;;
esac

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; screenshots in $work" >&2
    exit 1
fi
echo "ok: $case_name"
