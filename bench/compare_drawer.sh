#!/usr/bin/env bash
# bench/compare_drawer.sh: the row drawer of this checkout beside another commit's, in one run.
#
# Usage: bash bench/compare_drawer.sh [BASE_REV] [ROWS] [ROUNDS]
# Builds bench_engine at BASE_REV (default: the commit before HEAD) in a temporary worktree and
# here, then runs the two in turns, ROUNDS times each (default 5), so both meet the same load.
# Prints each round's ten-column figures for both profiles and the range over the rounds.
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-HEAD~1}
rows=${2:-1000000}
rounds=${3:-5}
work=$(mktemp -d)
trap 'git worktree remove --force "$work/src" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
git worktree add --detach -q "$work/src" "$base"
python=${PYTHON:-$(command -v python3)}
for side in base head; do
  src=$([ $side = base ] && echo "$work/src" || echo "$PWD")
  cmake -S "$src" -B "$work/$side" -G Ninja -DTARVO_BUILD_BENCH=ON -DCMAKE_BUILD_TYPE=Release \
    -DPython_EXECUTABLE="$python" >/dev/null
  cmake --build "$work/$side" -j2 --target bench_engine >/dev/null
done
for ((i = 1; i <= rounds; i++)); do
  for side in base head; do
    "$work/$side/bench_engine" "$rows" | grep "10 benchmark columns" | sed "s/^/$side round $i: /"
  done
done | tee "$work/out"
echo "== ranges (ns/row)"
for side in base head; do
  for profile in uniform census; do
    grep "^$side round.*: $profile" "$work/out" | sed 's/.*columns: \([0-9]*\) ns.*/\1/' | sort -n |
      awk -v s="$side" -v p="$profile" 'NR==1{lo=$1} {hi=$1} END{printf "%-4s %-7s %s to %s\n", s, p, lo, hi}'
  done
done
