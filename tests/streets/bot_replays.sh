#!/usr/bin/env bash
# The bot plays the real game the same way twice from one seed: the street
# line and the last frame's hash agree byte for byte, and the first street is
# won. A second seed must also give a complete line.
#   bot_replays.sh BRETTSPALT DATA_DIR WORK_DIR
set -eu
brettspalt=$1 data=$2 work=$3
mkdir -p "$work"
export XDG_DATA_HOME="$work/save"
run() { "$brettspalt" --headless --bot --level "$1" --seed "$2" --data "$data"; }
a=$(run 1 7); b=$(run 1 7)
echo "$a"
[ "$a" = "$b" ] || { echo "two runs of seed 7 differ:"; echo "$b"; exit 1; }
echo "$a" | grep -Eq '^street +1 won +left +[0-9]+ of +[0-9]+ s score +[1-9][0-9]* lives-used 0 frames [0-9]+$' \
    || { echo "street 1 was not won cleanly"; exit 1; }
echo "$a" | grep -q '^end time ' || { echo "no end line"; exit 1; }
c=$(run 11 8)
echo "$c"
echo "$c" | grep -Eq '^street 11 (won|lost) ' || { echo "no line for street 11"; exit 1; }
