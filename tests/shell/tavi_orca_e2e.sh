#!/usr/bin/env bash
# The real program beside the Orca screen reader: typed in, moved by words in text and in
# Braille display, switched with F11 and F10, while Orca reads it on a private session bus,
# accessibility bus and sound server. The program must keep answering (its own speech goes on)
# and Orca must have spoken the words and shown the lines on its Braille line.
#   tavi_orca_e2e.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
if [ -z "${TAVI_E2E_BUS:-}" ]; then
    TAVI_E2E_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
source "$(dirname "$0")/../support/e2e.sh"
pulse="$(dirname "$0")/../speech/pulse-server.sh"

e2e_start_x
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_WORK/atspi.out" 2>&1 &
launcher=$!
# speech-dispatcher speaks into a null output of a sound server of our own.
"$pulse" start "$E2E_WORK/pulse" || fail "no sound server"
export PULSE_SERVER="unix:$E2E_WORK/pulse/pulse/native" GSETTINGS_BACKEND=memory
export SPEECHD_ADDRESS="unix_socket:$E2E_WORK/speechd.sock"
speech-dispatcher -s -t 0 -S "$E2E_WORK/speechd.sock" -P "$E2E_WORK/speechd.pid" \
    -L "$E2E_WORK" >"$E2E_WORK/speechd.out" 2>&1 &
speechd=$!
orca=""
# end_orca: Orca ends, and its debug file is complete.
end_orca() {
    kill "$orca" 2>/dev/null || true
    # Orca takes the signal when its own code next runs: a key wakes it.
    for _ in $(seq 30); do
        kill -0 "$orca" 2>/dev/null || break
        xdotool key shift
        sleep 1
    done
    orca=""
    grep -a -E "SPEECH OUTPUT|BRAILLE LINE|Did not receive|Shutdown complete" \
        "$E2E_WORK/orca.debug" >"$E2E_WORK/orca.said" || true
}
stop_all() {
    local status=$?
    # A program that stopped answering would never end by itself.
    if [ -n "$E2E_TAVI" ]; then
        kill "$E2E_TAVI" 2>/dev/null
        for _ in $(seq 30); do kill -0 "$E2E_TAVI" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$E2E_TAVI" 2>/dev/null || true
    fi
    if [ -n "$orca" ]; then
        end_orca
        [ "$status" = 0 ] || { echo "--- Orca"; cat "$E2E_WORK/orca.said"; } >&2
    fi
    [ -z "${TAVI_E2E_KEEP:-}" ] || cp -r "$E2E_WORK" "$TAVI_E2E_KEEP"
    kill "$speechd" "$launcher" 2>/dev/null || true
    "$pulse" stop "$E2E_WORK/pulse" || true
    e2e_cleanup
    exit "$status"
}
trap stop_all EXIT

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
e2e_start_tavi "$1"
e2e_log_in anna
# Orca with settings of its own, its debug output kept to be read once it has ended.
orca -u "$E2E_WORK/orca" --debug-file "$E2E_WORK/orca.debug" >"$E2E_WORK/orca.out" 2>&1 &
orca=$!
# Orca hears the keys once it has a keystroke listener at the accessibility registry.
orca_listens() {
    /usr/bin/python3 - <<'EOF' 2>/dev/null
import sys
from gi.repository import Gio
session = Gio.bus_get_sync(Gio.BusType.SESSION)
address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                            None, None, 0, -1).unpack()[0]
a11y = Gio.DBusConnection.new_for_address_sync(
    address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
    | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
listeners = a11y.call_sync("org.a11y.atspi.Registry",
                           "/org/a11y/atspi/registry/deviceeventcontroller",
                           "org.a11y.atspi.DeviceEventController", "GetKeystrokeListeners",
                           None, None, 0, -1).unpack()[0]
sys.exit(0 if listeners else 1)
EOF
}
for _ in $(seq 60); do orca_listens && break; sleep 0.5; done
orca_listens || fail "Orca did not start: $(cat "$E2E_WORK/orca.out")"
focus "$E2E_MAIN"

# press KEY: as a user presses it, Ctrl held until Orca has presented the move (Orca tells a
# move by the keys down when it comes).
press() {
    if [[ $1 == ctrl+* ]]; then
        xdotool keydown ctrl key "${1#ctrl+}"
        sleep 1
        xdotool keyup ctrl
    else
        xdotool key "$1"
        sleep 1
    fi
}

# keeps_talking KEYS...: the keys, then the program still says something of its own.
keeps_talking() {
    local from
    from=$(log_lines)
    for key in "$@"; do press "$key"; done
    for _ in $(seq 50); do
        [ "$(log_lines)" -gt "$from" ] && return 0
        sleep 0.1
    done
    fail "nothing said after $* (the editor stopped answering)"
}

xdotool type --delay 80 'Vie65t Nam d9e5p.'
xdotool key Return
xdotool type --delay 80 'Xin chao'
keeps_talking ctrl+Home ctrl+Right ctrl+Right
keeps_talking F11
keeps_talking ctrl+Home ctrl+Right ctrl+Right ctrl+End
keeps_talking f
keeps_talking F10
keeps_talking ctrl+Home ctrl+Right
sleep 5 # for Orca to present the last moves

# Orca writes its debug file as it ends.
end_orca
said=$(cat "$E2E_WORK/orca.said")
echo "$said"
orca_did() {
    grep -qF -- "$1" <<<"$said" || fail "Orca never $2: $said"
}
grep -q "Did not receive" <<<"$said" && fail "Orca waited for the program in vain: $said"
orca_did "ORCA: Shutdown complete" "ended (its debug file is not whole)"
orca_did "SPEECH OUTPUT: 'Nam'" "said the word Ctrl+Right moved to"
orca_did "BRAILLE LINE:  'tavi application Soạn Thảo Tavi - Khong Ten frame Khong Ten Việt Nam đẹp." \
    "showed the line in text display"
# Braille display: "Việt Nam đẹp." in cells, and the word "Nam" (capital sign, n, a, m).
orca_did "Khong Ten ⠨⠧⠠⠊⠣⠞ ⠨⠝⠁⠍ ⠙⠠⠑⠏⠲ \$l'" "showed the line in Braille display"
orca_did "SPEECH OUTPUT: '⠨⠝⠁⠍'" "said the Braille word Ctrl+Right moved to"
last=$(grep "BRAILLE LINE:  '.*Khong Ten " <<<"$said" | tail -n1)
grep -qF "Việt Nam đẹp." <<<"$last" || fail "after F10 Orca showed $last"
echo "tavi_orca_e2e: Orca read the words and lines of both displays; the program kept answering"
