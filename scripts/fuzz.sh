#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ (clang, address and undefined
# sanitizers, build-fuzz/) and runs each for SECONDS (default 60), from its
# seed corpus in fuzz/corpus/<target>/ plus what earlier runs found
# (build-fuzz/corpus/<target>/). KOVA_FUZZ_RUNS=N runs N inputs per target
# instead. Inputs that break a target land in build-fuzz/findings/. Prints
# the inputs run per target and in all; exits non-zero on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
dir=${KOVA_FUZZ_BUILD_DIR:-build-fuzz}
targets=(fuzz_pop3_dialogue fuzz_imap_dialogue fuzz_profile_file fuzz_text_codec fuzz_note_record
  fuzz_command_line fuzz_autostart_entry)

CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOVA_FUZZ=ON \
  -DBUILD_TESTING=OFF -DKOVA_E2E_TESTS=OFF -DKOVA_BUILD_BENCH=OFF >/dev/null
ninja -C "$dir" -j "${KOVA_JOBS:-2}" fuzzers

mkdir -p "$dir/findings"
# The profile-file target saves a file per input: a memory file system if
# there is one.
scratch=$(mktemp -d "$([[ -w /dev/shm ]] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/kova-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

if [[ -n ${KOVA_FUZZ_RUNS:-} ]]; then
  limit=(-runs="$KOVA_FUZZ_RUNS")
else
  limit=(-max_total_time="$seconds")
fi
total=0
status=0
for target in "${targets[@]}"; do
  mkdir -p "$dir/corpus/$target"
  log=$scratch/$target.log
  TMPDIR=$scratch ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
    UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    "$dir/bin/$target" "${limit[@]}" -print_final_stats=1 -max_len=4096 \
    -artifact_prefix="$dir/findings/$target-" \
    "$dir/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1 || {
    status=1
    echo "== $target: FOUND something (see $dir/findings/):"
    grep -E 'ERROR|property broken|runtime error|SUMMARY' "$log" | head -n 5 | sed 's/^/  /'
  }
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  echo "$target: ${runs:-0} inputs"
  total=$((total + ${runs:-0}))
done
echo "all targets: $total inputs"
exit "$status"
