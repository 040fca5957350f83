#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: native (ASan + UBSan), the
# Windows tests under Wine in a private Xvfb, and a short fuzzing smoke run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)

bash scripts/setup.sh

echo "== native"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== windows"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
bash scripts/check-imports.sh build/windows/blinkbar.exe
(
  source scripts/xvfb-session.sh
  ctest --preset windows
  echo "== end to end"
  bash e2e/startup.sh
)

echo "== fuzz"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
