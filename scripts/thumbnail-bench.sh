#!/bin/sh
# The thumbnail of our character with no display: RUNS runs of
# `reflect-refract --thumbnail SIZE Ref_Red.smd OUT.png`, each wall time and
# peak resident memory (GNU time -v, the largest process of the run), then
# the median time and the largest peak.
#
# Usage: scripts/thumbnail-bench.sh [PROGRAM [RUNS [SIZE]]]
#   (default build/run/reflect-refract, 9 runs, 256 pixels)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/run/reflect-refract}")
runs=${2:-9}
size=${3:-256}
run_dir=$(dirname "$program")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for i in $(seq 1 "$runs"); do
  (cd "$run_dir" && env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/time -v -o "$out/time" \
     "$program" --thumbnail "$size" Model/SMD/Pudo_Red/Ref_Red.smd "$out/t.png") ||
    { echo "run $i failed" >&2; exit 1; }
  seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0;
            for (k = 1; k <= n; k++) s = s * 60 + p[k]; print s }' "$out/time")
  kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$out/time")
  echo "run $i: $seconds s, peak $((kb / 1024)) MB"
  echo "$seconds" >> "$out/seconds"
  echo "$kb" >> "$out/kb"
done
median=$(sort -n "$out/seconds" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
peak=$(sort -n "$out/kb" | tail -n1)
echo "median of $runs: $median s; largest peak resident memory $((peak / 1024)) MB"
