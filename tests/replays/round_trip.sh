#!/bin/sh
# A fresh recording must play back to the same result:
#   round_trip.sh BRETTSPALT DATA_DIR headless   a scripted headless run,
#       recorded twice (the same file both times) and replayed: same frames,
#       same score, same last picture
#   round_trip.sh BRETTSPALT DATA_DIR desktop    the real SDL window under a
#       virtual X server with the dummy sound driver, played for a few seconds
#       with keys and the mouse (xdotool) and closed; its replay must match
# Exit 77 means skipped (no Data.lib yet, or no xvfb-run / xdotool).
set -eu
game=$1
data=$2
host=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/share"
export XDG_RUNTIME_DIR="$scratch"
export SDL_AUDIODRIVER=dummy

if [ ! -f "$data/Data.lib" ]; then
    echo "no Data.lib in $data yet: skipped"
    exit 77
fi

# "word value" pairs of a report line -> the value after word
field() {
    echo "$1" | tr ' ' '\n' | sed -n "/^$2\$/{n;p;}" | head -n 1
}

case "$host" in
headless)
    cat >"$scratch/script" <<'SCRIPT'
1000 key Enter down
+100 key Enter up
+400 key Enter down
+100 key Enter up
4000 key Left down
+60 key Left up
4100 mouse 123 456
4200 key Space down
+5000 key Space up
9500 type xxxx74qv19
10000 key F1 down
+100 key F1 up
12000 key Escape down
+100 key Escape up
13000 quit
SCRIPT
    for run in first second; do
        "$game" --headless --data "$data" --seed 5 --script "$scratch/script" \
            --record "$scratch/$run.rep" >"$scratch/$run.out"
    done
    cmp "$scratch/first.rep" "$scratch/second.rep"
    recorded=$(grep '^end' "$scratch/first.out")
    score=$(sed -n 's/^recorded .* score //p' "$scratch/first.out")
    ;;
desktop)
    for tool in xvfb-run xdotool; do
        if ! command -v $tool >/dev/null 2>&1; then
            echo "$tool is not installed: skipped"
            exit 77
        fi
    done
    # Through the menus into the first street, a turn, some sawing, the
    # cheat code and the frame-rate read-out, then the window is closed.
    cat >"$scratch/play" <<PLAY
"$game" --window --data "$data" --record "$scratch/first.rep" >"$scratch/first.out" 2>&1 &
pid=\$!
window=\$(xdotool search --sync --onlyvisible --name Brettspalt | head -n 1)
xdotool windowfocus --sync "\$window"
xdotool mousemove --window "\$window" 300 200
# The game looks at the keys once a frame: each is held for a while.
press() {
    xdotool keydown "\$1"
    sleep 0.15
    xdotool keyup "\$1"
}
sleep 1
press Return
sleep 0.5
press Return
sleep 2.5
press Left
xdotool keydown space
sleep 2
xdotool keyup space
xdotool type --delay 20 xxxx74qv19
press F1
sleep 0.5
kill -TERM \$pid
wait \$pid
PLAY
    if ! timeout 90 xvfb-run -a -s "-screen 0 1024x768x24" sh "$scratch/play"; then
        cat "$scratch/first.out"
        echo "FAIL: the desktop game did not run and end cleanly" >&2
        exit 1
    fi
    cat "$scratch/first.out"
    recorded=$(grep '^recorded' "$scratch/first.out")
    score=$(field "$recorded" score)
    ;;
*)
    echo "usage: round_trip.sh BRETTSPALT DATA_DIR headless|desktop" >&2
    exit 2
    ;;
esac

if ! "$game" --replay "$scratch/first.rep" --data "$data" >"$scratch/replay.out"; then
    cat "$scratch/replay.out"
    echo "FAIL: the recording does not play back as recorded" >&2
    exit 1
fi
replayed=$(cat "$scratch/replay.out")
echo "recorded: $recorded"
echo "replayed: $replayed"
[ -n "$score" ] && [ "$(field "$replayed" score)" = "$score" ] || {
    echo "FAIL: the replay ends with another score than the recording" >&2
    exit 1
}
if [ "$host" = headless ] && [ "$(field "$replayed" hash)" != "$(field "$recorded" hash)" ]; then
    echo "FAIL: the replay's last picture is not the headless run's" >&2
    exit 1
fi
