#!/usr/bin/env bash
# Installs what is missing, builds the program and its assets into build/run/
# and starts it there.
#
# On a machine without a display it starts Xvfb, lets the program run for a
# few seconds, saves a screenshot of its window to build/screenshot.png, ends
# it with Escape and prints the screenshot's path and the exit code.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cd build/run
  exec ./reflect-refract
fi

. scripts/display.sh
ensure_display
echo "no display: running under Xvfb ($DISPLAY)"
(cd build/run && exec ./reflect-refract) &
PROGRAM_PID=$!
TITLE='^\[Tesnal\] Reflection/Refraction for HLSL$'
WINDOW=""
for _ in $(seq 1 100); do
  WINDOW=$(xdotool search --onlyvisible --name "$TITLE" 2>/dev/null | head -n1 || true)
  if [ -n "$WINDOW" ] || ! kill -0 "$PROGRAM_PID" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ -z "$WINDOW" ]; then
  set +e
  # A failed start waits in a message box that nobody under Xvfb can
  # dismiss; SIGTERM closes it (the reason is on stderr already).
  kill -TERM "$PROGRAM_PID" 2>/dev/null
  wait "$PROGRAM_PID"
  echo "the program ended without showing its window (exit code $?)"
  exit 1
fi
sleep 4
import -window "$WINDOW" build/screenshot.png
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
xdotool key --window "$WINDOW" Escape
set +e
for _ in $(seq 1 50); do
  kill -0 "$PROGRAM_PID" 2>/dev/null || break
  sleep 0.1
done
wait "$PROGRAM_PID"
CODE=$?
echo "screenshot: $PWD/build/screenshot.png"
echo "exit code: $CODE"
