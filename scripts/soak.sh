#!/usr/bin/env bash
# The program kept busy in watch mode for SECONDS seconds (default 30) on a
# private Xvfb: every 200 ms the effect is saved, a good and a broken
# version in turn; every second the model, one clip and the cube map are
# saved (by rename, as editors save) and keys are pressed. Then SIGTERM.
#
# Passes (exit 0) when the program ended with exit code 0, its resident
# memory did not grow by more than 2 % (the highest sample of the second
# half of the run after its first 10 s against the highest of the first
# half: each reload makes the new object before it lets the old one go, so
# single samples swing by a few per cent while peaks stay put unless
# something leaks),
# its device holds as many live objects at the end as after its first frame
# (the scene, and the panel's objects, which its first frame makes), and GL
# reported no error. Prints the figures. Needs a build
# (cmake --build build).
#
#   scripts/soak.sh [SECONDS]      PROGRAM=... overrides build/run/reflect-refract
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SECONDS_TO_RUN=${1:-30}
RUN=$ROOT/build/run
PROGRAM=${PROGRAM:-$RUN/reflect-refract}
if [ ! -x "$PROGRAM" ]; then
  echo "soak: no program at $PROGRAM: build first" >&2
  exit 1
fi
if [ "$SECONDS_TO_RUN" -lt 12 ]; then
  echo "soak: run it for 12 s or more (memory is compared with its level at 10 s)" >&2
  exit 1
fi
unset DISPLAY WAYLAND_DISPLAY
. scripts/display.sh
ensure_display
WORK=$(mktemp -d "${TMPDIR:-/tmp}/soak.XXXXXX")
PID=""
cleanup() {
  if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then kill -KILL "$PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
  kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

# The scene's files, copied where the script may write them; each has a
# second version to save in turn.
MODEL=$RUN/Model/SMD/Pudo_Red
cp "$MODEL"/* "$WORK/"
cp "$RUN/Textures/Snow.dds" "$WORK/sky.dds"
EFFECT=$WORK/soak.fx
cp "$RUN/Shaders/ReflectionOrRefraction.fx" "$WORK/good.fx"
sed 's/float3 n = normalize(normal);/float3 n = normalize(normal) + notDeclared;/' \
  "$WORK/good.fx" >"$WORK/broken.fx"
cp "$WORK/good.fx" "$EFFECT"
save() {  # save SOURCE TARGET: a new file renamed over the old one
  cp "$1" "$2.new"
  mv -f "$2.new" "$2"
}
for f in "Ref_Red.smd" "Ani_Red(Run).smd" "sky.dds"; do cp "$WORK/$f" "$WORK/$f.keep"; done

ERRORS=$WORK/stderr.txt
RR_REPORT_LIVE_OBJECTS=1 RR_GL_DEBUG=1 "$PROGRAM" --watch --model "$WORK/Ref_Red.smd" \
  --animation "$WORK/Ani_Red(Attack).smd" --animation "$WORK/Ani_Red(Run).smd" \
  --animation "$WORK/Ani_Red(Stun).smd" --cubemap "$WORK/sky.dds" --effect "$EFFECT" \
  >/dev/null 2>"$ERRORS" &
PID=$!

WINDOW=""
for _ in $(seq 1 200); do
  WINDOW=$(xdotool search --name '^\[Tesnal\] Reflection/Refraction for HLSL$' 2>/dev/null |
    head -n1 || true)
  [ -n "$WINDOW" ] && break
  kill -0 "$PID" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$WINDOW" ]; then
  echo "soak: the window did not appear" >&2
  cat "$ERRORS" >&2
  exit 1
fi
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true

rss() { awk '/^VmRSS:/ { print $2 }' "/proc/$PID/status"; }
KEYS=(w s a d r f q e space 1 2 w s)
milliseconds() { echo $(($(date +%s%N) / 1000000)); }
start=$(milliseconds)
tick=0
# Resident memory (kB) sampled at every tick after the first 10 s: the
# peaks of the first and the second half of that time are compared.
half=$(((SECONDS_TO_RUN * 1000 + 10000) / 2))
peak_first=0
peak_second=0
sample() {
  local kb
  kb=$(rss 2>/dev/null || echo 0)
  if [ "$1" -lt 10000 ]; then return; fi
  if [ "$1" -lt "$half" ]; then
    [ "$kb" -gt "$peak_first" ] && peak_first=$kb
  else
    [ "$kb" -gt "$peak_second" ] && peak_second=$kb
  fi
  return 0
}
while :; do
  elapsed=$(($(milliseconds) - start))
  if [ "$elapsed" -ge $((SECONDS_TO_RUN * 1000)) ]; then break; fi
  if ! kill -0 "$PID" 2>/dev/null; then
    echo "soak: the program ended early" >&2
    break
  fi
  sample "$elapsed"
  if [ $((tick % 2)) -eq 0 ]; then
    save "$WORK/good.fx" "$EFFECT"
  else
    save "$WORK/broken.fx" "$EFFECT"
  fi
  if [ $((tick % 5)) -eq 0 ]; then
    save "$WORK/Ref_Red.smd.keep" "$WORK/Ref_Red.smd"
    save "$WORK/Ani_Red(Run).smd.keep" "$WORK/Ani_Red(Run).smd"
    save "$WORK/sky.dds.keep" "$WORK/sky.dds"
    xdotool key --window "$WINDOW" "${KEYS[$(((tick / 5) % ${#KEYS[@]}))]}" 2>/dev/null || true
  fi
  tick=$((tick + 1))
  sleep 0.2
done
# The last save is a good effect, so that the scene ends as it began.
save "$WORK/good.fx" "$EFFECT"
sleep 1
sample $((SECONDS_TO_RUN * 1000))
kill -TERM "$PID" 2>/dev/null || true
set +e
wait "$PID"
code=$?
set -e
PID=""

live() { sed -n "s/.*live device objects: \([0-9]*\) ($1).*/\1/p" "$ERRORS" | head -n1; }
live_start=$(live "the first frame is drawn")
live_end=$(live "the loop has ended")
echo "soak: ${SECONDS_TO_RUN} s, $(lscpu | sed -n 's/^Model name: *//p')"
echo "soak: effect saves $tick; compiled $(grep -c 'compiled again' "$ERRORS" || true)," \
  "refused $(grep -c 'not compiled, the running effect stays' "$ERRORS" || true);" \
  "model loaded again $(grep -c '^reflect-refract: model .* loaded again' "$ERRORS" || true)," \
  "clip $(grep -c 'loaded again as clip' "$ERRORS" || true)," \
  "cube map $(grep -c 'cube map .* loaded again' "$ERRORS" || true)"
echo "soak: resident memory at its highest ${peak_first} kB from 10 s to $((half / 1000)) s," \
  "${peak_second} kB after"
echo "soak: live device objects after the first frame ${live_start:-?}, at the end ${live_end:-?}"
echo "soak: exit code $code"
failed=0
if [ "$code" -ne 0 ]; then echo "soak: FAILED: exit code $code" >&2; failed=1; fi
if [ "$peak_first" -eq 0 ] || [ "$peak_second" -gt $((peak_first + peak_first / 50)) ]; then
  echo "soak: FAILED: resident memory grew more than 2 %" >&2
  failed=1
fi
if [ -z "$live_start" ] || [ "$live_start" != "$live_end" ]; then
  echo "soak: FAILED: live device objects changed" >&2
  failed=1
fi
# GL errors: the debug context (RR_GL_DEBUG=1) counts them and the device
# prints "gl errors: N" when it is released.
gl_errors=$(sed -n 's/.*gl errors: \([0-9]*\).*/\1/p' "$ERRORS" | tail -n1)
echo "soak: gl errors ${gl_errors:-unknown}"
if [ "${gl_errors:-x}" != 0 ]; then
  echo "soak: FAILED: GL reported errors, or the count is missing" >&2
  failed=1
fi
if grep -q "device released while" "$ERRORS"; then
  echo "soak: FAILED: objects outlived the device" >&2
  failed=1
fi
if [ "$failed" -ne 0 ]; then
  tail -n 20 "$ERRORS" >&2
  exit 1
fi
echo "soak: passed"
