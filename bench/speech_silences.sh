#!/usr/bin/env bash
# The silences heard in the first moments of speech at each rate, through the real sound
# server: tavitool plays a sentence on a private PulseAudio server whose null output is
# recorded, and the recording is read with sox. A hole after the first syllable (a short first
# buffer padded with silence) shows as the longest silence early on; the pauses of the voice
# itself between words are about 90 ms at 1x and shrink with the rate; the same sound written to
# a WAV file without a device shows them. The recording asks for a short latency, so that the
# server does not render far ahead; it may still miss the first tens of milliseconds.
#   bench/speech_silences.sh TAVITOOL_BINARY [RATE...]
[ $# -ge 1 ] || { echo "usage: $0 TAVITOOL_BINARY [RATE...]" >&2; exit 2; }
tavitool=$(realpath "$1")
shift
rates=${*:-1 2 3 4 5}
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$(mktemp -d)
trap '"$top/tests/speech/pulse-server.sh" stop "$dir"; rm -rf "$dir"' EXIT
"$top/tests/speech/pulse-server.sh" start "$dir" || exit 1
export XDG_RUNTIME_DIR="$dir" PULSE_SERVER="unix:$dir/pulse/native" TAVI_AUDIO=qt
sentence="Xin chào, tôi là Tavi, trình soạn thảo biết nói. Tôi đọc văn bản cho bạn nghe."

# The silences of a recording from its first sound on: every one of at least 10 ms in the first
# 500 ms of speech as "start+length" (ms), then the length of the sound. Silence: below 1% of
# full scale.
silences() {
    sox "$1" -t dat - | awk '
        /^;/ { next }
        { t = $1 * 1000; v = $2 < 0 ? -$2 : $2 }
        onset == "" && v >= 0.01 { onset = t }
        onset == "" { next }
        v >= 0.01 {
            if (quiet != "" && t - quiet >= 10 && quiet - onset < 500)
                list = list sprintf(" %.0f+%.0f", quiet - onset, t - quiet)
            quiet = ""; last = t; next
        }
        quiet == "" { quiet = t }
        END { printf "%.0f%s\n", last - onset, list }'
}

echo "rate  source  sound_ms  silences in the first 500 ms (start+length, ms)"
for rate in $rates; do
    parec --latency-msec=10 -d tavi_test.monitor --file-format=wav --format=s16le --rate=22050 --channels=1 \
        "$dir/rec.wav" &
    rec=$!
    sleep 0.5
    "$tavitool" speak --table Unicode --rate "$rate" --play "$sentence" || exit 1
    sleep 0.5
    kill "$rec"
    wait "$rec" 2>/dev/null
    read -r sound list < <(silences "$dir/rec.wav")
    printf '%-5s %-7s %8s  %s\n' "$rate" server "$sound" "$list"
    # The same sound as the voice makes it, without a device: the silences of the voice itself.
    "$tavitool" speak --table Unicode --rate "$rate" --wav "$dir/voice.wav" "$sentence" || exit 1
    read -r sound list < <(silences "$dir/voice.wav")
    printf '%-5s %-7s %8s  %s\n' "$rate" voice "$sound" "$list"
done
