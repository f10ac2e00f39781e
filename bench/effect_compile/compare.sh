#!/usr/bin/env bash
# The start-up compile of the program's effect, today's build against an
# earlier one, in one run: each round runs the earlier build's effect compile
# in a fresh process (--once, in process, as it was) and this build's
# (--once-isolated, through the compiler process, as the program does now),
# one after the other, so the machine's load falls on both alike.
#
#   bench/effect_compile/compare.sh EARLIER_BENCH [THIS_BENCH] [ROUNDS]
#
# EARLIER_BENCH is effect_compile_bench built from the earlier source, e.g.
#   git archive main | tar -x -C /tmp/main-src
#   cmake -S /tmp/main-src -B /tmp/main-build && cmake --build /tmp/main-build --target effect_compile_bench
set -euo pipefail
earlier=${1:?usage: compare.sh EARLIER_BENCH [THIS_BENCH] [ROUNDS]}
this=${2:-build/bench/effect_compile/effect_compile_bench}
rounds=${3:-21}
a=(); b=(); c=()
for ((i = 0; i < rounds; ++i)); do
  a+=("$("$earlier" --once)")
  b+=("$("$this" --once-isolated)")
  c+=("$("$this" --once)")
done
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
ma=$(median "${a[@]}"); mb=$(median "${b[@]}"); mc=$(median "${c[@]}")
echo "processor: $(lscpu | sed -n 's/^Model name: *//p')"
echo "start-up compile of ReflectionOrRefraction.fx, medians of $rounds rounds run in turn:"
echo "  earlier build, in process (--once):             $ma ms"
echo "  this build, through the compiler process:       $mb ms"
echo "  this build, in process (--once):                $mc ms"
awk -v a="$ma" -v b="$mb" -v c="$mc" 'BEGIN {
  printf "  ratio this/earlier: %.3f (compiler process), %.3f (in process); the process costs %.2f ms\n", b / a, c / a, b - c }'
