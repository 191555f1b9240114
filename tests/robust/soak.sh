#!/usr/bin/env bash
# A soak of random input: the headless game (normally the sanitizer build)
# is driven by a random script of keys, typed characters, clicks and the
# cheat code (menus, play, pause, name entry and the debug keys all come up)
# for FRAMES frames in all; a run the game ends itself (Quit) is followed by
# another one with the next seed. Every run must end normally.
#   soak.sh GAME DATA_DIR WORK_DIR FRAMES [SEED]
set -euo pipefail
game=$1 data=$2 work=$3 frames=$4 seed=${5:-1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-exitcode=86:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-exitcode=86:print_stacktrace=1:halt_on_error=1}
export XDG_DATA_HOME=$work/save
rm -rf "$work" && mkdir -p "$work/save"

# One event every 30-400 virtual ms until the frames' time is covered.
random_script() {
  awk -v seed="$1" -v until_ms="$2" 'BEGIN {
    srand(seed)
    n = split("Enter Enter Enter Space Space Left Right Left Right Up Down Escape Pause Backspace " \
              "F1 F2 F3 F4 F5 F6 F7 F8 F9 F10 F11 F12 Shift Ctrl Alt", keys, " ")
    m = split("a b c d e q v x 1 4 7 9 0 + -", chars, " ")
    t = 500
    while (t < until_ms) {
      r = rand()
      if (r < 0.55) {
        k = keys[1 + int(rand() * n)]
        printf "%d key %s down\n+%d key %s up\n", t, k, 20 + int(rand() * (rand() < 0.2 ? 3000 : 300)), k
      } else if (r < 0.75) {
        c = chars[1 + int(rand() * m)]
        printf "%d char %s down\n+%d char %s up\n", t, c, 20 + int(rand() * 150), c
      } else if (r < 0.95) {
        printf "%d click %d %d\n", t, int(rand() * 840) - 20, int(rand() * 640) - 20
      } else if (r < 0.98) {
        printf "%d type xxxx74qv19\n", t
      } else {
        printf "%d key Space down\n%d key Right down\n+%d key Right up\n+%d key Space up\n", t, t, 2000, 500
      }
      t += 30 + int(rand() * 370)
    }
  }'
}

done_frames=0 runs=0
while [ "$done_frames" -lt "$frames" ]; do
  left=$((frames - done_frames))
  random_script "$seed" $((left * 17 + 1000)) > "$work/input.script"
  status=0
  timeout -s KILL 1800 "$game" --headless --frames "$left" --seed "$seed" \
    --script "$work/input.script" --data "$data" > "$work/out" 2> "$work/err" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAIL: soak run with seed $seed ended with status $status" >&2
    tail -n 40 "$work/err" >&2
    cp "$work/input.script" "$work/failed-seed-$seed.script"
    exit 1
  fi
  ran=$(sed -n 's/.*frames \([0-9]*\) hash.*/\1/p' "$work/out" | tail -n 1)
  [ -n "$ran" ] && [ "$ran" -gt 0 ] || { echo "FAIL: no frame count from seed $seed" >&2; exit 1; }
  done_frames=$((done_frames + ran))
  runs=$((runs + 1))
  seed=$((seed + 1))
done
echo "soak: $done_frames frames of random input in $runs run(s), no fault"
