#!/usr/bin/env bash
# The program as an installed user gets it: `cmake --install` into a fresh prefix, the tree then
# moved elsewhere (a path with a space), and the installed programs run from there with nothing
# but what was installed. The desktop entry and the manual pages are checked with the desktop's
# and man's own tools.
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR VERSION" >&2; exit 2; }
build="$1" version="$2"
work="$(mktemp -d /tmp/tavi-install.XXXXXX)"
running=""
cleanup() {
    [ -n "$running" ] && kill "$running" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$work/installed" >/dev/null
prefix="$work/any prefix"
mv "$work/installed" "$prefix"
bin="$prefix/bin"
# No display, no data folder named from outside, a home and runtime folder of the test's own.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM TAVI_DATA_DIR TAVI_SPEECH_LOG
export HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
export XDG_STATE_HOME="$work/home/.local/state" TAVI_AUDIO=null
mkdir -p "$HOME" && mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# Everything the programs read at run time, and the desktop's and man's files.
for file in bin/tavi bin/tavitool bin/tavi-dictbuild \
    "share/tavi/Vni for Win.vnc" share/tavi/VNCFiles/Unicode.vnc share/tavi/VNCFiles/TCVN3.vnc \
    share/tavi/Braille.vnc share/tavi/PrtSrc.vnc share/tavi/PrtDes.vnc share/tavi/Dot \
    share/tavi/SixKey share/tavi/braille-cells.txt share/tavi/Menu share/tavi/Hdsd.TXT \
    share/tavi/cachgo.TXT share/tavi/Wave/Beep.wav share/tavi/abbr.txt share/tavi/dict.dat \
    share/tavi/dict.idx share/tavi/fonts/Vni-Screen-Regular.ttf \
    share/tavi/fonts/Vni-Screen-Bold.ttf share/tavi/fonts/VBraille.ttf \
    share/applications/tavi.desktop share/icons/hicolor/scalable/apps/tavi.svg \
    share/man/man1/tavi.1.gz share/man/man1/tavitool.1.gz share/man/man1/tavi-dictbuild.1.gz \
    share/doc/tavi/copyright share/doc/tavi/changelog.gz; do
    [ -s "$prefix/$file" ] || fail "not installed: $file"
done
# The build's whole data folder, nothing left behind.
diff -r "$build/share/tavi" "$prefix/share/tavi" >/dev/null || fail "share/tavi differs from the build's"

# expect NAME EXPECTED COMMAND...: the command succeeds and prints exactly EXPECTED.
expect() {
    local name="$1" want="$2" got
    shift 2
    got="$("$@")" || fail "$name: exit status $?"
    [ "$got" = "$want" ] || fail "$name: printed '$got', expected '$want'"
}
vni_hex=" 56 69 65 e4 74 20 4e 61 6d" # "Việt Nam" in Vni for Win: e, then the mark byte
to_vni() { printf 'Việt Nam' | "$bin/tavitool" convert --from Unicode --to "Vni for Win" | od -An -tx1; }
round_trip() {
    printf 'Việt Nam' | "$bin/tavitool" convert --to "Vni for Win" |
        "$bin/tavitool" convert --to Unicode
}
listed_tables() { "$bin/tavitool" tables --check | grep -cxF -e Unicode -e TCVN3 -e "Vni for Win"; }
units() { "$bin/tavitool" speak --units "xin chao" | grep '^unit' | tr '\n' ' '; }
expect "tavitool --version" "tavitool $version" "$bin/tavitool" --version
expect "tavi --version without a display" "tavi $version" "$bin/tavi" --version
expect "tables from the installed folder, without rule problems" 3 listed_tables
expect "convert to Vni for Win" "$vni_hex" to_vni
expect "convert, tables detected, and back" "Việt Nam" round_trip
expect "speak from the installed dictionary" "unit xin unit chao " units
# The installed dictionary is the 16-bit 22050 Hz one, and that is what the device is given.
format() { od -An -tu2 -j "$2" -N16 "$1" | tr -s ' ' | sed 's/^ //'; }
expect "the installed dictionary's format" "1 1 22050 0 44100 0 2 16" format "$prefix/share/tavi/dict.dat" 0
TAVI_AUDIO="wav:$work/heard.wav" "$bin/tavitool" speak --play "xin chào" || fail "speak --play failed"
expect "the format heard" "1 1 22050 0 44100 0 2 16" format "$work/heard.wav" 20
[ "$(stat -c %s "$work/heard.wav")" -gt $((44 + 11025)) ] || fail "the installed voice said nothing"

# A wrong command line: an error naming the option, the usage line, status 2.
status=0
"$bin/tavi" --no-such-option 2>"$work/error" || status=$?
[ "$status" -eq 2 ] || fail "an unknown option ended with status $status"
grep -q "Unknown option 'no-such-option'" "$work/error" || fail "no error: $(cat "$work/error")"
grep -q "^Usage: .*tavi \[options\] \[file\]" "$work/error" || fail "no usage line: $(cat "$work/error")"

# The editor running from the prefix registers the installed screen font (the editor's text is
# drawn with it), and a later --help or --version is answered, not handed to it.
QT_QPA_PLATFORM=offscreen "$bin/tavi" >"$work/tavi.out" 2>&1 &
running=$!
for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/tavi.socket" ] && grep -qF "$prefix/share/tavi/fonts/Vni-Screen-Regular.ttf" \
        "/proc/$running/maps" && break
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/tavi.socket" ] || fail "the editor did not start: $(cat "$work/tavi.out")"
grep -qF "$prefix/share/tavi/fonts/Vni-Screen-Regular.ttf" "/proc/$running/maps" ||
    fail "the installed screen font is not in use"
"$bin/tavi" --help | grep -q -- "--speech-log <file>" || fail "no help while a copy runs"
expect "tavi --version while a copy runs" "tavi $version" "$bin/tavi" --version

# The desktop entry names a program and an icon that are installed, and is valid.
entry="$prefix/share/applications/tavi.desktop"
report="$(desktop-file-validate "$entry" 2>&1)" || fail "desktop-file-validate: $report"
[ -z "$(grep -v ': hint: ' <<<"$report")" ] || fail "desktop-file-validate: $report"
grep -qx 'Exec=tavi %f' "$entry" || fail "the entry does not start tavi with a file"
grep -qx 'Icon=tavi' "$entry" || fail "the entry's icon is not the installed one"

# The manual pages format without a warning.
for page in tavi tavitool tavi-dictbuild; do
    warnings="$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || fail "man $page: $warnings"
done
echo "installed tree in '$prefix' works"
