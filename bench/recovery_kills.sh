#!/usr/bin/env bash
# How much typing a kill -9 loses: the real program under Xvfb is typed at (a letter every 40 ms
# or so, each echoed into its speech log) and killed at a random moment; the recovery file is
# then read and what it holds is set against what was typed. The loss of a trial is the time
# between the last letter the file holds and the last letter typed before the kill.
#   bench/recovery_kills.sh TAVI_BINARY TAVITOOL_BINARY [TRIALS]
[ $# -ge 2 ] || { echo "usage: $0 TAVI_BINARY TAVITOOL_BINARY [TRIALS]" >&2; exit 2; }
source "$(dirname "$0")/../tests/support/e2e.sh"
tavi="$1" tavitool="$2" trials="${3:-20}"
letters=$(printf 'abcdefghijklmnopqrstuvwxy%.0s' $(seq 12)) # 300 letters, some 12 s of typing

# The letters the recovery file holds (one user, whatever name reached the start-up dialog).
recovered() {
    local file
    file=$(ls "$XDG_STATE_HOME"/tavi/*.recovery 2>/dev/null | head -n1)
    [ -n "$file" ] || { echo 0; return; }
    # The file: a header, then "name LENGTH", its bytes, "display LENGTH"..., "rtf LENGTH".
    sed -n '/^rtf [0-9]*$/,$p' "$file" | tail -n +2 | "$tavitool" rtf2text |
        tr -cd 'a-y' | wc -c
}

# The log time (ms) of the n-th letter echoed from line $2 on; $1 = 0: the first one's.
echo_time() {
    tail -n +"$(($2 + 1))" "$E2E_LOG" | awk -F'\t' -v n="$1" '
        $2 == "vi" && $3 ~ /^[a-y]$/ { k++; if (k == (n > 0 ? n : 1)) { print $1; exit } }'
}

e2e_start_x
: >"$E2E_LOG"
worst=0
for trial in $(seq "$trials"); do
    export XDG_STATE_HOME="$E2E_WORK/state$trial" # nothing left to offer from the last trial
    start=$(log_lines)
    e2e_start_tavi "$tavi"
    e2e_log_in anna
    xdotool type --delay 80 "$letters" &
    typist=$!
    sleep "$(awk -v s="$RANDOM" 'BEGIN { srand(s); printf "%.2f", 0.2 + rand() * 8 }')"
    kill -9 "$E2E_TAVI"
    kill "$typist" 2>/dev/null || true
    wait "$E2E_TAVI" "$typist" 2>/dev/null || true
    typed=$(tail -n +"$((start + 1))" "$E2E_LOG" | awk -F'\t' '$2 == "vi" && $3 ~ /^[a-y]$/' | wc -l)
    kept=$(recovered)
    [ "$typed" -gt 0 ] || { echo "trial $trial: nothing was typed before the kill"; continue; }
    last=$(echo_time "$typed" "$start")
    # With nothing kept, everything from the first letter on is lost.
    since=$(echo_time "$kept" "$start")
    lost=$((last - since))
    [ "$kept" -gt 0 ] || lost=$((last - $(echo_time 0 "$start") + 40))
    [ "$lost" -ge 0 ] || lost=0 # letters kept whose echo the kill cut off
    [ "$lost" -gt "$worst" ] && worst=$lost
    echo "trial $trial: typed $typed letters, the recovery file holds $kept, lost $lost ms"
done
echo "worst loss over $trials kills: $worst ms"
