#!/usr/bin/env bash
# The checks that keep the code in the house style, run by test.sh:
#   1. clang-format (.clang-format): every C and C++ file of src/, tools/,
#      bench/, fuzz/ and tests/ as it would format it, or the differences
#      are printed and the script fails (`scripts/lint.sh --fix` formats
#      them in place);
#   2. clang-tidy (.clang-tidy, every warning an error) on every source of
#      src/, tools/, bench/ and fuzz/ in BUILD_DIR's compile_commands.json,
#      with clang-tidy's own parallel runner.
#
#   scripts/lint.sh [--fix] [BUILD_DIR]     (default build/, configured by test.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
FIX=0
if [ "${1:-}" = --fix ]; then FIX=1; shift; fi
BUILD=${1:-build}

mapfile -t FILES < <(git ls-files -- 'src/*' 'tools/*' 'bench/*' 'fuzz/*' 'tests/*' |
                     grep -E '\.(c|cpp|h)$' | grep -v '/corpus/')
if [ "$FIX" = 1 ]; then
  clang-format -i "${FILES[@]}"
  exit 0
fi
echo "lint: clang-format on ${#FILES[@]} files"
clang-format --dry-run --Werror "${FILES[@]}"

[ -f "$BUILD/compile_commands.json" ] || { echo "lint: no $BUILD/compile_commands.json: build first" >&2; exit 1; }
# The fuzz targets are a project of their own, built with clang: configured
# (not built) here for their compile commands.
FUZZ_COMMANDS="$BUILD/fuzz-lint"
CC=clang CXX=clang++ cmake -S fuzz -B "$FUZZ_COMMANDS" >/dev/null
echo "lint: clang-tidy"
tidy() {  # COMMANDS_DIR FOLDERS
  run-clang-tidy -p "$1" -j"$(nproc)" -quiet "^$PWD/($2)/" >>"$BUILD/clang-tidy.log" 2>&1
}
: >"$BUILD/clang-tidy.log"
if ! tidy "$BUILD" "src|tools|bench" || ! tidy "$FUZZ_COMMANDS" "fuzz"; then
  sed -E 's/\x1b\[[0-9;]*m//g' "$BUILD/clang-tidy.log" | grep -E 'warning:|error:' | sort -u >&2
  echo "lint: clang-tidy found problems (all of its output: $BUILD/clang-tidy.log)" >&2
  exit 1
fi
