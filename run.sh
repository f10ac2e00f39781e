#!/usr/bin/env bash
# Installs what is missing, builds the program and its assets into build/run/
# and starts it there.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

if [ ! -x build/run/reflect-refract ]; then
  echo "built; the program itself (build/run/reflect-refract) cannot start yet: its window layer is not built"
  exit 0
fi
cd build/run
exec ./reflect-refract
