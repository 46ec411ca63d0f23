#!/usr/bin/env bash
# English words inside Vietnamese text, as the user hears them: typed with word echo, each
# English word is echoed by the English voice, and a sentence read with F8 comes out as its
# Vietnamese and English pieces in order.
#   tavi_voice_e2e.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"

e2e_start_x
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
echo "tavi_voice_e2e: English words went to the English voice in their places"
