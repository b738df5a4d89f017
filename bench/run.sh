#!/usr/bin/env bash
# Builds what the benchmarks need (the windows preset) and prints every figure with its floor, its
# ratio and its goal. Arguments go to bench.py: --runs N, and the names of figures to run
# (launch, log, memory, commands, failure; all by default).
#   VORNA_BENCH_BUILD=build/windows bench/run.sh [--runs N] [figure...]
set -euo pipefail
cd "$(dirname "$0")/.."

build="${VORNA_BENCH_BUILD:-build/windows}"
[ -f "$build/CMakeCache.txt" ] || cmake --preset windows -B "$build"
cmake --build "$build"

# bench.py ends its prefix itself; this catches an interrupted run.
prefix="$(cd "$build" && pwd)/bench/wine/prefix"
trap '[ -d "$prefix" ] && WINEPREFIX="$prefix" wineserver -k 2>/dev/null; true' EXIT
PYTHONPATH="$PWD/tests/rig:$PWD/bench" python3 bench/bench.py "$build/bench-config.json" "$@"
