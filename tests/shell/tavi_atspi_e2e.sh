#!/usr/bin/env bash
# The editor read from another process through AT-SPI, as Orca and a Braille display read it:
# a private session bus with the accessibility bus, the real tavi, "Việt Nam" typed with the
# accent keys, and the letters, the caret and the events checked in Unicode letters.
#   tavi_atspi_e2e.sh TAVI_BINARY
[ $# -eq 1 ] || { echo "usage: $0 TAVI_BINARY" >&2; exit 2; }
# A session bus of our own: nothing of the machine's desktop is touched.
if [ -z "${TAVI_E2E_BUS:-}" ]; then
    TAVI_E2E_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
source "$(dirname "$0")/../support/e2e.sh"
tavi="$1"
reader="$(dirname "$0")/atspi_reader.py"

e2e_start_x
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$E2E_WORK/atspi.out" 2>&1 &
launcher=$!
trap 'kill $launcher 2>/dev/null || true; e2e_cleanup' EXIT
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 NO_AT_BRIDGE=0
e2e_start_tavi "$tavi"
e2e_log_in anna

/usr/bin/python3 "$reader" "$E2E_WORK/ready" 6 >"$E2E_WORK/read.out" 2>"$E2E_WORK/read.err" &
reading=$!
for _ in $(seq 150); do [ -f "$E2E_WORK/ready" ] && break; sleep 0.1; done
[ -f "$E2E_WORK/ready" ] || fail "the reader found no editor: $(cat "$E2E_WORK/read.err")"
focus "$E2E_MAIN"
# "Việt Nam" typed with the accent keys: e6 makes ê, 5 the dot below.
xdotool type --delay 60 'Vie65t Nam'
wait "$reading" || true
out=$(cat "$E2E_WORK/read.out")
echo "$out"
expect() {
    grep -qxF "$1" <<<"$out" || fail "AT-SPI did not read '$1': $out $(cat "$E2E_WORK/read.err")"
}
expect "name Khong Ten" # the document's name, as in the title
expect "text Việt Nam"
expect "at 8"
expect "line Việt Nam"
expect "caret 8"
# No byte of the byte model leaks out: every insert is letters (the mark byte ä never is).
grep -q "^insert .*ä" <<<"$out" && fail "a mark byte was told as a letter: $out"
grep -q "^insert 2 ệ" <<<"$out" || fail "the letter with its mark was not told whole: $out"
echo "tavi_atspi_e2e: AT-SPI reads Việt Nam with the caret at letter 8"
