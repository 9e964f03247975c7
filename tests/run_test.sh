#!/usr/bin/env bash
# run_test.sh COMMAND [ARGS...]: runs one test so that nothing of it outlives
# it, whichever way it ends: passed, failed, skipped, crashed, or killed by
# CTest past its time (SIGKILL to the test's process tree, no trap runs).
#
# The test gets a folder of its own as TMPDIR (its temporary folders, an
# end-to-end test's data folder and logs) and the mark KOVA_TEST_RUN=FOLDER in
# its environment (scripts/lib/leftovers.sh). Once it has ended, the processes
# still carrying the mark are named on standard error and ended, the test then
# fails, and the folder is removed (kept where the test is asked to keep its
# files: E2E_KEEP, KOVA_KEEP_DOVECOT). Should this script be killed first, a
# watchdog outside the test's process tree ends them and removes the folder.
# Exits with the test's status (77: skipped).
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../scripts/lib/leftovers.sh
source "$here/../scripts/lib/leftovers.sh"

if [[ ${1:-} == --watch ]]; then
  # The watchdog: waits for the runner, then takes away what it left.
  runner=$2 folder=$3
  tail --pid="$runner" -s 0.5 -f /dev/null
  # shellcheck disable=SC2046
  end_processes $(marked_processes "$folder")
  remove_folder "$folder"
  exit 0
fi

folder=$(mktemp -d "${TMPDIR:-/tmp}/kova-test.XXXXXX") || exit 1
# Open as /tmp is: a test that goes on as another user (setpriv) makes its
# folders inside, a server running as a user of its own (Dovecot) reaches them.
chmod 1777 "$folder"
# A session of its own, so that CTest's kill of this script's tree misses it.
watchdog=$( (setsid bash "$0" --watch $$ "$folder" </dev/null >/dev/null 2>&1 & echo $!))

KOVA_TEST_RUN=$folder TMPDIR=$folder "$@" &
test_pid=$!
# A request to stop (Ctrl+C, a SIGTERM) goes to the test, which ends as it would.
trap 'kill -TERM "$test_pid" 2>/dev/null' TERM INT
status=0
while :; do
  wait "$test_pid" && status=0 || status=$?
  # wait returns early when a trap ran: go on waiting until the test is gone.
  [[ -e /proc/$test_pid ]] || break
done
trap - TERM INT

# What ends by itself ends now (a tool the program started in the background).
for ((i = 0; i < 20; i++)); do
  [[ -z $(marked_processes "$folder") ]] && break
  sleep 0.1
done
mapfile -t leftovers < <(marked_processes "$folder")
if ((${#leftovers[@]} > 0)); then
  echo "run_test.sh: the test left these running (now ended):" >&2
  describe_processes "${leftovers[@]}" | sed 's/^/  /' >&2
  end_processes "${leftovers[@]}"
  ((status == 0 || status == 77)) && status=1
fi
kill -TERM -- "-$watchdog" 2>/dev/null
# A test asked to keep its files for a look (E2E_KEEP, KOVA_KEEP_DOVECOT) keeps them.
if [[ -n ${E2E_KEEP:-}${KOVA_KEEP_DOVECOT:-} ]]; then
  echo "run_test.sh: the test's files are kept in $folder" >&2
else
  remove_folder "$folder"
fi

# A test that died of a signal dies of it here too, so CTest says which.
if ((status > 128 && status < 160)); then
  trap - "$((status - 128))" 2>/dev/null
  kill -s "$((status - 128))" $$
fi
exit "$status"
