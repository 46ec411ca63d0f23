#!/usr/bin/env bash
# The voices as the user hears them. English words inside Vietnamese text: typed with word
# echo, each English word is echoed by the English voice, and a sentence read with F8 comes out
# as its Vietnamese and English pieces in order. The speed: Shift+F7 makes echo and reading
# shorter (measured in the WAV file the program plays into), and the speed survives a restart.
# Reading on, through a real sound server: Alt+F8 reads a long document from the caret in the
# 16-bit 22050 Hz sound of the dictionary, a key stops it, and Alt+F8 goes on from the word that
# was being heard.
#   tavi_voice_e2e.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"

e2e_start_x
export TAVI_AUDIO="wav:$E2E_WORK/heard.wav"
e2e_start_tavi "$1"
e2e_log_in anna
xdotool key ctrl+F9 # word echo
from=$(log_lines)
xdotool type --delay 60 'To6i du2ng Windows va2 Facebook, gu73i email qua Gmail. '
wait_said "Gmail." "$from"
echoed=$(said_since "$from" | grep -vF zzzmes)
expected=$'vi\tTôi
vi\tdùng
en\tWindows
vi\tvà
en\tFacebook
vi\t,
vi\tgửi
en\temail
vi\tqua
vi\tGmail
vi\tGmail.'
[ "$echoed" = "$expected" ] || {
    diff <(echo "$expected") <(echo "$echoed") >&2 || true
    fail "word echo did not give English words to the English voice"
}

from=$(log_lines)
xdotool key ctrl+a F8
wait_said " qua Gmail. " "$from"
read=$(said_since "$from" | tail -n 7)
expected=$'vi\tTôi dùng 
en\tWindows
vi\t và 
en\tFacebook
vi\t, gửi 
en\temail
vi\t qua Gmail. '
[ "$read" = "$expected" ] || {
    diff <(echo "$expected") <(echo "$read") >&2 || true
    fail "F8 did not read the sentence as its pieces in order"
}
kill -0 "$E2E_TAVI" 2>/dev/null || fail "the program ended"

# Milliseconds of sound in the WAV file of the last utterance (each utterance opens the file anew).
heard_ms() { wav_ms "$E2E_WORK/heard.wav"; }
# Ctrl+Home then Ctrl+Right: the first word is echoed.
echo_first_word() {
    local from
    from=$(log_lines)
    xdotool key ctrl+Home ctrl+Right
    wait_said "Tôi" "$from"
}

read3=$(heard_ms)
echo_first_word
echo3=$(heard_ms)
from=$(log_lines)
xdotool key shift+F7 shift+F7 shift+F7
wait_said " zzzmesrt 6" "$from"
echo_first_word
echo6=$(heard_ms)
from=$(log_lines)
xdotool key ctrl+a F8
wait_said " qua Gmail. " "$from"
read6=$(heard_ms)
echo "speed 3 -> 6: reading ${read3} -> ${read6} ms, word echo ${echo3} -> ${echo6} ms"
[ $((read6 * 100)) -lt $((read3 * 75)) ] || fail "reading at step 6 is not shorter"
[ $((echo6 * 100)) -lt $((echo3 * 80)) ] || fail "echo at step 6 is not shorter"

# The same user again, now through a private PulseAudio server, with a long document.
kill "$E2E_TAVI"
wait "$E2E_TAVI" 2>/dev/null || true
rm -f "$XDG_STATE_HOME"/tavi/*.recovery
pulse="$E2E_WORK/pulse"
trap '"$(dirname "$0")/../speech/pulse-server.sh" stop "$pulse"; e2e_cleanup' EXIT
"$(dirname "$0")/../speech/pulse-server.sh" start "$pulse" || fail "no sound server"
export PULSE_SERVER="unix:$pulse/pulse/native" TAVI_AUDIO=qt
for n in $(seq 300); do
    echo "Đây là câu thứ $n của cuốn sách dài, đọc liền từng câu một."
done >"$E2E_WORK/book.txt"
e2e_start_tavi "$1" "$E2E_WORK/book.txt"
e2e_log_in anna
wait_said " zzzmesem "
from=$(log_lines)
xdotool key shift+F7
wait_said " zzzmesrt 7" "$from" # step 6 was kept
xdotool key shift+F6 ctrl+Home

from=$(log_lines)
xdotool key alt+F8
wait_said "Đây là câu thứ 2 của cuốn sách dài, đọc liền từng câu một." "$from"
stream=$(pactl list sink-inputs | grep -m1 -o '[a-z0-9]* [0-9]*ch [0-9]*Hz' || true)
case "$stream" in
*"s16le 1ch 22050Hz"*) ;;
*) fail "the sound server is not playing the 22050 Hz 16-bit dictionary: $stream" ;;
esac
wait_said "Đây là câu thứ 3 của cuốn sách dài, đọc liền từng câu một." "$from"
xdotool key Right
stopped=$(log_lines)
sleep 1.5
[ "$(log_lines)" = "$stopped" ] || fail "a key did not stop reading on"
xdotool key alt+F8
for _ in $(seq 50); do
    [ "$(log_lines)" != "$stopped" ] && break
    sleep 0.1
done
again=$(said_since "$stopped" | head -n1)
xdotool key Right
case "$again" in
$'vi\t'*" một.") ;;
*) fail "reading on again did not go on with a sentence: $again" ;;
esac
rest=${again#$'vi\t'}
case " Đây là câu thứ 3 của cuốn sách dài, đọc liền từng câu một." in
*" $rest") ;;
*) fail "reading on again did not go on from a word of the third sentence: $rest" ;;
esac
kill -0 "$E2E_TAVI" 2>/dev/null || fail "the program ended"
echo "tavi_voice_e2e: English words in their places; faster at step 6; read on and went on from: $rest"
