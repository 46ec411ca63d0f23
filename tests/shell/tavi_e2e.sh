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

# Broken installations: a sound dictionary whose data is cut short, an espeak-ng without its
# data, a list of the program folder missing and settings that cannot be read, then both voices
# broken (the index cut short). Each start says what it lost, after the
# name, with the voice that is left (espeak-ng's own Vietnamese voice, the Vietnamese voice, a
# pattern of beeps), shows no box, and the keys typed next land in the document.
tavi="$1"
data="$(cd "$(dirname "$tavi")/../share/tavi" && pwd)"
broken="$E2E_WORK/broken" && mkdir -p "$broken/empty"
cp -rs "$data" "$broken/data"
rm "$broken/data/dict.dat" "$broken/data/dict.idx"
head -c $(($(stat -c %s "$data/dict.dat") / 2)) "$data/dict.dat" >"$broken/data/dict.dat"
cp "$data/dict.idx" "$broken/data/dict.idx"
restart() { # restart USER VARIABLE=VALUE...: the next start, in a broken installation
    kill "$E2E_TAVI" && wait "$E2E_TAVI" 2>/dev/null || true
    local user="$1"
    shift
    start=$(log_lines)
    env "$@" "$tavi" --speech-log "$E2E_LOG" >>"$E2E_WORK/tavi.out" 2>&1 &
    E2E_TAVI=$!
    e2e_log_in "$user"
}
typed_lands() { # what was typed after the start is the whole document: no box took the keys
    xdotool type --delay 80 'xin chao'
    xdotool key --delay 80 ctrl+a F8
    wait_said 'xin chao' "$start"
}
restart binh "TAVI_DATA_DIR=$broken/data"
wait_said 'Không dùng được tự điển giọng Việt, cần cài lại ta vi.' "$start"
said_since "$start" | grep -qxF $'en\tKhông dùng được tự điển giọng Việt, cần cài lại ta vi.' ||
    fail "the damaged dictionary was not said in espeak-ng's voice"
typed_lands
cp -rs "$data" "$broken/nodot" && rm "$broken/nodot/Dot"
mkdir -p "$broken/config/registry.reg" # settings that cannot be read
restart chi "TAVI_DATA_DIR=$broken/nodot" "ESPEAK_DATA_PATH=$broken/empty" \
    "TAVI_CONFIG_DIR=$broken/config"
wait_said ' zzzmesxb zzzmesxg zzzmesxf ' "$start"
typed_lands
head -c 3000 "$data/dict.idx" >"$broken/data/dict.idx"
restart dung "TAVI_DATA_DIR=$broken/data" "ESPEAK_DATA_PATH=$broken/empty"
wait_said 'warning' "$start"
said_since "$start" | grep -qxF $'beep\twarning' || fail "no voice left, and no warning beeps"
typed_lands
for damage in 'Damaged sound data' 'is not a multiple of 29' 'espeak-ng' 'nodot/Dot'; do
    grep -qF "$damage" "$E2E_WORK/tavi.out" || fail "not in the error output: $damage"
done
echo "tavi_e2e: the program said what the keys do, and what a broken installation lost"
