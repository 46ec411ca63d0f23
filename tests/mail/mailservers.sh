#!/usr/bin/env bash
# Starts and stops the real mail servers of the round-trip tests: OpenSMTPD accepting mail for
# the domain tavi.test on a free loopback port and delivering it into a Maildir, and Dovecot
# serving that Maildir over POP3 on another free loopback port to one test user.
#
#   mailservers.sh start STATE_FILE   start both, write their ports and folders to STATE_FILE
#   mailservers.sh stop STATE_FILE    stop both and remove everything start made
#
# Everything lives in a fresh folder under /tmp. OpenSMTPD keeps its queue and control socket at
# fixed places (/var/spool/smtpd, /run/smtpd.sock), so it runs in a private mount namespace where
# both are empty scratch file systems: a system instance, or another test run, is never touched.
# Needs root (both servers drop their privileges themselves) and the Debian packages opensmtpd,
# dovecot-core and dovecot-pop3d.
set -euo pipefail

usage() {
    echo "usage: $0 start|stop STATE_FILE" >&2
    exit 2
}
[ $# -eq 2 ] || usage
action="$1"
state="$2"

fail() {
    echo "mailservers: $*" >&2
    exit 1
}

# Whether a process is still running (a zombie waiting for its parent counts as ended).
running() {
    [ -n "$1" ] && [ -r "/proc/$1/stat" ] && ! grep -q '^[0-9]* ([^)]*) Z' "/proc/$1/stat"
}

# Whether process $1 is one of ours: its command line names our folder $2. A state file left
# from before a reboot may name ids that other processes have now.
ours() {
    [ -n "$1" ] && [ -r "/proc/$1/cmdline" ] && tr '\0' ' ' <"/proc/$1/cmdline" | grep -qF "$2"
}

# Ends our servers, given the folder and their ids: politely, then for good.
end_servers() {
    local dir="$1" pid pids=()
    shift
    for pid in "$@"; do ours "$pid" "$dir" && pids+=("$pid"); done
    [ ${#pids[@]} -eq 0 ] && return 0
    kill -TERM "${pids[@]}" 2>/dev/null || true
    for _ in $(seq 100); do
        local left=0
        for pid in "${pids[@]}"; do running "$pid" && left=1; done
        [ $left -eq 0 ] && return 0
        sleep 0.1
    done
    kill -KILL "${pids[@]}" 2>/dev/null || true
}

stop_servers() {
    [ -f "$state" ] || return 0
    local dir="" smtpd_pid="" dovecot_pid=""
    # shellcheck disable=SC1090
    source "$state"
    [ -n "$dir" ] && end_servers "$dir" "$smtpd_pid" "$dovecot_pid"
    case "$dir" in
    /tmp/tavi-mail.*) rm -rf "$dir" ;;
    esac
    rm -f "$state"
}

port_open() {
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

start_servers() {
    [ "$(id -u)" -eq 0 ] || fail "the mail servers need root to start (run the tests as root)"
    for program in smtpd dovecot unshare python3; do
        command -v "$program" >/dev/null ||
            fail "$program not found: install opensmtpd, dovecot-core and dovecot-pop3d"
    done
    getent passwd nobody >/dev/null || fail "no user nobody"
    local group
    group=$(id -gn nobody)

    # A state file left by an interrupted run names servers that may still be running.
    stop_servers

    local dir ports smtp_port pop3_port
    dir=$(mktemp -d /tmp/tavi-mail.XXXXXXXX)
    chmod 755 "$dir"
    ports=$(python3 -c '
import socket
a, b = socket.socket(), socket.socket()
a.bind(("127.0.0.1", 0)); b.bind(("127.0.0.1", 0))
print(a.getsockname()[1], b.getsockname()[1])')
    read -r smtp_port pop3_port <<<"$ports"

    mkdir -p "$dir/Maildir/cur" "$dir/Maildir/new" "$dir/Maildir/tmp" "$dir/home" \
        "$dir/dovecot/run" "$dir/dovecot/state"
    chown -R "nobody:$group" "$dir/Maildir" "$dir/home"

    # Every address of the domain goes to the one Maildir, delivered as nobody; any other
    # domain is refused, which is how the tests see a rejected recipient.
    echo "@tavi.test nobody" >"$dir/vusers"
    cat >"$dir/smtpd.conf" <<EOF
table vusers file:$dir/vusers
listen on 127.0.0.1 port $smtp_port hostname tavi.test
action "deliver" maildir "$dir/Maildir" virtual <vusers> user nobody
match from any for domain "tavi.test" action "deliver"
EOF
    local check
    check=$(smtpd -n -f "$dir/smtpd.conf" 2>&1) || fail "OpenSMTPD rejects its configuration: $check"

    printf 'tester:{PLAIN}tavi-s3cret::::::\n' >"$dir/dovecot/users"
    cat >"$dir/dovecot/dovecot.conf" <<EOF
base_dir = $dir/dovecot/run
state_dir = $dir/dovecot/state
instance_name = tavi-test-$pop3_port
protocols = pop3
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain
log_path = $dir/dovecot/dovecot.log
log_timestamp = "%H:%M:%S.%{usecs} "
mail_location = maildir:$dir/Maildir
passdb {
  driver = passwd-file
  args = $dir/dovecot/users
}
userdb {
  driver = static
  args = uid=nobody gid=$group home=$dir/home
}
service pop3-login {
  inet_listener pop3 {
    address = 127.0.0.1
    port = $pop3_port
  }
  inet_listener pop3s {
    port = 0
  }
}
EOF

    unshare --mount --propagation private -- sh -c \
        'mount -t tmpfs tmpfs /var/spool && mount -t tmpfs tmpfs /run && exec smtpd -d -f "$1"' \
        sh "$dir/smtpd.conf" </dev/null >"$dir/smtpd.log" 2>&1 &
    local smtpd_pid=$!
    dovecot -F -c "$dir/dovecot/dovecot.conf" </dev/null >"$dir/dovecot/stdout.log" 2>&1 &
    local dovecot_pid=$!

    cat >"$state" <<EOF
dir=$dir
smtpd_pid=$smtpd_pid
dovecot_pid=$dovecot_pid
smtp_port=$smtp_port
pop3_port=$pop3_port
maildir=$dir/Maildir
domain=tavi.test
user=tester
password=tavi-s3cret
EOF

    for _ in $(seq 200); do
        if port_open "$smtp_port" && port_open "$pop3_port"; then
            echo "mailservers: SMTP on 127.0.0.1:$smtp_port, POP3 on 127.0.0.1:$pop3_port"
            return 0
        fi
        if ! running "$smtpd_pid" || ! running "$dovecot_pid"; then
            break
        fi
        sleep 0.1
    done
    echo "mailservers: the servers did not start; their logs:" >&2
    cat "$dir/smtpd.log" "$dir/dovecot/stdout.log" "$dir/dovecot/dovecot.log" >&2 2>/dev/null || true
    stop_servers
    exit 1
}

case "$action" in
start) start_servers ;;
stop) stop_servers ;;
*) usage ;;
esac
