#!/usr/bin/env bash
# Runs a command while each of N processes (2 unless LOAD_CORES says) keeps a core busy, as a
# machine two or three times slower would leave the tests less of it: a check that fails only
# here waited on time instead of on the thing it wanted. Ends the loads it started, by their ids.
# usage: under-load.sh COMMAND... (e.g. under-load.sh bash scripts/test.sh)
set -uo pipefail
loads=()
for _ in $(seq "${LOAD_CORES:-2}"); do
  (while :; do :; done) &
  loads+=($!)
done
trap 'kill "${loads[@]}" 2>/dev/null' EXIT
"$@"
