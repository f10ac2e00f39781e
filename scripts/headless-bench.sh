#!/bin/sh
# Side by side: `--screenshot --frames N` of the default scene drawn with no
# display (EGL, no window system) and under Xvfb, interleaved, RUNS times
# each; prints every wall time, the medians and headless / Xvfb.
#
# Usage: scripts/headless-bench.sh [PROGRAM [RUNS [FRAMES]]]
#   (default build/run/reflect-refract, 9 runs, 60 frames; run from anywhere)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/run/reflect-refract}")
runs=${2:-9}
frames=${3:-60}
run_dir=$(dirname "$program")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
. "$root/scripts/display.sh"
ensure_display
export LIBGL_ALWAYS_SOFTWARE=1

seconds() {  # env-args...: wall seconds of one screenshot run
  start=$(date +%s.%N)
  (cd "$run_dir" && env "$@" "$program" --screenshot "$out/shot.png" --frames "$frames" \
     >/dev/null 2>&1) || { echo "the run failed: $*" >&2; exit 1; }
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", b - a }' 
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

: > "$out/headless"
: > "$out/xvfb"
for i in $(seq 1 "$runs"); do
  h=$(seconds -u DISPLAY -u WAYLAND_DISPLAY)
  x=$(seconds -u WAYLAND_DISPLAY DISPLAY="$DISPLAY")
  echo "run $i: headless $h s, Xvfb $x s"
  echo "$h" >> "$out/headless"
  echo "$x" >> "$out/xvfb"
done
mh=$(median < "$out/headless")
mx=$(median < "$out/xvfb")
echo "median of $runs: headless $mh s, Xvfb $mx s, headless / Xvfb $(awk -v a="$mh" -v b="$mx" 'BEGIN { printf "%.3f", a / b }')"
