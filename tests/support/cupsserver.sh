#!/usr/bin/env bash
# Starts and stops the real CUPS scheduler of the printing tests: a private cupsd on a free
# loopback port with three queues whose backend writes every job into a file.
#
#   cupsserver.sh start STATE_FILE   start it, write its address and folders to STATE_FILE
#   cupsserver.sh stop STATE_FILE    stop it and remove everything start made
#
# Queues: "Laser", the default, an ordinary printer that takes PDF as it is; "Embosser", a raw
# queue; "Closed", one that refuses every job. A job arrives as JOBS/<queue>-<job id>, and a
# job's title as JOBS/<queue>-<job id>.title.
#
# Everything lives in a fresh folder under /tmp: configuration, spool, logs, and a private
# ServerBin holding only our backend (and CUPS's own cups-exec), so a system scheduler is never
# touched. Needs root (cupsd runs backends that are not world-readable as root) and the Debian
# packages cups-daemon and cups-client.
set -euo pipefail

usage() {
    echo "usage: $0 start|stop STATE_FILE" >&2
    exit 2
}
[ $# -eq 2 ] || usage
action="$1"
state="$2"

fail() {
    echo "cupsserver: $*" >&2
    [ -n "${dir:-}" ] && [ -f "$dir/log/error_log" ] && tail -n 30 "$dir/log/error_log" >&2
    exit 1
}

source "$(dirname "$0")/serverprocs.sh"

stop_server() {
    [ -f "$state" ] || return 0
    local dir="" cupsd_pid=""
    # shellcheck disable=SC1090
    source "$state"
    [ -n "$dir" ] && end_servers "$dir" "$cupsd_pid"
    case "$dir" in
    /tmp/tavi-cups.*) rm -rf "$dir" ;;
    esac
    rm -f "$state"
}

start_server() {
    [ "$(id -u)" -eq 0 ] || fail "cupsd needs root to start (run the tests as root)"
    for program in cupsd lpadmin cupsreject python3; do
        command -v "$program" >/dev/null || fail "$program not found: install cups-daemon and cups-client"
    done
    stop_server

    local port
    dir=$(mktemp -d /tmp/tavi-cups.XXXXXXXX)
    chmod 755 "$dir"
    port=$(python3 -c '
import socket
s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    mkdir -p "$dir/etc/ppd" "$dir/spool/tmp" "$dir/cache" "$dir/state" "$dir/log" \
        "$dir/bin/backend" "$dir/bin/daemon" "$dir/bin/filter" "$dir/jobs"
    chmod 1777 "$dir/jobs"
    ln -s /usr/lib/cups/daemon/cups-exec "$dir/bin/daemon/cups-exec"

    # The backend: "tavifile:/FOLDER" keeps each job (a file argument or standard input).
    cat >"$dir/bin/backend/tavifile" <<'EOF'
#!/bin/sh
[ $# -eq 0 ] && { echo 'direct tavifile "Unknown" "Tavi test job folder"'; exit 0; }
folder="${DEVICE_URI#tavifile:}"
out="$folder/$PRINTER-$1"
printf '%s' "$3" >"$out.title"
if [ $# -ge 6 ]; then cat "$6" >"$out.part"; else cat >"$out.part"; fi
mv "$out.part" "$out"
EOF
    chmod 700 "$dir/bin/backend/tavifile"

    # An ordinary printer that takes PDF with no filter at all.
    cat >"$dir/Laser.ppd" <<'EOF'
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TAVIPDF.PPD"
*Manufacturer: "Tavi"
*Product: "(Tavi Test PDF Printer)"
*ModelName: "Tavi Test PDF Printer"
*ShortNickName: "Tavi Test PDF Printer"
*NickName: "Tavi Test PDF Printer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsFilter: "application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "18 18 577 824"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
EOF

    cat >"$dir/etc/cups-files.conf" <<EOF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
ServerBin $dir/bin
DataDir /usr/share/cups
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
FileDevice No
SystemGroup root
User lp
Group lp
EOF
    cat >"$dir/etc/cupsd.conf" <<EOF
LogLevel info
Listen 127.0.0.1:$port
Browsing No
DefaultAuthType None
WebInterface No
PreserveJobFiles No
MaxJobs 0
<Location />
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Location /admin>
  Order allow,deny
  Allow 127.0.0.1
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    local check
    check=$(cupsd -t -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" 2>&1) ||
        fail "cupsd rejects its configuration: $check"

    cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
    local cupsd_pid=$!
    for _ in $(seq 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
        running "$cupsd_pid" || fail "cupsd ended: $(cat "$dir/log/cupsd.out")"
        sleep 0.1
    done
    {
        echo "dir=$dir"
        echo "cupsd_pid=$cupsd_pid"
        echo "server=127.0.0.1:$port"
        echo "jobs=$dir/jobs"
    } >"$state"

    export CUPS_SERVER="127.0.0.1:$port"
    lpadmin -p Laser -E -v "tavifile:$dir/jobs" -P "$dir/Laser.ppd" 2>&1 || fail "no queue Laser"
    lpadmin -p Embosser -E -v "tavifile:$dir/jobs" 2>&1 || fail "no queue Embosser"
    lpadmin -p Closed -E -v "tavifile:$dir/jobs" 2>&1 || fail "no queue Closed"
    cupsreject -r "closed for the test" Closed || fail "Closed still takes jobs"
    lpadmin -d Laser || fail "Laser is not the default"
}

case "$action" in
start) start_server ;;
stop) stop_server ;;
*) usage ;;
esac
