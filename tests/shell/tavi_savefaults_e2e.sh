#!/usr/bin/env bash
# Saving onto a disk that fails, through the real program: a save onto a full disk says that it
# failed and that the disk is full, and leaves the old file; Ctrl+N then asks to save, that save
# fails too, and the document stays (saved once the disk has room again). Run under a file-size
# limit (ulimit -f), a save past it is a failed save like any other, not the end of the program.
# A save into a folder without write permission says that it has none.
#   tavi_savefaults_e2e.sh TAVI_BINARY      (exit 77: skipped, no tmpfs could be mounted)
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"
tavi="$1"

disk="$E2E_WORK/disk"
mkdir -p "$disk"
if ! mount -t tmpfs -o size=200k tmpfs "$disk" 2>/dev/null; then
    echo "tavi_savefaults_e2e: skipped, cannot mount a tmpfs here (not root?)"
    exit 77
fi
trap 'umount -l "$disk" 2>/dev/null; e2e_cleanup' EXIT
printf 'old text' >"$disk/bai.txt"
awk 'BEGIN { for (i = 0; i < 12000; i++) print "mot hai ba bon nam sau" }' >"$E2E_WORK/big.txt"
big=$(md5sum <"$E2E_WORK/big.txt")
e2e_start_x

title() {
    xdotool getwindowname "$E2E_MAIN"
}
wait_title() {
    for _ in $(seq 50); do [ "$(title)" = "Soạn Thảo Tavi - $1" ] && return; sleep 0.1; done
    fail "title '$(title)', not $1"
}
# How often the log says this text from line $2 on.
count_said() {
    said_since "$2" | cut -f2- | grep -cxF "$1" || true
}
# Waits for a failed save's whole utterance from line $1 on: that it failed, then cause $2.
# Under a file-size limit the recovery file fails as well, and its news may come in between.
wait_not_saved() {
    wait_said "$2" "$1"
    local heard
    heard=$(said_since "$1" | cut -f2- | grep -vxF "zzzmesxc " | grep -A1 -xF "zzzmesesa " |
        head -n2 | tr '\n' '|')
    [ "$heard" = "zzzmesesa |$2|" ] || fail "a failed save said '$heard', not zzzmesesa then $2"
}

# A read-only state folder: the recovery file cannot be written while the user types; that is
# said once, the writes go on, and once the folder takes them again that is said too.
state="$XDG_STATE_HOME/tavi"
mkdir -p "$state"
mount -t tmpfs -o size=64k,ro tmpfs "$state" || fail "cannot mount a read-only state folder"
trap 'umount -l "$state" 2>/dev/null || true; umount -l "$disk" 2>/dev/null || true; e2e_cleanup' EXIT
e2e_start_tavi "$tavi"
e2e_log_in binh
start=$(log_lines)
xdotool type --delay 100 'mot hai ba'
wait_said "zzzmesxc " "$start"
xdotool type --delay 100 ' bon nam sau bay'
sleep 2 # several writes, every one failing
umount "$state"
xdotool type --delay 100 ' tam'
wait_said "zzzmesxd " "$start"
[ "$(count_said "zzzmesxc " "$start")" = 1 ] || fail "the failing writes were said more than once"
[ "$(count_said "zzzmesxd " "$start")" = 1 ] || fail "the working writes were said more than once"
[ -f "$state/BINH.recovery" ] || fail "no recovery file once the folder could be written"
kill "$E2E_TAVI" && wait "$E2E_TAVI" 2>/dev/null || true

# Everything from here on, the program included, may write no file past 256 KB.
ulimit -f 256
e2e_start_tavi "$tavi"
e2e_log_in anna
"$tavi" "$disk/bai.txt" >>"$E2E_WORK/tavi-second.out" 2>&1 || fail "the hand-over failed"
wait_title bai.txt
focus "$E2E_MAIN"
xdotool key ctrl+End
xdotool type --delay 40 ' moi'
dd if=/dev/zero of="$disk/filler" bs=64k 2>/dev/null || true # the disk is full

start=$(log_lines)
xdotool key ctrl+s
wait_not_saved "$start" "zzzmesya "
[ "$(cat "$disk/bai.txt")" = "old text" ] || fail "bai.txt holds '$(cat "$disk/bai.txt")'"
[ "$(ls -A "$disk" | tr '\n' ' ')" = "bai.txt filler " ] || fail "left on the disk: $(ls -A "$disk")"

# A new document asks to save first; that save fails as well, and nothing is given up.
start=$(log_lines)
xdotool key ctrl+n
wait_said "zzzmesp " "$start"
focus "$(window '^Soạn Thảo Tavi$')"
xdotool key Return
wait_not_saved "$start" "zzzmesya "
sleep 0.5
said_since "$start" | grep -qF "zzzmesdt" && fail "a new document was started"
wait_title bai.txt
[ "$(cat "$disk/bai.txt")" = "old text" ] || fail "bai.txt holds '$(cat "$disk/bai.txt")'"
[ -f "$XDG_STATE_HOME/tavi/ANNA.recovery" ] || fail "the recovery file is gone"

# With room on the disk again, the same document is saved whole.
rm "$disk/filler"
focus "$E2E_MAIN"
start=$(log_lines)
xdotool key ctrl+s
wait_said "zzzmeser " "$start"
[ "$(cat "$disk/bai.txt")" = "old text moi" ] || fail "bai.txt holds '$(cat "$disk/bai.txt")'"

# Past the file-size limit: the program goes on and says the save failed.
"$tavi" "$E2E_WORK/big.txt" >>"$E2E_WORK/tavi-second.out" 2>&1 || fail "the hand-over failed"
wait_title big.txt
focus "$E2E_MAIN"
xdotool type --delay 40 'b'
start=$(log_lines)
xdotool key ctrl+s
wait_not_saved "$start" "zzzmesye "
kill -0 "$E2E_TAVI" 2>/dev/null || fail "the program ended at the file-size limit"
[ "$(md5sum <"$E2E_WORK/big.txt")" = "$big" ] || fail "big.txt was changed"
[ "$(count_said "zzzmeser " 0)" = 1 ] || fail "a failed save was called saved"
# It keeps running while it has nowhere to keep the document.
kill -KILL "$E2E_TAVI" && wait "$E2E_TAVI" 2>/dev/null || true

# A folder the user may not write in. Root passes every permission check, so the program runs
# without that power, as a user would.
locked="$E2E_WORK/locked"
mkdir -p "$locked"
printf 'thu cu' >"$locked/thu.txt"
chmod 0555 "$locked"
printf '#!/bin/sh\nexec setpriv --bounding-set -dac_override,-dac_read_search -- "%s" "$@"\n' \
    "$tavi" >"$E2E_WORK/tavi-as-user"
chmod +x "$E2E_WORK/tavi-as-user"
e2e_start_tavi "$E2E_WORK/tavi-as-user"
e2e_log_in chi
"$tavi" "$locked/thu.txt" >>"$E2E_WORK/tavi-second.out" 2>&1 || fail "the hand-over failed"
wait_title thu.txt
focus "$E2E_MAIN"
xdotool type --delay 40 'x'
start=$(log_lines)
xdotool key ctrl+s
wait_not_saved "$start" "zzzmesyb "
[ "$(cat "$locked/thu.txt")" = "thu cu" ] || fail "thu.txt holds '$(cat "$locked/thu.txt")'"
[ "$(ls -A "$locked")" = "thu.txt" ] || fail "left in the folder: $(ls -A "$locked")"

echo "tavi_savefaults_e2e: full disk, Ctrl+N after it, the size limit, a folder without write" \
    "permission and a read-only state folder lose nothing, each save says why it failed, and" \
    "the failing writes are said once"
