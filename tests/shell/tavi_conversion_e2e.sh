#!/usr/bin/env bash
# An office document whose converter never ends, through the real program: the user hears at
# once that it is being converted, the keys still echo meanwhile while the document stays as it
# is, Escape gives the conversion up, and nothing the converter started is left running.
#   tavi_conversion_e2e.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"
tavi="$1"

e2e_start_x
pids="$E2E_WORK/pids"
mkdir -p "$E2E_WORK/bin"
cat >"$E2E_WORK/bin/soffice" <<EOF
#!/bin/sh
echo \$\$ >>"$pids"
sleep 1000 &
echo \$! >>"$pids"
wait
EOF
chmod +x "$E2E_WORK/bin/soffice"

PATH="$E2E_WORK/bin:$PATH" e2e_start_tavi "$tavi"
e2e_log_in anna
printf 'PK\003\004' >"$HOME/Documents/Tavi/ANNA/thu.docx"

xdotool key ctrl+o
focus "$(window '^Mở tập tin$')"
xdotool type --delay 40 'thu.docx'
xdotool key Return
wait_said " zzzmescvd "
for _ in $(seq 100); do [ "$(wc -l <"$pids" 2>/dev/null || echo 0)" -ge 2 ] && break; sleep 0.1; done
[ "$(wc -l <"$pids")" -ge 2 ] || fail "the converter did not start"
focus "$E2E_MAIN"

# The keys still speak while it runs; a key that would type only beeps.
before=$(log_lines)
xdotool key F8
wait_said "zzzmesgn " "$before"
xdotool key x
for _ in $(seq 50); do said_since "$before" | grep -q '^beep' && break; sleep 0.1; done
said_since "$before" | grep -q '^beep' || fail "a typed key did not beep during the conversion"

xdotool key Escape
wait_said " zzzmescvh " "$before"
for pid in $(cat "$pids"); do
    state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null || true)
    [ -z "$state" ] || [ "$state" = Z ] || fail "converter process $pid is still running"
done
title=$(xdotool getwindowname "$E2E_MAIN")
[ "$title" = "Soạn Thảo Tavi - Khong Ten" ] || fail "title after the cancel '$title'"

# The editor is the user's again: typing types and echoes.
before=$(log_lines)
xdotool type --delay 40 'q'
wait_said "q" "$before"
echo "tavi_conversion_e2e: the hung converter was heard, given up with Escape and ended whole"
