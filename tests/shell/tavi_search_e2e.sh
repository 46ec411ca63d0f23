#!/usr/bin/env bash
# Search by voice, through the real program: find, find next, replace all and its undo, the
# suspect word, speech off and on with the keyboard's repeat (given back at the end), and the
# spoken shortcut help and the manual, the menus' titles.
#   tavi_search_e2e.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"
tavi="$1"

e2e_start_x
docs="$HOME/Documents/Tavi/ANNA"
xset r rate 500 30 # the user's own repeat
e2e_start_tavi "$tavi"
e2e_log_in anna

repeat_rate() {
    xset q | grep -o 'auto repeat delay: *[0-9]* *repeat rate: *[0-9]*' | tr -s ' '
}
[ "$(repeat_rate)" = "auto repeat delay: 1000 repeat rate: 2" ] ||
    fail "speech on, the repeat is '$(repeat_rate)'"

xdotool type --delay 40 'an em an em an'
xdotool key ctrl+Home

# Found from the caret and read with the rest of its line; what is typed replaces the
# selection, saying what it replaces.
before=$(log_lines)
xdotool key ctrl+f
focus "$(window '^Tìm$')"
xdotool type --delay 40 'em'
xdotool key Return
wait_said " zzzmesbr em an em an" "$before"
focus "$E2E_MAIN"
xdotool type --delay 40 'ba'
wait_said "zzzmeslg em, 2 zzzmeswd, b" "$before"
before=$(log_lines)
xdotool key ctrl+i
wait_said " zzzmesbr em an" "$before"
xdotool type --delay 40 'bo'

# Replace all, the replacement holding the searched word; then undone in one step and done again.
before=$(log_lines)
xdotool key ctrl+h
focus "$(window '^Thay thế$')"
xdotool type --delay 40 'an'
xdotool key Return
xdotool type --delay 40 'an an'
xdotool key alt+t
wait_said "zzzmesen " "$before"
focus "$E2E_MAIN"
before=$(log_lines)
xdotool key ctrl+z
wait_said " zzzmesfn an ba an an bo, 17 zzzmeswd" "$before" # the span it changed back

# The first suspect word after the caret is selected and said; Ctrl+J again goes on to the next.
xdotool key ctrl+End
xdotool type --delay 40 ' xyzq nhe kkk'
xdotool key ctrl+Home
before=$(log_lines)
xdotool key ctrl+j
wait_said " zzzmesbr xyzq" "$before"
focus "$E2E_MAIN"
xdotool key ctrl+j
wait_said " zzzmesbr kkk" "$before"
focus "$E2E_MAIN"
xdotool type --delay 40 'ban'

before=$(log_lines)
xdotool key ctrl+s
focus "$(window '^Lưu tập tin$')"
xdotool type --delay 40 'tim'
xdotool key Return
wait_said "zzzmeser " "$before"
[ "$(cat "$docs/tim.TXT")" = "an ba an bo an xyzq nhe ban" ] ||
    fail "tim.TXT holds '$(cat "$docs/tim.TXT")'"

# Speech off gives the user's repeat back; on again, the slow one.
focus "$E2E_MAIN"
xdotool key F5
wait_said "zzzmesaf" "$before"
[ "$(repeat_rate)" = "auto repeat delay: 500 repeat rate: 30" ] ||
    fail "speech off, the repeat is '$(repeat_rate)'"
before=$(log_lines)
xdotool key F5
wait_said "zzzmesag" "$before"
[ "$(repeat_rate)" = "auto repeat delay: 1000 repeat rate: 2" ] ||
    fail "speech on again, the repeat is '$(repeat_rate)'"
before=$(log_lines)
xdotool key ctrl+2
wait_said "zzzmesde" "$before"
xdotool key F1
focus "$(window '^Hướng dẫn$')"
before=$(log_lines)
xdotool key Escape
wait_said "zzzmesa" "$before"

# The menus: Alt and the arrows say each title, a menu that opens its title before its first
# item, Escape goes back to the title and then out of the menus.
focus "$E2E_MAIN"
before=$(log_lines)
xdotool key alt
wait_said "Trình đơn tập tin." "$before"
xdotool key Right
wait_said "Trình đơn soạn thảo." "$before"
xdotool key Right Right Down
wait_said "Trình đơn đọc. Bật hoặc tắt tiếng đọc, F5. . zzzmeslh" "$before"
from=$(log_lines)
xdotool key Escape
wait_said "Trình đơn đọc." "$from"
xdotool key Escape
wait_said "zzzmesa" "$from"

# At the end the user's repeat is given back.
focus "$E2E_MAIN"
before=$(log_lines)
xdotool key alt+F4
wait_said " zzzmesbl " "$before" # leave the program?
focus "$(window '^Soạn Thảo Tavi$')"
xdotool key Return
for _ in $(seq 50); do kill -0 "$E2E_TAVI" 2>/dev/null || break; sleep 0.1; done
kill -0 "$E2E_TAVI" 2>/dev/null && fail "Alt+F4 did not end the program"
[ "$(repeat_rate)" = "auto repeat delay: 500 repeat rate: 30" ] ||
    fail "after the end, the repeat is '$(repeat_rate)'"
echo "tavi_search_e2e: found, replaced and spoke as asked"
