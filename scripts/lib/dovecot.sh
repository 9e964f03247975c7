# shellcheck shell=bash
# A private Dovecot POP3 and IMAP server on 127.0.0.1 for trying the mail
# checker by hand or from end-to-end tests (Debian's dovecot-pop3d and
# dovecot-imapd; needs root). Its
# configuration is dovecot.conf.in, which tests/mail/dovecot_server.h (the
# C++ tests' server) fills in too.
#
#   source scripts/lib/dovecot.sh
#   dovecot_unavailable && exit     # prints why it cannot run here
#   start_dovecot DIR PORT [IMAP_PORT]  # DIR: an empty folder of its own
#   add_mailbox DIR USER PASSWORD [MESSAGES]   # MESSAGES small test messages
#   ...                             # POP3 on 127.0.0.1:PORT, IMAP on IMAP_PORT
#   stop_dovecot
#
# Mailboxes may be added before or after the start. Plain passwords: for
# throw-away test accounts only.

DOVECOT_PID=""
DOVECOT_TEMPLATE=$(dirname "${BASH_SOURCE[0]}")/dovecot.conf.in

# True, with the reason, when this machine cannot run a private Dovecot.
dovecot_unavailable() {
  if [[ ! -x /usr/sbin/dovecot || ! -x /usr/lib/dovecot/imap ]]; then
    echo "dovecot is not installed (apt-get install dovecot-pop3d dovecot-imapd)"
  elif [[ $(id -u) -ne 0 ]]; then
    echo "a private dovecot needs root"
  elif ! getent passwd dovecot dovenull >/dev/null || ! getent group dovecot >/dev/null; then
    echo "the dovecot and dovenull users are missing"
  else
    return 1
  fi
}

add_mailbox() {
  local dir=$1 user=$2 password=$3 count=${4:-0} n
  local maildir=$dir/mail/$user/Maildir
  mkdir -p "$maildir"/new "$maildir"/cur "$maildir"/tmp
  printf '%s:{PLAIN}%s\n' "$user" "$password" >>"$dir/users"
  chown root:dovecot "$dir/users"
  chmod 0640 "$dir/users"
  for ((n = 1; n <= count; n++)); do
    printf 'From: sender@example.invalid\r\nSubject: test %d\r\n\r\nmessage %d\r\n' "$n" "$n" \
      >"$maildir/new/$((1700000000 + n)).$n.kova"
  done
  chown -R dovecot:dovecot "$dir/mail"
}

start_dovecot() {
  local dir=$1 port=$2 imap_port=${3:-0} i why
  if why=$(dovecot_unavailable); then
    echo "$why" >&2
    return 1
  fi
  mkdir -p "$dir/mail"
  chmod 0755 "$dir"
  touch "$dir/users"
  chown root:dovecot "$dir/users"
  chmod 0640 "$dir/users"
  local conf
  conf=$(<"$DOVECOT_TEMPLATE")
  conf=${conf//@DIR@/$dir}
  conf=${conf//@PORT@/$port}
  conf=${conf//@SSL@/ssl = no}
  conf=${conf//@TLS_LISTENER@/}
  conf=${conf//@IMAP_PORT@/$imap_port}
  conf=${conf//@IMAPS_PORT@/0}
  printf '%s\n' "$conf" >"$dir/dovecot.conf"
  # The log process keeps the output it starts with: a file, not the caller's.
  /usr/sbin/dovecot -F -c "$dir/dovecot.conf" >"$dir/output.log" 2>&1 &
  DOVECOT_PID=$!
  for ((i = 0; i < 100; i++)); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      return 0
    fi
    kill -0 "$DOVECOT_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "dovecot did not start; see $dir/dovecot.log and $dir/output.log" >&2
  stop_dovecot
  return 1
}

stop_dovecot() {
  [[ -n $DOVECOT_PID ]] || return 0
  kill "$DOVECOT_PID" 2>/dev/null
  wait "$DOVECOT_PID" 2>/dev/null
  DOVECOT_PID=""
}
