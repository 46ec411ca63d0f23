#!/usr/bin/env bash
# Speaking while editing, as the user hears it: tavi on a private X server, keys typed with
# xdotool, and what it said read back from its speech log.
#   tavi_e2e.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"

e2e_start_x
e2e_start_tavi "$1"
e2e_log_in anna
sleep 0.2
before=$(log_lines)

# What the user types, a step at a time.
xdotool type --delay 80 'a6'                     # a, then â at key-down
xdotool key --delay 80 space                     # the word just ended
xdotool type --delay 80 'o7'                     # o, then ơ once it is in the text
xdotool key --delay 80 BackSpace BackSpace BackSpace BackSpace Left # ơ, the space, â whole, then edges
xdotool type --delay 80 'xin'
xdotool key --delay 80 Left Left ctrl+Right alt+F1 Home End F8 # passing, words, position, selection
xdotool key --delay 80 F9 y shift+F9 z            # no echo, then character echo again
xdotool key --delay 80 shift+Left shift+Left ctrl+c End ctrl+BackSpace # what changed
xdotool key --delay 80 F5 w Left                  # speech off: only the farewell
sleep 0.5

expected=$'vi\ta
vi\tâ
vi\tâ
vi\to
vi\tơ
vi\tzzzmeslg ơ
vi\tzzzmeslg zzzmesev
vi\tzzzmeslg â
beep\tBeep.wav
beep\tBeep.wav
vi\tx
vi\ti
vi\tn
vi\tn
vi\ti
vi\txin
vi\tdòng 1 cột 4
vi\t zzzmesfr 
vi\t zzzmesfsa 
vi\tzzzmesgn 
vi\t zzzmesca 
vi\t zzzmescc 
vi\tz
vi\tz
vi\ty
vi\t zzzmesfl yz, 2 zzzmeswd
vi\t zzzmesfsa 
vi\tzzzmeslg xinyz
vi\tzzzmesaf'
said=$(said_since "$before")
if [ "$said" != "$expected" ]; then
    diff <(echo "$expected") <(echo "$said") >&2 || true
    fail "the program did not say what the keys do"
fi
# Every line: milliseconds, voice, text.
grep -qvP '^[0-9]+\t(vi|en|beep)\t' "$E2E_LOG" && fail "a malformed log line"
kill -0 "$E2E_TAVI" 2>/dev/null || fail "the program ended"
echo "tavi_e2e: the program said what the keys do"
