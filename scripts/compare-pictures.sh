#!/bin/sh
# Before/after pictures of the end-to-end cases that --screenshot can take:
# two builds of reflect-refract draw the same scenes in turn (from the run
# folder, so both read the same files), and ImageMagick counts the pixels
# that differ by more than FUZZ (default 2 %, about 5 levels of 255) per
# channel. The frame-rate line changes from run to run and is masked out.
#
# Usage: scripts/compare-pictures.sh BEFORE_BINARY AFTER_BINARY RUN_DIR [OUT_DIR]
# (needs a display: run it under scripts/display.sh's ensure_display)
set -eu
before=$1
after=$2
run_dir=$3
out=${4:-$(mktemp -d)}
fuzz=${FUZZ:-2%}
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The program's own effect, the character painted flat, and one that fails.
effect="$run_dir/Shaders/ReflectionOrRefraction.fx"
sed 's/return float4(saturate(color), 1.0);/return float4(1.0, 0.0, 1.0, 1.0);/' "$effect" > "$work/flat.fx"
sed 's/float3 n = normalize(normal);/float3 n = normalize(normal) + notDeclared;/' "$effect" > "$work/broken.fx"
squid="Model/SMD/Lantern Squid"

status=0
shoot() {  # picture binary args...
  picture=$1; binary=$2; shift 2
  (cd "$run_dir" && "$binary" "$@" --screenshot "$out/$picture.png" >/dev/null 2>&1) || true
  # The frame-rate line (its first 300 pixels, rows 8 to 30) differs each run.
  convert "$out/$picture.png" -fill black -draw "rectangle 0,8 300,30" "$out/$picture.png"
}
compare_case() {  # name args...
  name=$1; shift
  shoot "$name.before" "$before" "$@"
  shoot "$name.after" "$after" "$@"
  differing=$(compare -metric AE -fuzz "$fuzz" "$out/$name.before.png" "$out/$name.after.png" \
              "$out/$name.difference.png" 2>&1 || true)
  printf '%-28s %s pixels differ\n' "$name" "$differing"
  [ "$differing" = "0" ] || status=1
}

compare_case default --frames 60
compare_case later-frame --frames 200
compare_case clip-1 --clip 1 --frames 60
compare_case clip-2 --clip 2 --frames 60
compare_case hud-only --effect "$work/broken.fx" --frames 10
compare_case squid-flat --model "$squid/Ref Squid.smd" --animation "$squid/Ani Squid (Swim).smd" \
  --effect "$work/flat.fx" --frames 30
compare_case squid-bind-pose --model "$squid/Ref Squid.smd" --effect "$work/flat.fx" --frames 30
echo "pictures in $out"
exit $status
