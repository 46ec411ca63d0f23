#!/usr/bin/env bash
# tavitool beside iconv, as whole processes on the same files, the way a user runs them: each
# conversion five times in turn with iconv's, the median wall time of each, their ratio
# (below 1: tavitool is faster) and the peak memory of each (from /usr/bin/time -v). Then
# tavitool speak on 1 MB of VNI prose: the unit list and a WAV file, time and peak memory.
#
#   bench/tavitool_vs_iconv.sh [BUILD_DIR] [MEGABYTES]     (defaults: build, 40)
set -euo pipefail

TOP=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$TOP/build}" && pwd)
MB=${2:-40}
RUNS=5
TOOL=$BUILD/bin/tavitool
[ -x "$TOOL" ] || { echo "no $TOOL: build the tavitool target first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# The prose corpus in UTF-8, the few typographic characters that no 8-bit code has replaced by
# ASCII, repeated until the 8-bit form holds MB megabytes.
python3 - "$TOP/tests/data/vi/maint-guide-prose.txt" "$WORK/one.txt" <<'EOF'
import sys
text = open(sys.argv[1], encoding="utf-8").read()
for a, b in [("\u00a0", " "), ("\u201c", '"'), ("\u201d", '"'), ("\u2014", "-"),
             ("\u2026", "..."), ("\u200b", "")]:
    text = text.replace(a, b)
open(sys.argv[2], "w", encoding="utf-8").write(text)
EOF
one8=$(iconv -f UTF-8 -t VISCII "$WORK/one.txt" | wc -c)
copies=$(( MB * 1048576 / one8 + 1 ))
for ((i = 0; i < copies; i++)); do cat "$WORK/one.txt"; done > "$WORK/utf8.txt"
iconv -f UTF-8 -t VISCII "$WORK/utf8.txt" > "$WORK/viscii.txt"
iconv -f UTF-8 -t TCVN5712-1 "$WORK/utf8.txt" > "$WORK/tcvn3.txt"
iconv -f UTF-8 -t CP1258 "$WORK/utf8.txt" > "$WORK/cp1258.txt"

# Runs a command with its output in a file; prints "seconds peak-KB".
measure() {
    local out=$1; shift
    local start end
    start=$(date +%s%N)
    /usr/bin/time -v -o "$WORK/time.txt" "$@" > "$out"
    end=$(date +%s%N)
    local kb
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$WORK/time.txt")
    awk -v ns=$((end - start)) -v kb="$kb" 'BEGIN {printf "%.4f %d\n", ns / 1e9, kb}'
}

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

printf '%-26s %10s %10s %7s %10s %10s\n' "conversion ($(du -m "$WORK/viscii.txt" | cut -f1) MB)" \
    "tavitool s" "iconv s" "ratio" "tavi MB" "iconv MB"
compare() {
    local label=$1 file=$2 from=$3 to=$4 ifrom=$5 ito=$6
    : > "$WORK/t.txt"; : > "$WORK/i.txt"
    for ((r = 0; r < RUNS; r++)); do
        measure "$WORK/t.out" "$TOOL" convert --from "$from" --to "$to" "$file" >> "$WORK/t.txt"
        measure "$WORK/i.out" iconv -f "$ifrom" -t "$ito" "$file" >> "$WORK/i.txt"
    done
    cmp -s "$WORK/t.out" "$WORK/i.out" || echo "  $label: the outputs differ" >&2
    local ts is tm im
    ts=$(cut -d' ' -f1 "$WORK/t.txt" | median); is=$(cut -d' ' -f1 "$WORK/i.txt" | median)
    tm=$(cut -d' ' -f2 "$WORK/t.txt" | sort -n | tail -1)
    im=$(cut -d' ' -f2 "$WORK/i.txt" | sort -n | tail -1)
    awk -v l="$label" -v ts="$ts" -v is="$is" -v tm="$tm" -v im="$im" \
        'BEGIN {printf "%-26s %10.3f %10.3f %7.2f %10.1f %10.1f\n", l, ts, is, ts / is, tm / 1024, im / 1024}'
}
compare "VISCII -> UTF-8" "$WORK/viscii.txt" VISCII Unicode VISCII UTF-8
compare "UTF-8 -> VISCII" "$WORK/utf8.txt" Unicode VISCII UTF-8 VISCII
compare "TCVN3 -> UTF-8" "$WORK/tcvn3.txt" TCVN3 Unicode TCVN5712-1 UTF-8
compare "UTF-8 -> TCVN3" "$WORK/utf8.txt" Unicode TCVN3 UTF-8 TCVN5712-1
compare "Windows-1258 -> UTF-8" "$WORK/cp1258.txt" Windows-1258 Unicode CP1258 UTF-8
compare "UTF-8 -> Windows-1258" "$WORK/utf8.txt" Unicode Windows-1258 UTF-8 CP1258

# Speech needs the sound dictionary of the build.
if [ ! -f "$BUILD/share/tavi/dict.dat" ]; then
    echo "no sound dictionary in $BUILD: speak not measured"
    exit 0
fi
"$TOOL" convert --from Unicode --to "Vni for Win" "$WORK/utf8.txt" "$WORK/vni-all.txt"
head -c 1048576 "$WORK/vni-all.txt" > "$WORK/vni.txt"
printf '\n%-26s %10s %10s %10s\n' "speak ($(du -k "$WORK/vni.txt" | cut -f1) KB VNI)" "s" "peak MB" "output MB"
# Each run reads the text afresh from standard input.
speak() {
    local label=$1; shift
    : > "$WORK/s.txt"
    for ((r = 0; r < RUNS; r++)); do measure "$WORK/s.out" "$@" < "$WORK/vni.txt" >> "$WORK/s.txt"; done
    local s m size
    s=$(cut -d' ' -f1 "$WORK/s.txt" | median); m=$(cut -d' ' -f2 "$WORK/s.txt" | sort -n | tail -1)
    size=$(( $(stat -c %s "$WORK/s.out") + $(stat -c %s "$WORK/book.wav" 2>/dev/null || echo 0) ))
    awk -v l="$label" -v s="$s" -v m="$m" -v o="$size" \
        'BEGIN {printf "%-26s %10.2f %10.1f %10.1f\n", l, s, m / 1024, o / 1048576}'
}
speak "--units" "$TOOL" speak --units -
speak "--wav" "$TOOL" speak --wav "$WORK/book.wav" -
