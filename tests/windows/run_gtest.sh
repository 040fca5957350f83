#!/usr/bin/env bash
# Runs a GoogleTest program under Wine and fails unless it passed and ran at least one test: a
# filter that matches nothing (after a rename, say) passes with "0 tests ran" and tests nothing.
set -uo pipefail
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# Into a file: Wine's servers inherit pipes.
"$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-run.sh" "$@" >"$out" 2>&1
rc=$?
tr -d '\r' <"$out"
[ "$rc" -eq 0 ] || exit "$rc"
if ! tr -d '\r' <"$out" | grep -qE '^\[==========\] [1-9][0-9]* tests? from .* ran\.'; then
  echo "no test ran"
  exit 1
fi
