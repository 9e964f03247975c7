#!/usr/bin/env bash
# Checks the C++ formatting, then builds KovaShell and runs every test: first
# the unit and widget tests of an address/undefined-sanitizer build
# (build-asan/), each fuzz target for a few seconds (build-fuzz/), then the
# warning-free Debug build (build/) with all tests,
# end-to-end ones included. Exits non-zero on any failure; the last line
# printed is the CTest summary of the main run.
set -euo pipefail
cd "$(dirname "$0")/.."

"$(pwd)/scripts/install-deps.sh"

# The C++ sources keep the layout of .clang-format; a quick check before the
# long builds.
echo "== formatting (clang-format)"
unformatted=()
while IFS= read -r -d '' file; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files -z -- '*.cpp' '*.h')
if ((${#unformatted[@]} > 0)); then
  echo "Not formatted as .clang-format says (fix with: clang-format -i FILE...):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi

jobs=${KOVA_JOBS:-2}
# A test without a time limit of its own fails after 300 s rather than hold
# the run.
ctest_options=(--output-on-failure -j "$jobs" --timeout 300 --no-label-summary)
main_dir=${KOVA_BUILD_DIR:-build}
asan_dir=${KOVA_ASAN_BUILD_DIR:-build-asan}
configure() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKOVA_WERROR=ON "$@" >/dev/null
}

# The includes keep the layers: the compiler checks those it finds through
# the include roots, this those it finds beside the including file; also
# quick, before the long builds.
echo "== layers (scripts/check-layers.py)"
configure "$main_dir"
python3 scripts/check-layers.py "$main_dir"

# Every test runs in a folder of its own (tests/run_test.sh), here inside
# one of this run's: what is left in it after the tests, or still running
# with a test's mark, is reported at the end.
# shellcheck source=lib/leftovers.sh
source scripts/lib/leftovers.sh
tests_tmp=$(mktemp -d "${TMPDIR:-/tmp}/kova-tests.XXXXXX")
chmod 0711 "$tests_tmp"
log=$(mktemp)
trap 'rm -f "$log"; remove_folder "$tests_tmp"' EXIT

echo "== sanitizer build ($asan_dir/)"
configure "$asan_dir" -DKOVA_SANITIZE=ON
ninja -C "$asan_dir" -j "$jobs"
# A failure here is reported at the end, after the main run.
asan_status=0
TMPDIR=$tests_tmp ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
  ctest --test-dir "$asan_dir" -LE e2e "${ctest_options[@]}" ||
  asan_status=$?

# Each fuzz target a few seconds, from its seeds and what earlier runs found.
echo "== fuzz targets (scripts/fuzz.sh)"
fuzz_status=0
KOVA_JOBS=$jobs scripts/fuzz.sh "${KOVA_FUZZ_SECONDS:-5}" || fuzz_status=$?

echo "== main build ($main_dir/)"
configure "$main_dir"
ninja -C "$main_dir" -j "$jobs"

status=0
TMPDIR=$tests_tmp ctest --test-dir "$main_dir" "${ctest_options[@]}" 2>&1 | tee "$log" ||
  status=$?
summary=$(grep -E '^[0-9]+% tests passed' "$log" | tail -n 1 || true)
echo

# The watchdog of a test killed at its time limit may still be at work.
for ((i = 0; i < 50; i++)); do
  [[ -z $(marked_processes "$tests_tmp/") && -z $(ls -A "$tests_tmp") ]] && break
  sleep 0.1
done
mapfile -t leftovers < <(marked_processes "$tests_tmp/")
if ((${#leftovers[@]} > 0)) || [[ -n $(ls -A "$tests_tmp") ]]; then
  echo "The tests left behind (now taken away):"
  describe_processes "${leftovers[@]}" | sed 's/^/  process /'
  ls -A "$tests_tmp" | sed 's/^/  folder /'
  end_processes "${leftovers[@]}"
  ((status != 0)) || status=1
else
  echo "The tests left no process and no folder behind."
fi
if ((fuzz_status != 0)); then
  echo "The fuzz targets FOUND something (see above)."
  ((status != 0)) || status=$fuzz_status
fi
if ((asan_status != 0)); then
  echo "The sanitizer run FAILED (see above)."
  ((status != 0)) || status=$asan_status
fi
echo "${summary:-ctest gave no summary (exit status $status)}"
exit "$status"
