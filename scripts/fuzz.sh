#!/usr/bin/env bash
# Runs the settings fuzzer for the given number of seconds (default 30) over the seed corpus.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-30}
work=$root/build/fuzz/corpus-settings
mkdir -p "$work"
"$root/build/fuzz/fuzz/fuzz_settings" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$root/build/fuzz/" \
  "$work" "$root/fuzz/corpus/settings" 2>"$root/build/fuzz/fuzz_settings.log" || {
  tail -n 40 "$root/build/fuzz/fuzz_settings.log"; exit 1; }
grep -aE '^stat::number_of_executed_units|^stat::peak_rss_mb' "$root/build/fuzz/fuzz_settings.log" || true
echo "fuzz_settings: ${seconds}s, no findings"
