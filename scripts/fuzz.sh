#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs them.
#
#   scripts/fuzz.sh TARGET SECONDS   replay TARGET's corpus, then fuzz it for SECONDS
#   scripts/fuzz.sh all SECONDS      the same for every target, one after the other
#                                    (a target whose folder holds a file "seconds"
#                                    gets at least that many)
#   scripts/fuzz.sh list             name the targets
#
# New inputs that grow coverage go to build-fuzz/corpus/TARGET (not to the
# committed corpus); a crash leaves its input in build-fuzz/findings/ and
# fails the run: copy it into fuzz/TARGET/corpus/ once it is fixed.
# Limits: 2 seconds (or the target's fuzz/NAME/timeout) and 512 MB per input.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build-fuzz

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
CC=clang CXX=clang++ cmake -S fuzz -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)" >/dev/null

targets() {
  for dir in fuzz/*/; do
    name=$(basename "$dir")
    [ -f "$dir/targets.cmake" ] && echo "$name"
  done
}

# AddressSanitizer keeps freed memory instead of handing it back to the system
# now and then: pictures of tens of MiB come and go, and the handing back
# (madvise over the freed pages) took one input past the 2 s limit.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_release_to_os_interval_ms=-1"
# Allocations that system libraries keep for the life of the process (the
# font target's fontconfig) are not leaks of ours.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

run_one() {
  local name=$1 seconds=$2
  local binary="$BUILD/fuzz_$name" seeds="fuzz/$name/corpus" work="$BUILD/corpus/$name"
  # A target whose folder holds a file "timeout" gets that many seconds per
  # input (one that waits for a process with limits of its own).
  local timeout=2
  [ -f "fuzz/$name/timeout" ] && timeout=$(cat "fuzz/$name/timeout")
  local options=(-timeout="$timeout" -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1)
  [ -f "fuzz/$name/$name.dict" ] && options+=("-dict=fuzz/$name/$name.dict")
  mkdir -p "$work" "$BUILD/findings"
  echo "== fuzz $name: replaying $(ls "$seeds" | wc -l) corpus files"
  "$binary" "${options[@]}" -runs=0 -artifact_prefix="$BUILD/findings/$name-" "$seeds" \
    2>"$BUILD/$name.replay.log" || {
    tail -n 40 "$BUILD/$name.replay.log"; return 1; }
  echo "== fuzz $name: ${seconds} s"
  "$binary" "${options[@]}" -max_total_time="$seconds" -artifact_prefix="$BUILD/findings/$name-" \
    "$work" "$seeds" 2>"$BUILD/$name.log" || { tail -n 60 "$BUILD/$name.log"; return 1; }
  grep -E '^stat::number_of_executed_units' "$BUILD/$name.log" | sed "s/^/   $name /"
}

case "${1:-}" in
  list) targets ;;
  all)
    for t in $(targets); do
      seconds=${2:?seconds}
      if [ -f "fuzz/$t/seconds" ] && [ "$(cat "fuzz/$t/seconds")" -gt "$seconds" ]; then
        seconds=$(cat "fuzz/$t/seconds")
      fi
      run_one "$t" "$seconds"
    done ;;
  "") echo "usage: scripts/fuzz.sh TARGET|all SECONDS | list" >&2; exit 2 ;;
  *) [ -f "fuzz/$1/targets.cmake" ] || { echo "fuzz: no target $1" >&2; exit 2; }
     run_one "$1" "${2:?seconds}" ;;
esac
