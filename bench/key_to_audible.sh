#!/usr/bin/env bash
# From a key to its sound on the sound server's output, through the real program on a private
# server (PulseAudio or PipeWire, each in the system's own configuration, which finds no sound
# card here and plays on a null output): ten arrow
# keys after the start, then ten after a minute of reading on. The output's monitor is recorded
# all along; a key's place in the recording is the recording's length when the key is sent (it
# may lag by the recorder's 20 ms, so a figure may be up to that much too long), its sound the
# first sample above 1% of full scale after it. Also prints the latency the server reports for
# the program's stream, which is what it holds ahead of the speaker.
#   bench/key_to_audible.sh TAVI_BINARY [pulseaudio|pipewire] [READ_SECONDS]
# (TAVI_DATA_DIR chooses the data of another build.)
[ $# -ge 1 ] || { echo "usage: $0 TAVI_BINARY [pulseaudio|pipewire] [READ_SECONDS]" >&2; exit 2; }
tavi=$(realpath "$1")
kind=${2:-pulseaudio} reading=${3:-60}
[ "$kind" = pulseaudio ] && kind=pulseaudio-default
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tests/support/e2e.sh"
e2e_start_x
pulse="$E2E_WORK/pulse"
trap '[ -n "${rec:-}" ] && kill "$rec"; "$top/tests/speech/pulse-server.sh" stop "$pulse"; e2e_cleanup' EXIT
"$top/tests/speech/pulse-server.sh" start "$pulse" "$kind" || exit 1
# "qt" is the name both the program and its earlier builds give the sound server.
export PULSE_SERVER="unix:$pulse/pulse/native" PULSE_COOKIE="$pulse/config/pulse/cookie" TAVI_AUDIO=qt
for n in $(seq 400); do
    echo "Đây là câu thứ $n của cuốn sách dài, đọc liền từng câu một."
done >"$E2E_WORK/book.txt"

parec --latency-msec=20 -d @DEFAULT_MONITOR@ --raw --format=s16le --rate=22050 --channels=1 \
    >"$E2E_WORK/rec.raw" 2>/dev/null &
rec=$!

# Sample offsets of the keys, then the delay of each to its sound in ms.
keys=()
press() {
    keys+=($(($(stat -c %s "$E2E_WORK/rec.raw") / 2)))
    xdotool key "$1"
    sleep 1
}
delays() {
    python3 - "$E2E_WORK/rec.raw" "$@" <<'EOF'
import array, statistics, sys
data = array.array("h")
with open(sys.argv[1], "rb") as f:
    raw = f.read()
    data.frombytes(raw[: len(raw) // 2 * 2])
keys = [int(k) for k in sys.argv[2:]]
out = []
for k in keys:
    i = next((j for j in range(k, min(k + 22050 * 3, len(data))) if abs(data[j]) > 327), None)
    out.append(None if i is None else (i - k) * 1000 // 22050)
heard = [d for d in out if d is not None]
print(" ".join("-" if d is None else str(d) for d in out),
      "| median", statistics.median(heard) if heard else "-", "max", max(heard) if heard else "-")
EOF
}
stream_latency() {
    pactl list sink-inputs | awk '/Buffer Latency:|Sink Latency:/ { sub(/^[ \t]*/, ""); printf "%s; ", $0 }'
}

e2e_start_tavi "$tavi" "$E2E_WORK/book.txt"
e2e_log_in anna
wait_said " zzzmesem "
sleep 2
xdotool key ctrl+Home
sleep 1
for _ in $(seq 10); do press Right; done
echo "$kind fresh: key to sound (ms): $(delays "${keys[@]}")"
echo "$kind fresh: stream $(stream_latency)"
keys=()
xdotool key alt+F8
sleep "$reading"
echo "$kind reading on ${reading} s: stream $(stream_latency)"
press Right # stops reading on: not measured
sleep 2
keys=()
for _ in $(seq 10); do press Right; done
echo "$kind after reading: key to sound (ms): $(delays "${keys[@]}")"
