#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal
# build, then the Debian package's checks (scripts/package-check.sh), then
# every test again under AddressSanitizer and UndefinedBehaviorSanitizer;
# last, every fuzz target replays its corpus and fuzzes for a while.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

JOBS=$(nproc)
# Each stage's heading says how long the run has taken so far, so that a
# slow stage shows in the log (the whole run must stay under 30 minutes on
# two cores).
stage() { echo "== $* [at $((SECONDS / 60)) min $((SECONDS % 60)) s]"; }
stage "build (RelWithDebInfo)"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS"
stage "build (sanitizers)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DRR_SANITIZE=ON -DRR_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$JOBS"
stage "lint"
python3 scripts/include-cycles.py  # no two files in src/ include each other in a circle
scripts/lint.sh build  # clang-format and clang-tidy: the house style and its checks

. scripts/display.sh
ensure_display

export GTEST_COLOR=no
# The tests' start-up cache (compiled effects, GL programs) lives in the
# build folder, not in the cache of whoever runs them.
export XDG_CACHE_HOME="$PWD/build/test-cache"
rm -rf "$XDG_CACHE_HOME"
# There is a display: a missing GL 4.5 context fails the GL tests instead of
# skipping them.
export RR_REQUIRE_GL=1
stage "tests (RelWithDebInfo)"
ctest --test-dir build --output-on-failure -j"$JOBS" --timeout 600

stage "soak: watch mode for 30 s under saves and keys"
scripts/soak.sh 30

stage "Debian package: contents, lintian, validators, install into a scratch Debian 12"
./scripts/package-check.sh build

stage "tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_odr_violation=0:verify_asan_link_order=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
# Libraries stay loaded, so leak reports at exit can still name the GL driver.
export LD_PRELOAD="$PWD/build-asan/support/librr_keep_libraries.so${LD_PRELOAD:+:$LD_PRELOAD}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-asan --output-on-failure -j"$JOBS" --timeout 900

stage "fuzz targets (libFuzzer + AddressSanitizer + UndefinedBehaviorSanitizer)"
unset LD_PRELOAD
./scripts/fuzz.sh all 20
stage "done"
