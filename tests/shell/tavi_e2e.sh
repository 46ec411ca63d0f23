#!/usr/bin/env bash
# The real program as its user meets it: tavi on a private X server (Xvfb), keys typed with
# xdotool, and what it said read back from its speech log.
#
#   tavi_e2e.sh TAVI_BINARY
#
# The user's folders, the runtime folder (single-copy lock) and the X display are fresh ones,
# so a running copy or another test run is never touched. Sound goes nowhere (TAVI_AUDIO=null,
# which still times every buffer). Needs the Debian packages xvfb and xdotool.
set -euo pipefail

[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
tavi="$1"
work="$(mktemp -d /tmp/tavi-e2e.XXXXXX)"
xvfb_pid="" tavi_pid=""

cleanup() {
    [ -n "$tavi_pid" ] && kill "$tavi_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "tavi_e2e: $*" >&2
    echo "--- speech log" >&2
    cat "$work/speech.log" >&2 || true
    echo "--- program output" >&2
    cat "$work/tavi.out" >&2 || true
    exit 1
}

# A free display: Xvfb picks it and writes its number.
exec 3<> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.out" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.out")"
export DISPLAY=":$(head -n1 "$work/display")"

export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_RUNTIME_DIR="$work/run" TAVI_AUDIO=null QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
"$tavi" --speech-log "$work/speech.log" >"$work/tavi.out" 2>&1 &
tavi_pid=$!

# The window of that exact title, once it is on the screen.
window() {
    for _ in $(seq 100); do
        local id
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n1) || true
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    fail "no window named $1"
}

# The start-up dialog asks for the user's name.
dialog=$(window '^Soạn Thảo Tavi$')
xdotool windowfocus --sync "$dialog"
xdotool type --delay 30 anna
xdotool key Return
main=$(window 'Khong Ten')
# Without a window manager nothing activates the window: give it the keyboard.
xdotool windowfocus --sync "$main"
sleep 0.5
before=$(wc -l <"$work/speech.log")

# What the user types, a step at a time.
xdotool type --delay 80 'a6'                     # a, then â at key-down
xdotool key --delay 80 space                     # the word just ended
xdotool type --delay 80 'o7'                     # o, then ơ once it is in the text
xdotool key --delay 80 BackSpace BackSpace BackSpace BackSpace Left # ơ, the space, â whole, then edges
xdotool type --delay 80 'xin'
xdotool key --delay 80 Left Left ctrl+Right alt+F1 Home End F8 # passing, words, position, selection
xdotool key --delay 80 F9 y shift+F9 z            # no echo, then character echo again
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
vi\tzzzmesaf'
said=$(tail -n +"$((before + 1))" "$work/speech.log" | cut -f2-)
if [ "$said" != "$expected" ]; then
    diff <(echo "$expected") <(echo "$said") >&2 || true
    fail "the program did not say what the keys do"
fi
# Every line: milliseconds, voice, text.
grep -qvP '^[0-9]+\t(vi|en|beep)\t' "$work/speech.log" && fail "a malformed log line"
kill -0 "$tavi_pid" 2>/dev/null || fail "the program ended"
echo "tavi_e2e: the program said what the keys do"
