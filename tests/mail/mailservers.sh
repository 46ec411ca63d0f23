#!/usr/bin/env bash
# Starts and stops the real mail servers of the round-trip tests: OpenSMTPD accepting mail for
# the domain tavi.test on a free loopback port and delivering it into a Maildir, and Dovecot
# serving that Maildir over POP3 to one test user. Dovecot also takes letters for sending as
# providers do (SMTP submission: STARTTLS, or TLS from the first byte, then a login) and hands
# them to OpenSMTPD; its POP3 speaks TLS too (STLS, or TLS from the first byte), and there a
# login before TLS is refused. The certificate is made at start and signed by a test authority
# of its own, which no system trusts. (OpenSMTPD itself cannot be the TLS server: Debian 12's
# build fails every TLS handshake with OpenSSL 3.)
#
#   mailservers.sh start STATE_FILE   start both, write their ports and folders to STATE_FILE
#   mailservers.sh stop STATE_FILE    stop both and remove everything start made
#
# STATE_FILE holds KEY=VALUE lines:
#   smtp_port           SMTP on 127.0.0.1 (OpenSMTPD): plain, no STARTTLS, no login
#   pop3_port           POP3 on 127.0.0.1: plain (STLS offered); Dovecot counts a client from
#                       the listener's own address as secure, so the login works without TLS
#   tls_host            127.0.0.2, where the listeners below are; a client comes from 127.0.0.1,
#                       so Dovecot refuses any login there before TLS
#   misnamed_host       127.0.0.3: the same listeners, at an address the certificate does not
#                       name
#   smtp_starttls_port  SMTP submission: STARTTLS, then AUTH PLAIN or LOGIN, required
#   smtps_port          SMTP submission with TLS from the first byte, AUTH required
#   pop3_stls_port      POP3 with STLS
#   pop3s_port          POP3 with TLS from the first byte
#   ca_file             the test authority's certificate (PEM); the servers' certificate is for
#                       localhost, 127.0.0.1 and 127.0.0.2
#   user, password      the account, for POP3 and SMTP AUTH alike
#   maildir, domain     where letters for any address of the domain land
#   dir, smtpd_pid, dovecot_pid
#
# Everything lives in a fresh folder under /tmp. OpenSMTPD keeps its queue and control socket at
# fixed places (/var/spool/smtpd, /run/smtpd.sock), so it runs in a private mount namespace where
# both are empty scratch file systems: a system instance, or another test run, is never touched.
# Needs root (both servers drop their privileges themselves) and the Debian packages opensmtpd,
# dovecot-core, dovecot-pop3d, dovecot-submissiond and openssl.
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

source "$(dirname "$0")/../support/serverprocs.sh"

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

# Whether something listens on address $1, port $2.
port_open() {
    (exec 3<>"/dev/tcp/$1/$2") 2>/dev/null
}

# Makes the test authority (ca.crt) and the servers' certificate it signs (server.crt) in
# folder $1.
make_certificates() {
    local tls="$1" out
    cat >"$tls/openssl.cnf" <<EOF
[req]
distinguished_name = dn
[dn]
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[server]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost, IP:127.0.0.1, IP:127.0.0.2
EOF
    out=$(openssl req -x509 -config "$tls/openssl.cnf" -extensions ca -newkey rsa:2048 -nodes \
        -days 2 -subj "/CN=Tavi Test Authority" -keyout "$tls/ca.key" -out "$tls/ca.crt" 2>&1) ||
        fail "openssl cannot make the test authority: $out"
    out=$(openssl req -x509 -config "$tls/openssl.cnf" -extensions server -newkey rsa:2048 \
        -nodes -days 2 -subj "/CN=localhost" -CA "$tls/ca.crt" -CAkey "$tls/ca.key" \
        -keyout "$tls/server.key" -out "$tls/server.crt" 2>&1) ||
        fail "openssl cannot make the server certificate: $out"
    chmod 600 "$tls"/*.key
}

start_servers() {
    [ "$(id -u)" -eq 0 ] || fail "the mail servers need root to start (run the tests as root)"
    for program in smtpd dovecot unshare python3 openssl; do
        command -v "$program" >/dev/null || fail "$program not found: install opensmtpd," \
            "dovecot-core, dovecot-pop3d, dovecot-submissiond and openssl"
    done
    [ -x /usr/lib/dovecot/submission ] || fail "install dovecot-submissiond"
    getent passwd nobody >/dev/null || fail "no user nobody"
    local group
    group=$(id -gn nobody)

    # A state file left by an interrupted run names servers that may still be running.
    stop_servers

    local dir ports smtp_port pop3_port smtp_starttls_port smtps_port pop3_stls_port pop3s_port
    local tls_host=127.0.0.2 misnamed_host=127.0.0.3 user=tester password=tavi-s3cret
    dir=$(mktemp -d /tmp/tavi-mail.XXXXXXXX)
    chmod 755 "$dir"
    # Free ports on every address, all held until all are chosen, so they differ.
    ports=$(python3 -c '
import socket
held = [socket.socket() for _ in range(6)]
for s in held:
    s.bind(("0.0.0.0", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))')
    read -r smtp_port pop3_port smtp_starttls_port smtps_port pop3_stls_port pop3s_port <<<"$ports"

    mkdir -p "$dir/Maildir/cur" "$dir/Maildir/new" "$dir/Maildir/tmp" "$dir/home" \
        "$dir/dovecot/run" "$dir/dovecot/state" "$dir/tls"
    chown -R "nobody:$group" "$dir/Maildir" "$dir/home"
    make_certificates "$dir/tls"

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

    printf '%s:{PLAIN}%s::::::\n' "$user" "$password" >"$dir/dovecot/users"
    cat >"$dir/dovecot/dovecot.conf" <<EOF
base_dir = $dir/dovecot/run
state_dir = $dir/dovecot/state
instance_name = tavi-test-$pop3_port
protocols = pop3 submission
listen = 127.0.0.1
hostname = tavi.test
ssl = yes
ssl_cert = <$dir/tls/server.crt
ssl_key = <$dir/tls/server.key
# No login before TLS. Dovecot still counts a client from the listener's own address as
# secure: the plain POP3 listener on 127.0.0.1 serves the plain tests that way.
disable_plaintext_auth = yes
login_trusted_networks =
auth_mechanisms = plain login
log_path = $dir/dovecot/dovecot.log
log_timestamp = "%H:%M:%S.%{usecs} "
mail_location = maildir:$dir/Maildir
submission_relay_host = 127.0.0.1
submission_relay_port = $smtp_port
submission_relay_trusted = no
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
  inet_listener pop3-stls {
    address = $tls_host $misnamed_host
    port = $pop3_stls_port
  }
  inet_listener pop3s {
    address = $tls_host $misnamed_host
    port = $pop3s_port
    ssl = yes
  }
}
service submission-login {
  inet_listener submission {
    address = $tls_host $misnamed_host
    port = $smtp_starttls_port
  }
  inet_listener submissions {
    address = $tls_host $misnamed_host
    port = $smtps_port
    ssl = yes
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
tls_host=$tls_host
misnamed_host=$misnamed_host
smtp_starttls_port=$smtp_starttls_port
smtps_port=$smtps_port
pop3_stls_port=$pop3_stls_port
pop3s_port=$pop3s_port
ca_file=$dir/tls/ca.crt
maildir=$dir/Maildir
domain=tavi.test
user=$user
password=$password
EOF

    local host port up
    for _ in $(seq 200); do
        up=1
        for port in "$smtp_port" "$pop3_port"; do
            port_open 127.0.0.1 "$port" || up=0
        done
        for host in "$tls_host" "$misnamed_host"; do
            for port in "$smtp_starttls_port" "$smtps_port" "$pop3_stls_port" "$pop3s_port"; do
                port_open "$host" "$port" || up=0
            done
        done
        if [ $up -eq 1 ]; then
            echo "mailservers: SMTP on 127.0.0.1:$smtp_port, POP3 on 127.0.0.1:$pop3_port;" \
                "on $tls_host SMTP STARTTLS $smtp_starttls_port, TLS $smtps_port," \
                "POP3 STLS $pop3_stls_port, TLS $pop3s_port"
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
