#!/usr/bin/env bash
# Street validation: the bot plays every shipped street from a full start
# (brettspalt --headless --bot --level N) with five seeds, the streets in
# parallel on every core. A street passes when the bot clears it without
# losing a life with at least three of the five seeds, and the median time
# left (a run that was not a clean win counts as none left) is between 10 %
# and 60 % of the street's TIME (up to 75 % on streets 1 to 3, which teach).
# Prints the whole table; exit status 1 when a street fails.
#
#   validate_streets.sh BRETTSPALT DATA_DIR CONFIG_DIR WORK_DIR [STREETS...]
set -u
brettspalt=$1 data=$2 config=$3 work=$4
shift 4
seeds="1 2 3 4 5"
mkdir -p "$work/runs"
export XDG_DATA_HOME="$work/save"  # high scores stay out of the user's table

streets=("$@")
if [ ${#streets[@]} -eq 0 ]; then
    for f in "$config"/Level[0-9][0-9].txt; do
        n=${f##*/Level}; n=${n%.txt}; streets+=($((10#$n)))
    done
fi

jobs=$(nproc 2>/dev/null || echo 2)
for n in "${streets[@]}"; do
    for s in $seeds; do echo "$n $s"; done
done | xargs -P "$jobs" -n 2 sh -c \
    '"$0" --headless --bot --level "$3" --seed "$4" --data "$1" > "$2/runs/$3-$4.txt" 2>&1' \
    "$brettspalt" "$data" "$work"

for n in "${streets[@]}"; do
    for s in $seeds; do
        line=$(grep -m1 '^street' "$work/runs/$n-$s.txt" || echo "street $n none left 0 of 0 s score 0 lives-used 9 frames 0")
        echo "$n $s $line"
    done
done | awk '
    function median(a, k,   i, j, t) {  # k values in a[1..k]
        for (i = 1; i <= k; ++i) for (j = i + 1; j <= k; ++j) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
        return a[int((k + 1) / 2)]
    }
    {
        n = $1; outcome = $5; left = $7; time[n] = $9; lives = $14
        runs[n]++
        clean = outcome == "won" && lives == 0  # lives lost on the street
        if (clean) wins[n]++
        if (outcome == "won") anywin[n]++
        pct[n, runs[n]] = (clean && $9 > 0) ? 100 * left / $9 : 0
        order[n] = 1
    }
    END {
        printf "%-6s %5s %5s %8s %6s  %s\n", "street", "TIME", "wins", "median%", "band", "result"
        failed = 0
        for (n = 1; n <= 99; ++n) {
            if (!(n in order)) continue
            k = runs[n]
            for (i = 1; i <= k; ++i) v[i] = pct[n, i]
            m = median(v, k)
            hi = n <= 3 ? 75 : 60
            ok = wins[n] >= 3 && m >= 10 && m <= hi
            verdict = ok ? "pass" : (wins[n] < 3 ? "FAIL: too few wins" : (m < 10 ? "FAIL: too tight" : "FAIL: clock never matters"))
            if (!ok) failed++
            printf "%-6d %5d %3d/%d %7.0f%% %3d-%d%%  %s\n", n, time[n], wins[n], k, m, 10, hi, verdict
        }
        printf "%d streets, %d failed\n", length(order), failed
        exit failed ? 1 : 0
    }'
