#!/usr/bin/env bash
# A save killed at random moments: robust_save_loop writes table A and table B
# in turn, and is killed with SIGKILL after a random 1-200 ms, ROUNDS times.
# Each time the table left behind must be A or B, whole, and the temporary file
# of the interrupted save must be gone after the next start.
#   killed_save.sh SAVE_LOOP WORK_DIR [ROUNDS]
set -euo pipefail
loop=$1 work=$2 rounds=${3:-100}
rm -rf "$work" && mkdir -p "$work"
seen_a=0 seen_b=0
for ((round = 1; round <= rounds; round++)); do
  "$loop" "$work" > "$work/out" &
  pid=$!
  # Wait until it saves, then let it run for a random while.
  for _ in $(seq 1 500); do [ -s "$work/out" ] && break; sleep 0.01; done
  sleep "0.$(printf '%03d' $((RANDOM % 200 + 1)))"
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if ! which=$("$loop" "$work" check); then
    echo "round $round: the table is $which after the kill" >&2
    exit 1
  fi
  if [ -e "$work/HiScore.dat.new" ]; then
    echo "round $round: HiScore.dat.new survived the start" >&2
    exit 1
  fi
  case $which in A) seen_a=$((seen_a + 1)) ;; B) seen_b=$((seen_b + 1)) ;; esac
done
echo "killed_save: $rounds kills, table A left $seen_a times, table B $seen_b times"
