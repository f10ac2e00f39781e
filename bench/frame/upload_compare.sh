#!/bin/sh
# The three ways a vertex buffer's Lock reaches GL, side by side: frame_bench
# run in turn with RR_GL_BUFFER_UPLOAD=copy, ring and orphan, ROUNDS times
# (the order rotating each round), then the medians of its whole-frame time
# and of its skinning part (Lock, skin, Unlock, up to glFinish) per mode.
#
# Usage: bench/frame/upload_compare.sh [BUILD_DIR] [ROUNDS] [FRAMES]
# (needs a display: run it under scripts/display.sh's ensure_display)
set -eu
build=${1:-build}
rounds=${2:-7}
frames=${3:-200}
bench="$build/bench/frame/frame_bench"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
modes="copy ring orphan"
for round in $(seq 1 "$rounds"); do
  for mode in $modes; do
    RR_GL_BUFFER_UPLOAD=$mode "$bench" "$frames" > "$out/run" 2>&1
    sed -n 's/^whole frame[^:]*: \([0-9.]*\) ms.*/\1/p' "$out/run" >> "$out/$mode.frame"
    sed -n 's/^  skinning (CPU+copy) *\([0-9.]*\)/\1/p' "$out/run" >> "$out/$mode.skin"
  done
  modes="$(echo $modes | cut -d' ' -f2-) $(echo $modes | cut -d' ' -f1)"
done
median() { sort -n "$1" | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
echo "medians of $rounds interleaved rounds of $frames frames (ms)"
printf '%-8s %12s %16s\n' mode "whole frame" "skinning+upload"
for mode in copy ring orphan; do
  printf '%-8s %12s %16s\n' "$mode" "$(median "$out/$mode.frame")" "$(median "$out/$mode.skin")"
done
