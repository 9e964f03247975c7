# shellcheck shell=bash
# What a test leaves behind: the processes that carry its mark, and its
# folder. tests/run_test.sh gives every test a folder of its own and the mark
# KOVA_TEST_RUN=FOLDER in its environment, which every process the test starts
# inherits, also those that leave its process tree (a server that puts itself
# in the background, the session bus D-Bus autolaunches for the program).
# Sourced by tests/run_test.sh and scripts/test.sh.

# marked_processes PREFIX: the pids of the processes whose mark starts with
# PREFIX, one a line.
marked_processes() {
  local pattern=^KOVA_TEST_RUN=${1//./\\.} file
  for file in $(grep -lz -- "$pattern" /proc/[0-9]*/environ 2>/dev/null); do
    file=${file#/proc/}
    echo "${file%/environ}"
  done
}

# describe_processes PID...: "PID COMMAND LINE", one a line.
describe_processes() {
  (($# > 0)) || return 0
  ps -o pid=,args= -p "$(
    IFS=,
    echo "$*"
  )" 2>/dev/null || true
}

# end_processes PID...: SIGTERM, then SIGKILL to those still there after 3 s.
end_processes() {
  (($# > 0)) || return 0
  kill -TERM "$@" 2>/dev/null
  local i pid stat alive
  for ((i = 0; i < 30; i++)); do
    alive=()
    for pid in "$@"; do
      stat=$(cat "/proc/$pid/stat" 2>/dev/null) || continue
      stat=${stat##*) }
      [[ ${stat:0:1} == Z ]] || alive+=("$pid")
    done
    ((${#alive[@]} > 0)) || return 0
    sleep 0.1
  done
  kill -KILL "${alive[@]}" 2>/dev/null
  return 0
}

# remove_folder FOLDER: removes it with everything in it, file systems a test
# mounted inside first (a full disk's tmpfs, a read-only one), folders it made
# read-only too; never anything outside it.
remove_folder() {
  local folder=$1 mount_point
  [[ -d $folder ]] || return 0
  # The deepest first; mountinfo's fifth field is the mount point.
  while read -r mount_point; do
    umount -l "$mount_point" 2>/dev/null
  done < <(awk -v f="$folder/" 'index($5, f) == 1 { print $5 }' /proc/self/mountinfo | sort -r)
  chmod -R u+w "$folder" 2>/dev/null
  rm -rf --one-file-system "$folder"
}
