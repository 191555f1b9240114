#!/bin/bash
# The sound cues of a scripted level, on the Data.lib the build generated:
# the real game runs headless through tests/e2e/sound_cues.script with
# --sound-log, and the log must show the music of the menu and of the street,
# the saw started, looping and stopped, the dresser's cuts in the order its
# #OBJPROP SOUND line gives, its material loop, and the countdown of the last
# seconds. Which item each cue plays is read from the shipped configuration
# texts, so the check follows a change of the content.
#
#   sound_cues.sh BRETTSPALT DATA_DIR CONFIG_DIR WORK_DIR
#
# WORK_DIR is emptied first; the log stays there for a look after a failure.
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: sound_cues.sh BRETTSPALT DATA_DIR CONFIG_DIR WORK_DIR" >&2
    exit 2
fi
game=$1
data=$2
config=$3
work=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
script=$here/sound_cues.script
# The piece right behind the player at the start of the first street.
piece=Kommode

if [ ! -f "$data/Data.lib" ]; then
    echo "FAIL: no Data.lib in $data: build the content target first" >&2
    exit 1
fi
rm -rf "$work"
mkdir -p "$work/share"
cd "$work"
export XDG_DATA_HOME="$work/share"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# The first and the last line of the input (awk reads to the end, so no
# writer is cut off by a closed pipe).
first() { awk 'NR == 1'; }
last() { awk 'END { print }'; }

run() {
    "$game" --headless --seed 7 --data "$data" --script "$script" "$@"
}
if ! run --sound-log sound.log >run.out 2>run.err; then
    cat run.err >&2
    echo "FAIL: the game ended with an error" >&2
    exit 1
fi
cat run.out
[ -s sound.log ] || { echo "FAIL: no sound log was written" >&2; exit 1; }

# The sound log must not change the run: the same frames without it.
run >plain.out 2>/dev/null || fail "the run without a sound log failed"
[ "$(tail -n 1 run.out)" = "$(tail -n 1 plain.out)" ] ||
    fail "the run ends differently without a sound log: $(tail -n 1 plain.out)"

# Every line: TIME KIND ENTRY SEQUENCE ITEM RESULT.
bad=$(awk 'NF != 6 || $1 !~ /^[0-9]+$/ || ($6 != "ok" && $6 != "refused") ||
           $2 !~ /^(play|loop-start|loop-stop|pause|resume|stop-all|decode)$/' sound.log | first)
[ -z "$bad" ] || fail "malformed lines in the sound log: $bad"
unnamed=$(awk '$3 == "?"' sound.log | first)
[ -z "$unnamed" ] || fail "sounds the log could not name: $unnamed"

# prop FILE KEYWORD KIND NAME -> the words after the name on the line
# "#KEYWORD KIND NAME ..." of a configuration text (CR LF allowed).
prop() {
    local words
    words=$(tr -d '\r' <"$1" | awk -v k="#$2" -v t="$3" -v n="$4" '
        $1 == k && $2 == t && $3 == n { for (i = 4; i <= NF; i++) printf "%s ", $i; exit }')
    if [ -z "$words" ]; then
        echo "FAIL: no #$2 $3 $4 line in $1" >&2
        return 1
    fi
    echo "$words"
}
# Configuration lines count sequences from 1 and write a loop as item + 1000;
# the log gives the archive's own numbers: "ENTRY SEQUENCE ITEM".
item() {
    local seq=$2 it=$3
    [ "$seq" -lt 0 ] && seq=$((-seq))
    [ "$it" -ge 1000 ] && it=$((it - 1000))
    echo "$1 $((seq - 1)) $it"
}

# name_of KIND "ENTRY SEQ ITEM" [FROM] -> the times of the lines of that kind
# and item that were answered ok, from time FROM on.
times_of() {
    awk -v kind="$1" -v name="$2" -v from="${3:-0}" '
        $2 == kind && ($3 " " $4 " " $5) == name && $6 == "ok" && $1 >= from { print $1 }' sound.log
}

# ---- Music: the menu piece from the start, the street's piece once play starts.
# The items of SOUND_Music are listed in docs/sounds.md: 0 the menu, 1 the street.
menu_music="decoded:SOUND_Music 0 0"
street_music="decoded:SOUND_Music 0 1"
level_starts=2000 # the script's second Enter
menu_on=$(times_of loop-start "$menu_music" | first)
[ -n "$menu_on" ] && [ "$menu_on" -lt 1000 ] ||
    fail "the menu music did not start in the menu (loop-start at '${menu_on}')"
menu_off=$(times_of loop-stop "$menu_music" "$level_starts" | first)
street_on=$(times_of loop-start "$street_music" "$level_starts" | first)
[ -n "$menu_off" ] || fail "the menu music was not stopped for the street"
[ -n "$street_on" ] || fail "the street's music did not start"
if [ -n "$menu_off" ] && [ -n "$street_on" ]; then
    [ "$menu_off" -le "$street_on" ] || fail "the street's music started before the menu's stopped"
    echo "music: menu from $menu_on ms, street from $street_on ms"
fi
starts=$(awk '$2 == "loop-start" && $3 ~ /SOUND_Music/ && $6 == "ok"' sound.log | wc -l)
[ "$starts" -eq 2 ] || fail "the music was started $starts times, not twice"

# ---- The saw: swung (one-shot), running as a loop while it cuts, stopped after.
read -r -a swing <<<"$(prop "$config/AnimProps.txt" ANIMPROP SOUND AII_PlayerLeftSwingSaw)"
read -r -a saw <<<"$(prop "$config/AnimProps.txt" ANIMPROP SOUND AII_PlayerLeftSaw)"
[ "${saw[2]}" -ge 1000 ] || fail "the saw's running sound is no loop (${saw[*]})"
swing_item=$(item "${swing[@]}")
saw_item=$(item "${saw[@]}")
swung=$(times_of play "$swing_item" | first)
saw_on=$(times_of loop-start "$saw_item" | first)
[ -n "$swung" ] || fail "the saw was not swung ($swing_item)"
[ -n "$saw_on" ] || fail "the saw's loop did not start ($saw_item)"
saw_off=$(times_of loop-stop "$saw_item" "${saw_on:-0}" | first)
[ -n "$saw_off" ] || fail "the saw's loop was not stopped ($saw_item)"
saw_starts=$(times_of loop-start "$saw_item" | wc -l)
[ "$saw_starts" -eq 1 ] || fail "the saw's loop started $saw_starts times while sawing one piece"

# ---- The piece's cuts, in the order of its #OBJPROP SOUND line, and its
# material loop while the chain bites.
read -r -a cuts <<<"$(prop "$config/ObjectProps.txt" OBJPROP SOUND "$piece")"
read -r -a material <<<"$(prop "$config/ObjectProps.txt" OBJPROP MATSOUNDLOOP "$piece")"
asset=${cuts[0]}
seq=$((cuts[1] - 1))
expected="$asset $seq ${cuts[2]},$asset $seq ${cuts[3]},$asset $seq ${cuts[4]},$asset $seq ${cuts[5]}"
heard=$(awk -v a="$asset" '$2 == "play" && $3 == a && $6 == "ok" { print $3 " " $4 " " $5 }' sound.log |
    paste -sd, -)
echo "cuts of $piece: $heard"
[ "$heard" = "$expected" ] || fail "the cuts of $piece were '$heard', not '$expected'"
cut_times=$(awk -v a="$asset" '$2 == "play" && $3 == a && $6 == "ok" { print $1 }' sound.log)
first_cut=$(echo "$cut_times" | first)
last_cut=$(echo "$cut_times" | last)
if [ -n "$saw_on" ] && [ -n "$saw_off" ] && [ -n "$first_cut" ]; then
    [ "$saw_on" -lt "$first_cut" ] && [ "$last_cut" -le "$saw_off" ] ||
        fail "the cuts ($first_cut..$last_cut ms) do not fall while the saw runs ($saw_on..$saw_off ms)"
    echo "saw: swung at $swung ms, running $saw_on..$saw_off ms"
fi
material_item=$(item "${material[@]}")
bite_on=$(times_of loop-start "$material_item" | first)
bite_off=$(times_of loop-stop "$material_item" "${bite_on:-0}" | first)
[ -n "$bite_on" ] && [ -n "$bite_off" ] ||
    fail "the material loop $material_item of $piece did not start and stop"
if [ -n "$bite_on" ] && [ -n "$bite_off" ] && [ -n "$first_cut" ]; then
    [ "$bite_on" -lt "$first_cut" ] && [ "$last_cut" -le "$bite_off" ] ||
        fail "the material loop ($bite_on..$bite_off ms) does not cover the cuts"
fi

# ---- The countdown: the last seconds of the street's clock, six beeps a
# second apart.
read -r -a countdown <<<"$(prop "$config/AnimProps.txt" ANIMPROP SOUND AII_CountDown)"
countdown_item=$(item "${countdown[@]}")
beeps=$(times_of play "$countdown_item")
count=$(echo "$beeps" | grep -c . || true)
echo "countdown ($countdown_item): $count beeps at" $beeps
[ "$count" -eq 6 ] || fail "the countdown beeped $count times, not 6"
gaps=$(echo "$beeps" | awk 'NR > 1 { d = $1 - p; if (d < 900 || d > 1100) print d } { p = $1 }')
[ -z "$gaps" ] || fail "the countdown's beeps are not a second apart (gaps $gaps ms)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; the sound log is $work/sound.log" >&2
    exit 1
fi
echo "ok: sound_cues"
