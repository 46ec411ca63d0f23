#!/usr/bin/env bash
# The speed of the voice at every step, and the pauses of reading on, through the real program
# under Xvfb (the end-to-end helpers of tests/support/e2e.sh):
#  - the same prose read with F8 at each step from 1 to 13 into a WAV file (TAVI_AUDIO=wav),
#    its length and syllables a second, with the voice's pauses and without;
#  - four sentences read on with Alt+F8 and read whole with F8 (at the normal step, with its
#    pauses: control characters off), played
#    through a private PulseAudio server and recorded from its output: the longest silences of
#    each, so the gaps between sentences read on can be set beside the voice's own pauses.
#   bench/voice_steps.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tests/support/e2e.sh"
tavi=$(realpath "$1")

# The silences of a recording between its first and its last sound (below 1% of full scale,
# 16-bit mono), as "count longest_ms silences_of_150_ms_and_more".
silences() {
    python3 - "$1" <<'PY'
import sys, wave, array
w = wave.open(sys.argv[1])
rate = w.getframerate()
s = array.array('h', w.readframes(w.getnframes()))
loud = [i for i in range(0, len(s), 22) if abs(s[i]) >= 328]
runs, last = [], None
for i in loud:
    if last is not None and i - last > rate // 100:
        runs.append((i - last) * 1000 // rate)
    last = i
long = [r for r in runs if r >= 150]
print(len(long), max(runs or [0]), ' '.join(map(str, long)))
PY
}

prose="Tôi đọc văn bản cho bạn nghe mỗi ngày, từ sáng sớm đến tối muộn, không bao giờ thấy mệt. Bạn có thể nghe nhanh hơn khi đã quen giọng đọc này."
syllables=$(echo "$prose" | wc -w)
printf "%s" "$prose" >"$E2E_WORK/prose.txt"
e2e_start_x
export TAVI_AUDIO="wav:$E2E_WORK/heard.wav"
e2e_start_tavi "$tavi" "$E2E_WORK/prose.txt"
e2e_log_in bench
wait_said " zzzmesem "
from=$(log_lines)
xdotool key shift+F6 shift+F6
wait_said " zzzmesrt 1" "$from"
# The prose read with F8, its length in ms: with the voice's pauses (control characters off,
# as reading on reads), or with punctuation read by its names and no pauses (the default).
read_ms() {
    local from
    from=$(log_lines)
    xdotool key ctrl+F8
    wait_said "$1" "$from"
    from=$(log_lines)
    xdotool key ctrl+a F8
    wait_said "$prose" "$from"
    wav_ms "$E2E_WORK/heard.wav"
}
echo "$syllables syllables of prose read with F8 into a WAV file: ms and syllables a second,"
echo "with the voice's pauses and with punctuation read by its names"
echo "step  multiple  paused_ms  syl/s  named_ms  syl/s"
multiples=(0.5 0.75 1.0 1.25 1.5 1.75 2.0 2.5 3.0 3.5 4.0 4.5 5.0)
for step in $(seq 13); do
    paused=$(read_ms zzzmesak)
    named=$(read_ms zzzmesaja)
    awk -v s="$step" -v m="${multiples[$((step - 1))]}" -v p="$paused" -v q="$named" \
        -v n="$syllables" 'BEGIN { printf "%4d  %8s  %9d  %5.2f  %8d  %5.2f\n", s, m, p,
                                   n * 1000 / p, q, n * 1000 / q }'
    [ "$step" = 13 ] && break
    from=$(log_lines)
    xdotool key shift+F7
    wait_said " zzzmesrt $((step + 1))" "$from"
done
kill "$E2E_TAVI"
wait "$E2E_TAVI" 2>/dev/null || true
rm -f "$XDG_STATE_HOME"/tavi/*.recovery "$XDG_CONFIG_HOME"/tavi/registry.reg

pulse="$E2E_WORK/pulse"
trap '"$top/tests/speech/pulse-server.sh" stop "$pulse"; e2e_cleanup' EXIT
"$top/tests/speech/pulse-server.sh" start "$pulse" || fail "no sound server"
export PULSE_SERVER="unix:$pulse/pulse/native" TAVI_AUDIO=qt
book="Đây là câu thứ nhất của sách. Câu thứ hai dài hơn một chút, có dấu phẩy. Câu thứ ba ngắn. Câu thứ tư là câu cuối cùng."
printf "%s" "$book" >"$E2E_WORK/book.txt"
e2e_start_tavi "$tavi" "$E2E_WORK/book.txt"
e2e_log_in bench
wait_said " zzzmesem "
# Records the sound server's output while the keys are read, until the voice is quiet.
record() {
    parec --latency-msec=10 -d tavi_test.monitor --file-format=wav --format=s16le --rate=22050 \
        --channels=1 "$E2E_WORK/$1.wav" &
    local rec=$!
    sleep 0.5
    xdotool key ctrl+Home $2
    sleep 15
    kill "$rec"
    wait "$rec" 2>/dev/null || true
    echo "$1: $(silences "$E2E_WORK/$1.wav")"
}
echo "silences of 150 ms and more: count, longest silence (ms), each (ms)"
record read-on alt+F8
# F8 reads with the editing flags: punctuation read by its names, without pauses, unless
# control characters are off (Ctrl+F8). The prompt "all selected" comes first.
xdotool key Escape ctrl+F8
record whole "ctrl+a F8"
