#!/usr/bin/env bash
# The real program and a sound server that comes and goes, on PulseAudio and on PipeWire: the
# server is ended by its pid while the program reads on and started again, several times; the
# program goes on (its speech log still growing), and the monitor of the server's output hears
# it again without a key. A server that accepts and never answers, at start: the window works,
# typing lands and SIGTERM ends the program.
#   tavi_soundserver_e2e.sh TAVI [ROUNDS]
source "$(dirname "$0")/../support/e2e.sh"
tavi="$1" rounds="${2:-5}"
server="$(dirname "$0")/../speech/pulse-server.sh"
e2e_start_x
pulse="$E2E_WORK/pulse"
trap '"$server" stop "$pulse"; e2e_cleanup' EXIT
export PULSE_SERVER="unix:$pulse/pulse/native" TAVI_AUDIO=pulse

for n in $(seq 200); do
    echo "Đây là câu thứ $n của cuốn sách dài, đọc liền từng câu một."
done >"$E2E_WORK/book.txt"

# The loudest level heard on the server's output in the next $1 seconds (sox's RMS, 0 to 1).
heard() {
    timeout "$1" parec --latency-msec=20 -d @DEFAULT_MONITOR@ --raw --format=s16le --rate=22050 \
        --channels=1 >"$E2E_WORK/rec.raw" 2>/dev/null || true
    sox -t raw -r 22050 -e signed -b 16 -c 1 "$E2E_WORK/rec.raw" -n stat 2>&1 |
        awk '/RMS +amplitude/ { print $3 }'
}

loud() { awk -v v="${1:-0}" 'BEGIN { exit !(v > 0.005) }'; }

alive() { kill -0 "$E2E_TAVI" 2>/dev/null || fail "the program ended ($1)"; }

for kind in pulseaudio pipewire; do
    "$server" start "$pulse" "$kind" || fail "no $kind server"
    : >"$E2E_LOG"
    e2e_start_tavi "$tavi" "$E2E_WORK/book.txt"
    e2e_log_in anna
    wait_said " zzzmesem "
    xdotool key ctrl+Home alt+F8
    wait_said "Đây là câu thứ 2 của cuốn sách dài, đọc liền từng câu một."
    loud "$(heard 2)" || fail "$kind: reading on is not heard"
    for round in $(seq "$rounds"); do
        "$server" stop "$pulse"
        before=$(log_lines)
        # Reading goes on in silence, a sentence (some four seconds) after another.
        for _ in $(seq 100); do
            [ "$(log_lines)" -gt "$before" ] && break
            sleep 0.1
        done
        alive "$kind, round $round, server ended"
        [ "$(log_lines)" -gt "$before" ] || fail "$kind, round $round: reading stopped with the server"
        "$server" start "$pulse" "$kind" || fail "no $kind server again"
        # Heard again within a few seconds, with no key pressed.
        level=0
        for _ in 1 2 3 4; do
            level=$(heard 1.5)
            loud "$level" && break
        done
        loud "$level" || fail "$kind, round $round: silent after the server came back ($level)"
    done
    # A key stops reading on; the next one is heard.
    xdotool key Right
    sleep 1
    xdotool key ctrl+Right
    loud "$(heard 1.5)" || fail "$kind: a key after the last restart is not heard"
    alive "$kind, at the end"
    kill "$E2E_TAVI"
    wait "$E2E_TAVI" 2>/dev/null || true
    rm -f "$XDG_STATE_HOME"/tavi/*.recovery
    "$server" stop "$pulse"
    echo "$kind: $rounds restarts while reading on, heard again each time"
done

# A server that takes the connection and never answers.
python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen(16)
held = []
end = time.time() + 120
s.settimeout(1)
while time.time() < end:
    try:
        held.append(s.accept()[0])
    except socket.timeout:
        pass
' "$E2E_WORK/hung.sock" &
hung=$!
export PULSE_SERVER="unix:$E2E_WORK/hung.sock"
: >"$E2E_LOG"
e2e_start_tavi "$tavi"
e2e_log_in binh
sleep 1
from=$(log_lines)
xdotool type --delay 50 "abc"
echoed "abc" "$from" || fail "typing is not echoed with a server that never answers"
kill -TERM "$E2E_TAVI"
for _ in $(seq 50); do
    kill -0 "$E2E_TAVI" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$E2E_TAVI" 2>/dev/null && fail "SIGTERM did not end the program beside a hung server"
E2E_TAVI=""
kill "$hung" 2>/dev/null || true
echo "tavi_soundserver_e2e: a server that never answers leaves the window working"
