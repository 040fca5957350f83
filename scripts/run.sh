#!/usr/bin/env bash
# Installs what is missing, builds blinkbar.exe and runs it under Wine: on $DISPLAY when there is
# one, otherwise in a private Xvfb for a few seconds, saving a screenshot and printing its path.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target stamp_blinkbar -j "$(nproc)"
exe=build/windows/blinkbar.exe

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine-run.sh "$exe"
fi

shot=$root/build/blinkbar-screenshot.png
# In the end-to-end tests' X server and Wine prefix, which end, with the program, afterwards.
/usr/bin/python3 e2e/harness.py sh -c "scripts/wine-run.sh $exe >build/blinkbar-run.log 2>&1 &
  sleep ${RUN_SECONDS:-6}; import -window root $shot"
echo "Screenshot: $shot"
