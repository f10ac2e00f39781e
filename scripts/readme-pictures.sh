#!/usr/bin/env bash
# Makes the README's pictures (docs/*.png) with the program's own
# --screenshot, on a private Xvfb with Mesa's llvmpipe, so that they show
# what anyone's build shows. Needs a build (./run.sh or cmake --build build).
#
#   docs/screenshot.png   the program as it starts
#   docs/refraction.png   after key 2 (sent with xdotool during the run)
#   docs/squid.png        --model with the Lantern Squid and its clips
#   docs/watch.png        --watch after an edit that does not compile
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUN=$ROOT/build/run
PROGRAM=$RUN/reflect-refract
if [ ! -x "$PROGRAM" ]; then
  echo "no program at $PROGRAM: build first (./run.sh)" >&2
  exit 1
fi
unset DISPLAY WAYLAND_DISPLAY
. scripts/display.sh
ensure_display
TITLE='^\[Tesnal\] Reflection/Refraction for HLSL$'
WORK=$(mktemp -d "${TMPDIR:-/tmp}/workbench.XXXXXX")
trap 'rm -rf "$WORK"; kill "$XVFB_PID" 2>/dev/null || true' EXIT

shoot() {  # shoot PICTURE [OPTION...]: the last of the frames, saved by the program
  local picture=$1
  shift
  (cd "$RUN" && "$PROGRAM" "$@" --screenshot "$ROOT/docs/$picture")
  echo "docs/$picture"
}

# Waits for the window of a run in the background, then gives it the focus.
focus_window() {
  local window
  window=$(xdotool search --sync --onlyvisible --name "$TITLE" | head -n1)
  xdotool windowfocus --sync "$window"
}

shoot screenshot.png

# Key 2 switches to refraction a moment after the window shows; the run
# draws long enough for the key to arrive well before its last frame.
shoot refraction.png --frames 400 &
focus_window
sleep 0.5
xdotool key 2
wait $!

SQUID="Model/SMD/Lantern Squid"
shoot squid.png --model "$SQUID/Ref Squid.smd" --animation "$SQUID/Ani Squid (Swim).smd" \
  --animation "$SQUID/Ani Squid (Strike).smd" --animation "$SQUID/Ani Squid (Look Around).smd" \
  --clip 2 --frames 150

# An edit with an undeclared name: the running effect stays, the first
# error shows in red under the HUD.
cp "$RUN/Shaders/ReflectionOrRefraction.fx" "$WORK/glass.fx"
shoot watch.png --effect "$WORK/glass.fx" --watch --frames 400 2>/dev/null &
focus_window
sleep 1
sed 's/float3 n = normalize(normal);/float3 n = normalize(normal) + notDeclared;/' \
  "$WORK/glass.fx" >"$WORK/glass.fx.new"
mv "$WORK/glass.fx.new" "$WORK/glass.fx"
wait $!
