#!/usr/bin/env bash
# The start-up compile of the program's effect, today's build against an
# earlier one, in one run: each round runs the earlier build's effect compile
# in a fresh process (--once, in process, as it was) and this build's
# (--once-isolated-ready: through the compiler process started first, as the
# program does now; --once-isolated: asked at once; --once: in process), one
# after the other, so the machine's load falls on all alike.
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
a=(); b=(); c=(); d=()
for ((i = 0; i < rounds; ++i)); do
  a+=("$("$earlier" --once)")
  b+=("$("$this" --once-isolated)")
  c+=("$("$this" --once)")
  d+=("$("$this" --once-isolated-ready)")
done
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
ma=$(median "${a[@]}"); mb=$(median "${b[@]}"); mc=$(median "${c[@]}"); md=$(median "${d[@]}")
echo "processor: $(lscpu | sed -n 's/^Model name: *//p')"
echo "start-up compile of ReflectionOrRefraction.fx, medians of $rounds rounds run in turn:"
echo "  earlier build, in process (--once):             $ma ms"
echo "  this build, compiler process asked at once:     $mb ms"
echo "  this build, compiler process started first:     $md ms   (as the program does)"
echo "  this build, in process (--once):                $mc ms"
awk -v a="$ma" -v b="$mb" -v c="$mc" -v d="$md" 'BEGIN {
  printf "  ratio this/earlier: %.3f (started first), %.3f (asked at once), %.3f (in process)\n", d / a, b / a, c / a }'
