#!/usr/bin/env bash
# Installs what is missing, builds the program and its assets into build/run/
# and starts it there.
#
# On a machine without a display it lets the program draw 60 frames offscreen
# (EGL, no X server) and save the last one to build/screenshot.png
# (--screenshot), and prints the picture's path and the exit code.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

# The same build folder and settings as test.sh, so neither undoes the
# other's configuration; only the program, its effect and its assets (with
# assetgen, which writes them) are built here, test.sh builds the rest.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target rr_program -j"$(nproc)"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  cd build/run
  exec ./reflect-refract
fi

echo "no display: drawing 60 frames offscreen"
set +e
# Unattended: a start-up problem is a stderr line, never a box to click.
(cd build/run && exec ./reflect-refract --screenshot ../screenshot.png)
CODE=$?
if [ "$CODE" -eq 0 ]; then
  echo "screenshot: $PWD/build/screenshot.png"
fi
echo "exit code: $CODE"
exit "$CODE"
