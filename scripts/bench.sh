#!/usr/bin/env bash
# The program's cost figures (e2e/bench.py), each printed beside its yardstick and its aim, never
# asserted: a timing on a shared machine is no verdict. Builds what it needs first.
# usage: bench.sh [--quick] (spans of 5 s instead of 30, for a first look)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)
[ "${1:-}" == --quick ] && export BENCH_SECONDS=5

bash scripts/setup.sh
for preset in native windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
/usr/bin/python3 e2e/bench.py | tee build/bench.log
