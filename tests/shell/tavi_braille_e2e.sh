#!/usr/bin/env bash
# The document shown in Braille in the real program: F11 shows it in Braille, the six keys type
# cells and say them, F10 gives the text back byte for byte when nothing was edited.
#   tavi_braille_e2e.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"

e2e_start_x
docs="$HOME/Documents/Tavi/ANNA"
e2e_start_tavi "$1"
e2e_log_in anna

# save_as NAME: the document under a bare name, until the editor is back ("zzzmesa").
save_as() {
    local from exists=""
    from=$(log_lines)
    [ -e "$docs/$1.TXT" ] && exists=1
    xdotool key ctrl+y
    focus "$(window '^Lưu tập tin$')"
    xdotool type --delay 30 "$1"
    xdotool key Return
    if [ -n "$exists" ]; then # the overwrite question
        wait_said "zzzmesan" "$from"
        focus "$(window '^Soạn Thảo Tavi$')"
        xdotool key Return
    fi
    wait_said "zzzmesa" "$from"
    focus "$E2E_MAIN"
}

xdotool type --delay 40 'Vie65t Nam 2024.'
xdotool key Return
xdotool type --delay 40 'Tie61ng Vie65t co1 da61u.'
save_as truoc
from=$(log_lines)
xdotool key F11
wait_said " zzzmescw " "$from"
xdotool key F10
wait_said " zzzmescu " "$from"
save_as sau
cmp -s "$docs/truoc.TXT" "$docs/sau.TXT" || fail "F11 then F10 changed the text"

# In Braille the six keys type cells: dots 1 2 (F D) are b, dot 1 (F) is a.
from=$(log_lines)
xdotool key F11
wait_said " zzzmescw " "$from"
xdotool key ctrl+End
mark=$(log_lines)
xdotool keydown f keydown d
sleep 0.1
xdotool keyup d keyup f
xdotool keydown f
sleep 0.1
xdotool keyup f
sleep 0.5
[ "$(said_since "$mark")" = $'vi\tb\nvi\ta' ] || fail "the chords said '$(said_since "$mark")'"
from=$(log_lines)
xdotool key F10 # after an edit: translated afresh
wait_said " zzzmescu " "$from"
save_as sau
LC_ALL=C grep -q 'u\.ba$' "$docs/sau.TXT" || fail "the cells did not come back as text: $(cat "$docs/sau.TXT")"
echo "tavi_braille_e2e: Braille and back"
