#!/usr/bin/env bash
# The long versions of the stress runs and figures, for a release (about 50 minutes): 200 kills
# during saves, 1,000 stop/start cycles, a 30-minute soak sampled every minute, the cost figures
# over 60 s, and ten million runs of the settings fuzzer. Expects a build made by
# scripts/test.sh. Logs go to build/long/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
mkdir -p build/long
KILL_TRIALS=200 STOP_START_CYCLES=1000 SOAK_SECONDS=1800 SOAK_SAMPLE_SECONDS=60 \
  /usr/bin/python3 -m pytest e2e -m lane_stress -s -o timeout=7200 | tee build/long/stress.log
BENCH_SECONDS=60 /usr/bin/python3 e2e/bench.py | tee build/long/bench-60.log
mkdir -p build/long/corpus
build/fuzz/fuzz/fuzz_settings -runs=10000000 -print_final_stats=1 -artifact_prefix=build/long/ \
  build/long/corpus fuzz/corpus/settings 2>build/long/fuzz-10M.log
grep -aE '^stat::number_of_executed_units|^stat::peak_rss_mb' build/long/fuzz-10M.log
