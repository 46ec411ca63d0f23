#!/usr/bin/env bash
# Mail by voice, through the real program and real servers over TLS with a login (started by
# the test fixture, mailservers.sh): the account set up with Ctrl+E, the document sent with
# Ctrl+G over STARTTLS, the letter fetched with Ctrl+U over STLS, then counted, saved, copied
# into the document and deleted in the viewer; then a letter refused for a wrong password.
#   tavi_mail_e2e.sh TAVI_BINARY MAILSERVERS_STATE_FILE
[ $# -eq 2 ] || { echo "usage: $0 TAVI_BINARY MAILSERVERS_STATE_FILE" >&2; exit 2; }
source "$(dirname "$0")/../support/e2e.sh"
tavi="$1"
# shellcheck disable=SC1090
source "$2"

e2e_start_x
# The servers' authority is a test one: the account names it, as a user of such a server would.
mkdir -p "$XDG_CONFIG_HOME/tavi"
printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\SoftWare\\Tavi\\TaviSettings\\ANNA]\n"MailCaFile"="%s"\n' \
    "$ca_file" >"$XDG_CONFIG_HOME/tavi/registry.reg"
rm -f "$maildir"/new/* "$maildir"/cur/* 2>/dev/null || true

e2e_start_tavi "$tavi"
e2e_log_in anna
xdotool type --delay 40 'Vie65t Nam'

# The account: every field typed, Enter chooses it; the security list stays on "by the port".
before=$(log_lines)
xdotool key ctrl+e
focus "$(window '^Cài đặt hộp thư$')"
for field in "$user" "$password" "$user@$domain" "$tls_host:$pop3_stls_port"; do
    xdotool type --delay 30 "$field"
    xdotool key Tab
done
xdotool type --delay 30 "$tls_host:$smtp_starttls_port"
xdotool key Return
wait_said "zzzmesa" "$before"
said_since "$before" | grep -qF "$password" && fail "the password was said"
said_since "$before" | grep -qxF $'vi\t\\t' && fail "Tab was said as a character"

# Send: the address, Enter, the subject, Enter.
before=$(log_lines)
xdotool key ctrl+g
focus "$(window '^Gửi văn bản qua thư$')"
xdotool type --delay 30 "$user@$domain"
xdotool key Return
xdotool type --delay 40 'Chao'
xdotool key Return
wait_said "zzzmesgd " "$before"
wait_said "zzzmesa" "$before" # the transfer window closed
letter=""
for _ in $(seq 100); do
    letter=$(ls "$maildir"/new/* 2>/dev/null | head -n1) || true
    [ -n "$letter" ] && break
    sleep 0.1
done
[ -n "$letter" ] || fail "no letter arrived"
grep -q 'charset="utf-8"' "$letter" && grep -q 'Vi=E1=BB=87t Nam' "$letter" ||
    fail "the letter reads: $(cat "$letter")"

# Fetch: the viewer reads the letter; F2 counts; Ctrl+S saves; Ctrl+C copies; Delete deletes.
focus "$E2E_MAIN"
xdotool key ctrl+a Delete
before=$(log_lines)
xdotool key ctrl+u
focus "$(window '^Đọc thư$')"
for _ in $(seq 100); do said_since "$before" | grep -q "Việt Nam" && break; sleep 0.1; done
said_since "$before" | grep -q "Việt Nam" || fail "the letter was not read"
before=$(log_lines)
xdotool key F2
wait_said "bạn có 1 thư" "$before"
xdotool key ctrl+s
focus "$(window '^Lưu tập tin$')"
xdotool type --delay 40 'thu1'
xdotool key Return
focus "$(window '^Đọc thư$')"
for _ in $(seq 50); do [ -f "$HOME/Documents/Tavi/ANNA/thu1.TXT" ] && break; sleep 0.1; done
[ -f "$HOME/Documents/Tavi/ANNA/thu1.TXT" ] || fail "the letter was not saved"
before=$(log_lines)
xdotool key ctrl+c
wait_said " zzzmesgu " "$before"
xdotool key Delete
focus "$(window '^Soạn Thảo Tavi$')" # the question
xdotool key Return
wait_said "zzzmesa" "$before"

# A wrong password (Tab selects the field's text): the server refuses the login, and the user
# hears why and that the letter was not sent.
before=$(log_lines)
xdotool key ctrl+e
focus "$(window '^Cài đặt hộp thư$')"
xdotool key Tab
xdotool type --delay 30 'x'
xdotool key Return
wait_said "zzzmesa" "$before"
before=$(log_lines)
xdotool key ctrl+g
focus "$(window '^Gửi văn bản qua thư$')"
xdotool type --delay 30 "$user@$domain"
xdotool key Return Return
wait_said "zzzmesgz" "$before"
said_since "$before" | grep -q "zzzmesgj" || fail "the refused login was not said"
kill -0 "$E2E_TAVI" 2>/dev/null || fail "the program ended"
echo "tavi_mail_e2e: set up, sent over STARTTLS, fetched over STLS, saved, copied, deleted, refused"
