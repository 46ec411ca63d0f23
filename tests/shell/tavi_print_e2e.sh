#!/usr/bin/env bash
# Printing by voice, through the real program and a real CUPS scheduler (started by the test
# fixture, cupsserver.sh): Ctrl+P, the default printer chosen with Enter, the job's PDF read
# back as Vietnamese text; then the same document embossed on the raw queue.
#   tavi_print_e2e.sh TAVI_BINARY CUPS_STATE_FILE
[ $# -eq 2 ] || { echo "usage: $0 TAVI_BINARY CUPS_STATE_FILE" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"
tavi="$1"
# shellcheck disable=SC1090
source "$2"
export CUPS_SERVER="$server"

# The newest whole job of a queue ("QUEUE-N": the backend adds the title beside it).
newest() {
    local f
    f=$(ls -t "$jobs" | grep -m1 -x "$1-[0-9]*") || true
    if [ -n "$f" ]; then echo "$jobs/$f"; fi
}
# A job newer than the one seen before, once it is there.
job_after() {
    local f
    for _ in $(seq 100); do
        f=$(newest "$1")
        [ -n "$f" ] && [ "$f" != "$2" ] && { echo "$f"; return; }
        sleep 0.1
    done
    fail "no job arrived on $1"
}

e2e_start_x
e2e_start_tavi "$tavi"
e2e_log_in anna
# "Việt Nam" typed with the accent keys: e6 makes ê, 5 the dot below.
xdotool type --delay 40 'Vie65t Nam'

seen=$(newest Laser)
before=$(log_lines)
xdotool key ctrl+p
focus "$(window '^Chọn máy in$')"
xdotool key Return
wait_said " zzzmesft " "$before"
pdf=$(job_after Laser "$seen")
text=$(pdftotext -enc UTF-8 "$pdf" -)
[ "$(echo "$text" | head -n1)" = "Việt Nam" ] || fail "the printed PDF reads '$text'"

# The embosser: the raw queue, the embosser box checked with Space.
focus "$E2E_MAIN"
seen=$(newest Embosser)
before=$(log_lines)
xdotool key ctrl+p
focus "$(window '^Chọn máy in$')"
xdotool key Down Down Tab space Return # Laser, Closed, Embosser
wait_said " zzzmesft " "$before"
brf=$(job_after Embosser "$seen")
head -c 4 "$brf" | grep -q '^#A' || fail "the embossed job starts '$(head -c 20 "$brf")'"

kill -0 "$E2E_TAVI" 2>/dev/null || fail "the program ended"
echo "tavi_print_e2e: printed and embossed through CUPS"
