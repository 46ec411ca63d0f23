#!/usr/bin/env bash
# Documents by voice, through the real program: save by a bare name, start a new document,
# open the first again from the open dialog, a later start handing a file over, and no
# document lost to a kill or a logout.
#   tavi_documents_e2e.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"
tavi="$1"

e2e_start_x
docs="$HOME/Documents/Tavi/ANNA"
recovery="$XDG_STATE_HOME/tavi/ANNA.recovery"

title() {
    xdotool getwindowname "$E2E_MAIN"
}

e2e_start_tavi "$tavi"
e2e_log_in anna

# Save by a bare name: the documents folder, ".TXT" added.
xdotool type --delay 40 'xin chao'
xdotool key ctrl+s
focus "$(window '^Lưu tập tin$')"
xdotool type --delay 40 'bai1'
xdotool key Return
wait_said "zzzmeser "
[ "$(cat "$docs/bai1.TXT")" = "xin chao" ] || fail "bai1.TXT holds '$(cat "$docs/bai1.TXT")'"
[ "$(title)" = "Soạn Thảo Tavi - bai1.TXT" ] || fail "title '$(title)'"

# A new document, then the first one again by its bare name.
focus "$E2E_MAIN"
xdotool key ctrl+n
wait_said " zzzmesdt "
[ "$(title)" = "Soạn Thảo Tavi - Khong Ten" ] || fail "title after new '$(title)'"
xdotool key ctrl+o
focus "$(window '^Mở tập tin$')"
xdotool type --delay 40 'bai1'
xdotool key Return
wait_said " zzzmesem "
[ "$(title)" = "Soạn Thảo Tavi - bai1.TXT" ] || fail "title after open '$(title)'"

# A later start hands its file to the running copy, which opens it.
printf 'thu moi' >"$E2E_WORK/thu.txt"
"$tavi" "$E2E_WORK/thu.txt" >>"$E2E_WORK/tavi-second.out" 2>&1 || fail "the second start failed"
for _ in $(seq 50); do [ "$(title)" = "Soạn Thảo Tavi - thu.txt" ] && break; sleep 0.1; done
[ "$(title)" = "Soạn Thảo Tavi - thu.txt" ] || fail "title after hand-over '$(title)'"

# Typed, then killed ten seconds later: nothing lost.
focus "$E2E_MAIN"
xdotool key ctrl+End
xdotool type --delay 40 ' cua ban'
sleep 10
kill -9 "$E2E_TAVI"
wait "$E2E_TAVI" 2>/dev/null || true
[ -f "$recovery" ] || fail "no recovery file ten seconds after typing"
before=$(log_lines)
e2e_start_tavi "$tavi"
e2e_log_in anna
wait_said "zzzmesrc"
focus "$(window '^Soạn Thảo Tavi$')"
xdotool key Return # restore it
for _ in $(seq 50); do [ "$(title)" = "Soạn Thảo Tavi - thu.txt" ] && break; sleep 0.1; done
[ "$(title)" = "Soạn Thảo Tavi - thu.txt" ] || fail "title after recovery '$(title)'"
focus "$E2E_MAIN"
xdotool key ctrl+s # the restored document keeps its name and is still unsaved
wait_said "zzzmeser "
[ "$(cat "$E2E_WORK/thu.txt")" = "thu moi cua ban" ] || fail "thu.txt holds '$(cat "$E2E_WORK/thu.txt")'"
for _ in $(seq 30); do [ -f "$recovery" ] || break; sleep 0.1; done
[ -f "$recovery" ] && fail "the recovery file outlived the save"

# A logout (SIGTERM) writes it at once and ends the program without asking.
xdotool type --delay 40 'X'
kill -TERM "$E2E_TAVI"
for _ in $(seq 50); do kill -0 "$E2E_TAVI" 2>/dev/null || break; sleep 0.1; done
kill -0 "$E2E_TAVI" 2>/dev/null && fail "SIGTERM did not end the program"
grep -q 'X' "$recovery" 2>/dev/null || fail "SIGTERM did not write the recovery file"
# Declined at the next start, it is gone.
before=$(log_lines)
e2e_start_tavi "$tavi"
e2e_log_in anna
said_since "$before" | grep -q zzzmesrc || fail "no recovery question"
focus "$(window '^Soạn Thảo Tavi$')"
xdotool key Escape
for _ in $(seq 30); do [ -f "$recovery" ] || break; sleep 0.1; done
[ -f "$recovery" ] && fail "a declined recovery file stayed"
echo "tavi_documents_e2e: saved, opened, handed over and recovered"
