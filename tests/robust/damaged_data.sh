#!/usr/bin/env bash
# The game on damaged data, headless: corrupted copies of the shipped
# Data.lib (cut short, bytes flipped, blocks zeroed), damaged Config folders
# beside it and damaged HiScore.dat files. Every run must end normally
# (status 0) or with a message on standard error and status 1 — never a
# signal, a sanitizer report or a hang.
#   damaged_data.sh GAME DAMAGE SOURCE_DIR DATA_DIR WORK_DIR [ARCHIVES]
set -euo pipefail
game=$1 damage=$2 source=$3 data=$4 work=$5 archives=${6:-200}
script=$(dirname "$0")/enter_level.script
# Sanitizer reports end the run with status 86, which no game end uses.
export ASAN_OPTIONS=${ASAN_OPTIONS:-exitcode=86:detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-exitcode=86:print_stacktrace=1:halt_on_error=1}
export XDG_DATA_HOME=$work/save
rm -rf "$work" && mkdir -p "$work/data" "$work/save"
failures=0 runs=0 refused=0

# One headless run on the data folder $work/data; what: the damage.
run() {
  local what=$1 status=0
  runs=$((runs + 1))
  timeout -s KILL 120 "$game" --headless --frames 420 --seed 7 --script "$script" \
    --data "$work/data" > "$work/out" 2> "$work/err" || status=$?
  if [ "$status" -eq 0 ]; then return 0; fi
  if [ "$status" -eq 1 ] && [ -s "$work/err" ]; then
    refused=$((refused + 1))
    return 0
  fi
  failures=$((failures + 1))
  echo "FAIL ($what): status $status" >&2
  tail -n 30 "$work/err" >&2
  return 1
}

# Corrupted archives, one after another (each is as large as the original).
for ((i = 1; i <= archives; i++)); do
  kind=$("$damage" "$data/Data.lib" "$work/data/Data.lib" "$i")
  run "archive $i, $kind" || cp "$work/data/Data.lib" "$work/failed-archive-$i.lib"
done
echo "damaged_data: $archives corrupted archives"

# Damaged Config folders beside the whole archive: each shipped text in turn
# damaged in each of the three ways, then some hand-made cases.
ln -sf "$(cd "$data" && pwd)/Data.lib" "$work/data/Data.lib"
fresh_config() {
  rm -rf "$work/data/Config" && mkdir -p "$work/data/Config"
  cp "$source"/content/config/*.txt "$work/data/Config/"
  rm -f "$work/data/Config/sound-lines.txt"
}
seed=1
for file in Text.txt AnimProps.txt CharProps.txt ObjectProps.txt Level01.txt Level02.txt; do
  for _ in 1 2 3; do
    fresh_config
    kind=$("$damage" "$source/content/config/$file" "$work/data/Config/$file" $((seed++)))
    run "Config/$file $kind" || true
  done
done
fresh_config; rm "$work/data/Config/AnimProps.txt"; run "Config without AnimProps.txt" || true
fresh_config; rm "$work/data/Config/Level01.txt"; run "Config without Level01.txt" || true
fresh_config; rm "$work/data/Config/Text.txt"; mkdir "$work/data/Config/Text.txt"
run "Config/Text.txt a folder" || true
fresh_config; head -c 300000 /dev/urandom > "$work/data/Config/Level01.txt"; run "Config/Level01.txt noise" || true
fresh_config; printf '#OBJECT 1e30 Stuhl\n#VAN -3e38\n#GAS 1e39\n#TIME -2147483648\n#SCROLLSPEED 1 1e39\n#BONUS 2147483647\n' \
  >> "$work/data/Config/Level01.txt"
run "Config/Level01.txt with far-off places" || true
# A level line the reader cannot take: the message reaches standard error.
fresh_config; printf '#OBJECT\n' >> "$work/data/Config/Level01.txt"
if run "Config/Level01.txt with a parse error" && ! grep -q "Parse Error!" "$work/err"; then
  echo "FAIL: the parse error of Level01.txt was not written to standard error" >&2
  failures=$((failures + 1))
fi
rm -rf "$work/data/Config"
echo "damaged_data: damaged Config folders"

# Damaged high-score tables: the game starts with them and ends normally, and
# leaves them as they were when no new score was entered.
table=$work/table.dat
{ printf '\xb3\x12\x76\x0f'; head -c 160 /dev/zero; } > "$table"
for ((i = 1; i <= 12; i++)); do
  mkdir -p "$XDG_DATA_HOME/brettspalt"
  "$damage" "$table" "$XDG_DATA_HOME/brettspalt/HiScore.dat" "$i" > /dev/null
  before=$(cksum < "$XDG_DATA_HOME/brettspalt/HiScore.dat")
  run "HiScore.dat damaged $i" || true
  if [ "$before" != "$(cksum < "$XDG_DATA_HOME/brettspalt/HiScore.dat")" ]; then
    echo "FAIL: HiScore.dat $i was changed by a game without a new score" >&2
    failures=$((failures + 1))
  fi
done
head -c 100000 /dev/urandom > "$XDG_DATA_HOME/brettspalt/HiScore.dat"; run "HiScore.dat noise" || true
rm -f "$XDG_DATA_HOME/brettspalt/HiScore.dat"; mkdir "$XDG_DATA_HOME/brettspalt/HiScore.dat"
run "HiScore.dat a folder" || true
rm -rf "$XDG_DATA_HOME/brettspalt"; printf 'x' > "$XDG_DATA_HOME/brettspalt"
run "save folder a file" || true
echo "damaged_data: damaged high-score tables"

echo "damaged_data: $runs runs ($refused refused with a message), $failures failures"
[ "$failures" -eq 0 ]
