# shellcheck shell=bash
# A private Dovecot POP3 server on 127.0.0.1 for trying the mail checker by
# hand or from end-to-end tests (Debian's dovecot-pop3d; needs root). The C++
# tests use tests/mail/dovecot_server.h, which writes the same configuration.
#
#   source scripts/lib/dovecot.sh
#   start_dovecot DIR PORT          # DIR: an empty folder of its own
#   add_mailbox DIR USER PASSWORD [MESSAGES]   # MESSAGES small test messages
#   ...                             # POP3 on 127.0.0.1:PORT
#   stop_dovecot
#
# Mailboxes may be added before or after the start. Plain passwords: for
# throw-away test accounts only.

DOVECOT_PID=""

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
  local dir=$1 port=$2 i
  if [[ ! -x /usr/sbin/dovecot ]]; then
    echo "dovecot is not installed (apt-get install dovecot-pop3d)" >&2
    return 1
  fi
  mkdir -p "$dir/mail"
  chmod 0755 "$dir"
  touch "$dir/users"
  chown root:dovecot "$dir/users"
  chmod 0640 "$dir/users"
  cat >"$dir/dovecot.conf" <<CONF
base_dir = $dir/base
state_dir = $dir/state
log_path = $dir/dovecot.log
protocols = pop3
listen = 127.0.0.1
ssl = no
disable_plaintext_auth = no
auth_mechanisms = plain login
auth_failure_delay = 0
first_valid_uid = 1
default_internal_user = dovecot
default_internal_group = dovecot
default_login_user = dovenull
mail_location = maildir:~/Maildir
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u $dir/users
}
userdb {
  driver = static
  args = uid=dovecot gid=dovecot home=$dir/mail/%u
}
service pop3-login {
  chroot =
  inet_listener pop3 {
    address = 127.0.0.1
    port = $port
  }
}
# Without it a failed login makes the next ones wait up to 15 s.
service anvil {
  chroot =
  unix_listener anvil-auth-penalty {
    mode = 0
  }
}
CONF
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
