# Shared by the end-to-end tests, which drive the real program as its user does: a private X
# server (Xvfb), keys typed with xdotool, and what the program said read back from its speech
# log. Sourced, not run. Needs the Debian packages xvfb and xdotool.
#
# The user's folders, the runtime folder (single-copy lock) and the X display are fresh ones,
# so a running copy or another test run is never touched. Sound goes nowhere (TAVI_AUDIO=null,
# which still times every buffer).
set -euo pipefail

E2E_WORK="$(mktemp -d /tmp/tavi-e2e.XXXXXX)"
E2E_XVFB="" E2E_TAVI=""
E2E_LOG="$E2E_WORK/speech.log"

e2e_cleanup() {
    [ -n "$E2E_TAVI" ] && kill "$E2E_TAVI" 2>/dev/null || true
    [ -n "$E2E_XVFB" ] && kill "$E2E_XVFB" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

fail() {
    echo "$(basename "$0"): $*" >&2
    echo "--- speech log" >&2
    cat "$E2E_LOG" >&2 || true
    echo "--- program output" >&2
    cat "$E2E_WORK"/tavi*.out >&2 || true
    exit 1
}

# A free display: Xvfb picks it and writes its number.
e2e_start_x() {
    exec 3<>"$E2E_WORK/display"
    # -noreset: settings made between clients (xset) stay, as on a desktop.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset >"$E2E_WORK/xvfb.out" 2>&1 &
    E2E_XVFB=$!
    for _ in $(seq 100); do
        [ -s "$E2E_WORK/display" ] && break
        sleep 0.1
    done
    [ -s "$E2E_WORK/display" ] || fail "Xvfb did not start: $(cat "$E2E_WORK/xvfb.out")"
    export DISPLAY=":$(head -n1 "$E2E_WORK/display")"
    export HOME="$E2E_WORK/home" XDG_CONFIG_HOME="$E2E_WORK/home/.config"
    export XDG_DATA_HOME="$E2E_WORK/home/.local/share" XDG_STATE_HOME="$E2E_WORK/home/.local/state"
    export XDG_RUNTIME_DIR="$E2E_WORK/run" TAVI_AUDIO=null QT_QPA_PLATFORM=xcb
    mkdir -p "$HOME" && mkdir -p -m 700 "$XDG_RUNTIME_DIR"
}

# e2e_start_tavi TAVI [ARGS...]: the program, in the background, logging what it says.
e2e_start_tavi() {
    local tavi="$1"
    shift
    "$tavi" --speech-log "$E2E_LOG" "$@" >>"$E2E_WORK/tavi.out" 2>&1 &
    E2E_TAVI=$!
}

# The id of the visible window whose title matches, once it is there.
window() {
    for _ in $(seq 150); do
        local id
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n1) || true
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    fail "no window named $1"
}

# Gives a window the keyboard: without a window manager nothing activates windows.
focus() {
    xdotool windowfocus --sync "$1"
    sleep 0.3
}

# Answers the start-up dialog with a user name and gives the main window the keyboard.
e2e_log_in() {
    local dialog
    dialog="$(window '^Soạn Thảo Tavi$')"
    # Under load the first key can reach the dialog before its field has the keyboard: the field
    # echoes every letter, so a name not echoed whole is typed again.
    for _ in 1 2 3; do
        focus "$dialog"
        local from
        from=$(log_lines)
        xdotool type --delay 30 "$1"
        echoed "$1" "$from" && break
        xdotool key --delay 10 End $(printf 'BackSpace %.0s' $(seq 40))
    done
    xdotool key Return
    E2E_MAIN=$(window 'Soạn Thảo Tavi - ')
    focus "$E2E_MAIN"
}

# Whether the letters of $1 were echoed one by one after line $2 of the log (waits a little).
echoed() {
    local got
    for _ in $(seq 30); do
        got=$(tail -n +"$(($2 + 1))" "$E2E_LOG" | cut -f3- | grep -v '^ *zzzmes' | tr -d '\n')
        [ "$got" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# What the program said from line $1 of the log on, without the times.
said_since() {
    tail -n +"$(($1 + 1))" "$E2E_LOG" | cut -f2-
}

log_lines() {
    wc -l <"$E2E_LOG"
}

# Waits until the log holds a line saying exactly this text (the program may still be
# working), from line $2 on when it is given.
wait_said() {
    for _ in $(seq 100); do
        tail -n +"$((${2:-0} + 1))" "$E2E_LOG" 2>/dev/null | cut -f3- | grep -qxF "$1" && return 0
        sleep 0.1
    done
    fail "never said: $1"
}

# Milliseconds of sound in a WAV file once it stops growing.
wav_ms() {
    local size=-1 now
    for _ in $(seq 50); do
        sleep 0.2
        now=$(stat -c %s "$1")
        [ "$now" = "$size" ] && break
        size=$now
    done
    python3 -c 'import sys, wave
w = wave.open(sys.argv[1])
print(w.getnframes() * 1000 // w.getframerate())' "$1"
}
