#!/usr/bin/env bash
# tavitool mail-fetch against POP3 peers on this machine, run as a user runs it: its peak memory
# over many large letters (from /usr/bin/time -v), and its wall time against a peer that sends
# a letter one byte every two seconds, beside the --timeout it was given.
#
#   bench/mail_fetch_bounds.sh [BUILD_DIR] [LETTERS] [MEGABYTES] [TIMEOUT]
#   (defaults: build, 20 letters of 60 MB, a time limit of 5 s)
set -euo pipefail

TOP=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$TOP/build}" && pwd)
LETTERS=${2:-20}
MB=${3:-60}
LIMIT=${4:-5}
TOOL=$BUILD/bin/tavitool
[ -x "$TOOL" ] || { echo "no $TOOL: build the tavitool target first" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }
WORK=$(mktemp -d)
PEER=""
trap '[ -z "$PEER" ] || kill "$PEER" 2>/dev/null; rm -rf "$WORK"' EXIT

# A POP3 peer for one conversation: LETTERS letters of MB megabytes each (base64 lines, as an
# attachment travels), or with "drip" one small letter sent a byte every two seconds. It
# writes its port to the file named first.
cat > "$WORK/peer.py" <<'EOF'
import socket, sys, time
portfile, letters, mb, mode = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
if mode == "drip":
    letters, letter = 1, b"From: slow@x.org\r\nSubject: drip\r\n\r\n" + b"a" * 40 + b"\r\n.\r\n"
else:
    line = b"QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVphYmNkZWZnaGlqa2xtbm9wcXJzdHV2d3h5ejAxMjM0\r\n"
    body = line * (mb * 1048576 // len(line))
    letter = b"From: Big <big@x.org>\r\nSubject: large\r\n\r\n" + body + b".\r\n"
server = socket.socket()
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", 0))
server.listen(1)
open(portfile, "w").write(str(server.getsockname()[1]))
conn, _ = server.accept()
conn.sendall(b"+OK ready\r\n")
reader = conn.makefile("rb")
for raw in reader:
    words = raw.decode().split()
    verb = words[0].upper() if words else ""
    if verb == "STAT":
        conn.sendall(b"+OK %d %d\r\n" % (letters, letters * len(letter)))
    elif verb == "LIST":
        conn.sendall(b"+OK %s %d\r\n" % (words[1].encode(), len(letter)))
    elif verb == "RETR":
        conn.sendall(b"+OK\r\n")
        if mode == "drip":
            for i in range(len(letter)):
                conn.sendall(letter[i:i + 1])
                time.sleep(2)
        else:
            conn.sendall(letter)
    elif verb == "QUIT":
        conn.sendall(b"+OK bye\r\n")
        break
    else:
        conn.sendall(b"+OK\r\n")
EOF

# Starts the peer; its port is in $WORK/port.
start_peer() {
    rm -f "$WORK/port"
    python3 "$WORK/peer.py" "$WORK/port" "$LETTERS" "$MB" "$1" > /dev/null &
    PEER=$!
    for _ in $(seq 600); do [ -s "$WORK/port" ] && break; sleep 0.1; done
}

fetch() {
    TAVI_MAIL_PASSWORD=x /usr/bin/time -v -o "$WORK/time.txt" "$TOOL" mail-fetch --tls none \
        --user u --timeout "$1" --server "127.0.0.1:$2" > "$WORK/out.txt" 2>&1 || true
}

start_peer many
fetch 600 "$(cat "$WORK/port")"
wait "$PEER" || true
PEER=""
listed=$(grep -c '^Letter: ' "$WORK/out.txt" || true)
kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$WORK/time.txt")
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$WORK/time.txt")
awk -v n="$LETTERS" -v mb="$MB" -v l="$listed" -v kb="$kb" -v w="$wall" 'BEGIN {
    printf "mail-fetch, %d letters of %d MB: %d listed, peak resident %.1f MB, %s\n", n, mb, l,
        kb / 1024, w }'

start_peer drip
start=$(date +%s%N)
fetch "$LIMIT" "$(cat "$WORK/port")"
end=$(date +%s%N)
kill "$PEER" 2>/dev/null || true
PEER=""
awk -v t="$LIMIT" -v ns=$((end - start)) -v last="$(tail -n1 "$WORK/out.txt")" 'BEGIN {
    printf "mail-fetch --timeout %d, a letter a byte every 2 s: ended after %.1f s: %s\n", t,
        ns / 1e9, last }'
