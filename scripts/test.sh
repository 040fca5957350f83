#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: native (ASan + UBSan), the
# Windows tests under Wine in a private Xvfb, the end-to-end check of the real program, and a short
# fuzzing smoke run. Any failure stops it with a non-zero exit.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)
start=$SECONDS

bash scripts/setup.sh

# Runs one suite into its log, and says how long it took.
suite() { # log, script, arguments...
  local log=$1 started=$SECONDS
  shift
  bash "$@" | tee "$log" || return
  echo "   ($1: $((SECONDS - started)) s)"
}

echo "== native"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs" -O build/ctest-native.log

echo "== windows"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
bash scripts/check-imports.sh build/windows/blinkbar.exe
# The size README promises.
limit=$(grep -oE 'is under [0-9]+ KB' README.md | grep -oE '[0-9]+' || true)
size=$(stat -c %s build/windows/blinkbar.exe)
if [ -z "$limit" ] || [ "$size" -gt $((limit * 1024)) ]; then
  echo "blinkbar.exe is $size bytes; README says it is under ${limit:-(no figure)} KB"; exit 1
fi
bash scripts/check-reproducible.sh
(cd build/windows/dist && sha256sum -c --quiet ./*.sha256 && ls -l --time-style=+ ./*.exe ./*.zip)
# The stress runs, the two monitors and the 150 % scale each have an X server and a Wine prefix
# of their own and spend most of their time waiting, so they run beside the Windows tests and the
# main suites; their output is kept in a log and shown when both are done. A failure in either
# still fails the command, once both have ended and cleaned up. The lane runs in a process group
# of its own (a background job of a script ignores Ctrl-C): an interrupted run ends that group,
# by its id, with its X servers, Wine servers and bars.
set -m
(
  (
    export WINEPREFIX=$PWD/build/wineprefix-stress E2E_WORK=$PWD/build/e2e-stress
    source scripts/xvfb-session.sh
    echo "== stress (short runs; scripts/stress-long.sh runs the long ones)"
    suite build/e2e-kill-save.log e2e/stress/kill_save.sh 20
    suite build/e2e-hostile.log e2e/stress/hostile.sh
    suite build/e2e-stop-start.log e2e/stress/stop_start.sh 200
    suite build/e2e-soak.log e2e/stress/soak.sh 120 20
  )
  (
    export E2E_WORK=$PWD/build/e2e-monitors # the helper's FIFOs and files of its own
    source scripts/two-monitors-session.sh
    echo "== two monitors"
    suite build/e2e-monitors.log e2e/stress/monitors.sh
  )
  (
    export WINEPREFIX=$PWD/build/wineprefix-144dpi E2E_WORK=$PWD/build/e2e-144dpi # a scale of its own
    source scripts/xvfb-session.sh
    echo "== 150 % (144 dots per inch)"
    suite build/e2e-scale.log e2e/scale.sh
  )
) >build/e2e-beside.log 2>&1 &
beside=$!
set +m
# Interrupted: the main lane leaves through its own clean-up; the lane beside it is told to, and
# waited for (ended outright after 30 s).
end_beside() {
  kill -TERM -- "-$beside" 2>/dev/null
  for _ in $(seq 150); do kill -0 -- "-$beside" 2>/dev/null || break; sleep 0.2; done
  kill -KILL -- "-$beside" 2>/dev/null
  exit 130
}
trap end_beside INT TERM
set +e
(
  set -e
  source scripts/xvfb-session.sh
  ctest --preset windows -O build/ctest-windows.log
  echo "== end to end"
  suite build/e2e.log e2e/bar.sh
  suite build/e2e-blink.log e2e/blink.sh
  suite build/e2e-commands.log e2e/commands.sh
  suite build/e2e-install.log e2e/install.sh
  suite build/e2e-release.log e2e/release.sh
)
main_lane=$?
wait "$beside"
beside_lane=$?
set -e
cat build/e2e-beside.log
((main_lane == 0 && beside_lane == 0)) || { echo "== failed (main suites $main_lane, beside them $beside_lane)"; exit 1; }

echo "== fuzz"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

count() { grep -oE "$2" "$1" | grep -oE '[0-9]+' | tail -n 1; }
native=$(count build/ctest-native.log 'out of [0-9]+')
windows=$(count build/ctest-windows.log 'out of [0-9]+')
e2e=0
for log in build/e2e.log build/e2e-blink.log build/e2e-commands.log build/e2e-install.log build/e2e-release.log \
  build/e2e-kill-save.log build/e2e-hostile.log build/e2e-stop-start.log build/e2e-soak.log \
  build/e2e-monitors.log build/e2e-scale.log; do
  e2e=$((e2e + $(count "$log" '^[0-9]+ passed')))
done
echo "== $native native tests, $windows Windows test programs, $e2e end-to-end checks, fuzzing clean; $((SECONDS - start)) s"
echo "$((native + windows + e2e)) passed, 0 failed"
