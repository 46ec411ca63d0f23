#!/bin/sh
# A private PulseAudio server with one null output, for the tests that play through the sound
# server. Everything it keeps (socket, pid file, cookie, log) lives in DIR.
#   pulse-server.sh start DIR   exit status 0 once the server answers on DIR/pulse/native
#   pulse-server.sh stop DIR    stops the server started for DIR
# A server whose tests died without stopping it ends by itself once it has had no client for
# a while.
set -u
cmd=${1:-} dir=${2:-}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
    echo "usage: $0 start|stop DIR" >&2
    exit 2
fi
export XDG_RUNTIME_DIR="$dir" HOME="$dir" XDG_CONFIG_HOME="$dir/config"
case $cmd in
start)
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
