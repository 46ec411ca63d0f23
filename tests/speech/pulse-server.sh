#!/bin/sh
# A private sound server with one null output, for the tests that play through the sound
# server: PulseAudio, or PipeWire with its pulse server and session manager. Everything it keeps
# (socket, pid files, cookie, logs) lives in DIR.
#   pulse-server.sh start DIR [KIND]      exit status 0 once the server answers on
#                                         DIR/pulse/native with an output; KIND: pulseaudio
#                                         (only what the tests need), pulseaudio-default (the
#                                         system's configuration: clients need
#                                         PULSE_COOKIE=DIR/config/pulse/cookie) or pipewire
#   pulse-server.sh stop DIR              stops the server started for DIR
# A PulseAudio server whose tests died without stopping it ends by itself once it has had no
# client for a while.
set -u
cmd=${1:-} dir=${2:-} kind=${3:-pulseaudio}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
    echo "usage: $0 start|stop DIR [pulseaudio|pipewire]" >&2
    exit 2
fi
export XDG_RUNTIME_DIR="$dir" HOME="$dir" XDG_CONFIG_HOME="$dir/config"
export PULSE_SERVER="unix:$dir/pulse/native"

start_pipewire() {
    mkdir -p "$dir" && chmod 700 "$dir" || exit 1
    rm -f "$dir/pw.pids"
    # The session manager ends at once without a session bus: a private one.
    dbus-daemon --session --fork --nopidfile --print-pid=3 --address="unix:path=$dir/bus" \
        3>>"$dir/pw.pids" || exit 1
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus"
    for part in pipewire wireplumber pipewire-pulse; do
        if ! command -v $part >/dev/null 2>&1; then
            echo "$part is not installed" >&2
            exit 1
        fi
        $part >"$dir/$part.log" 2>&1 &
        echo $! >>"$dir/pw.pids"
        [ $part = pipewire ] && sleep 0.2
    done
    # Ready once the pulse server lists the output the session manager made.
    i=0
    while [ $i -lt 100 ]; do
        if [ -S "$dir/pulse/native" ] && pactl list short sinks 2>/dev/null | grep -q .; then
            exit 0
        fi
        sleep 0.1
        i=$((i + 1))
    done
    echo "PipeWire did not offer an output" >&2
    cat "$dir"/pipewire*.log "$dir/wireplumber.log" >&2 2>/dev/null
    exit 1
}

case $cmd in
start)
    [ "$kind" = pipewire ] && start_pipewire
    if [ "$kind" = pulseaudio-default ]; then
        mkdir -p "$dir" && chmod 700 "$dir" || exit 1
        pulseaudio -D --exit-idle-time=-1 --log-target="file:$dir/pulse.log" 2>"$dir/start.log" ||
            { cat "$dir/start.log" "$dir/pulse.log" >&2; exit 1; }
        [ -S "$dir/pulse/native" ]
        exit
    fi
    if ! command -v pulseaudio >/dev/null 2>&1; then
        echo "pulseaudio is not installed" >&2
        exit 1
    fi
    mkdir -p "$dir" && chmod 700 "$dir" || exit 1
    # -n: none of the machine's own configuration; the two modules are all the tests need.
    if ! pulseaudio -D -n --exit-idle-time=15 --log-target="file:$dir/pulse.log" \
        --load="module-native-protocol-unix auth-anonymous=1" \
        --load="module-null-sink sink_name=tavi_test" 2>"$dir/start.log"; then
        cat "$dir/start.log" "$dir/pulse.log" >&2 2>/dev/null
        exit 1
    fi
    [ -S "$dir/pulse/native" ]
    ;;
stop)
    if [ -f "$dir/pw.pids" ]; then
        for pid in $(cat "$dir/pw.pids"); do kill "$pid" 2>/dev/null; done
        for pid in $(cat "$dir/pw.pids"); do
            i=0
            while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do
                sleep 0.1
                i=$((i + 1))
            done
        done
        rm -f "$dir/pw.pids" "$dir/pulse/native"
        exit 0
    fi
    [ -f "$dir/pulse/pid" ] || exit 0
    pid=$(cat "$dir/pulse/pid")
    kill "$pid" 2>/dev/null
    # It removes its pid file last: wait for that, so that DIR is removed after it.
    i=0
    while [ -e "$dir/pulse/pid" ] && kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    exit 0
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
