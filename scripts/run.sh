#!/usr/bin/env bash
# Installs what is missing, builds blinkbar.exe and runs it under Wine: on $DISPLAY when there is
# one, otherwise in a private Xvfb until its bar shows, saving a screenshot and printing its path
# and where the bar stands.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh
cmake --preset windows >/dev/null
# The window helper too: the private X server's lane asks it whether the desktop shell answers.
cmake --build --preset windows --target stamp_blinkbar wininfo -j "$(nproc)"
exe=build/windows/blinkbar.exe

if [ -n "${DISPLAY:-}" ]; then
  exec scripts/wine-run.sh "$exe"
fi

# In the end-to-end tests' X server and Wine prefix, from a folder of its own with no settings
# (the defaults); the bar, the Wine server and the X server end afterwards, also when it fails.
/usr/bin/python3 - "$root/build/blinkbar-screenshot.png" <<'PY'
import sys
sys.path.insert(0, "e2e")
from harness import EXE, ROOT, Bar, Lane, end_started
import shutil

lane = None
try:
    lane = Lane("main")
    folder = ROOT / "build/run"
    shutil.rmtree(folder, ignore_errors=True)
    bar = Bar(lane, folder, EXE).start()
    lane.screen.screenshot(sys.argv[1])
    print(f"Screenshot: {sys.argv[1]}\nBar: {bar.geometry()}")
finally:
    end_started()
    if lane:
        lane.close()
PY
