#!/usr/bin/env bash
# Runs every end-to-end case alone, each in a pytest of its own (its lane started for it and
# ended after it), as a contributor runs one by its name: a case that leans on what an earlier
# case left behind fails here. Not part of the test command: it takes a while. Extra arguments
# narrow the cases (pytest's -k or -m); the last line counts what passed and what failed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
start=$SECONDS

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"

mapfile -t cases < <(/usr/bin/python3 -m pytest e2e --collect-only -q "$@" | grep '::')
passed=0 failed=()
for id in "${cases[@]}"; do
  if /usr/bin/python3 -m pytest "e2e/$id" -q >"build/test-each.log" 2>&1; then
    passed=$((passed + 1))
  else
    failed+=("$id")
    echo "== failed alone: $id"
    tail -n 20 build/test-each.log
  fi
done
echo "== ${#cases[@]} cases, each alone, in $((SECONDS - start)) s"
echo "$passed passed, ${#failed[@]} failed"
((${#failed[@]} == 0))
