#!/usr/bin/env bash
# Looks for races between tests: runs the unit and GL tests four at a time,
# each one over and over (ctest --repeat until-fail), in a normal build under
# a private Xvfb. Tests that share a file, a folder or a window fail here
# long before they fail in ./test.sh. Not part of ./test.sh.
#
#   scripts/stress.sh [REPEATS]     (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
REPEATS="${1:-20}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

. scripts/display.sh
ensure_display

export GTEST_COLOR=no
# A missing GL 4.5 context fails the GL tests instead of skipping them.
export RR_REQUIRE_GL=1
ctest --test-dir build -L 'unit|gfx' -j4 --repeat until-fail:"$REPEATS" --timeout 600 \
  --output-on-failure
