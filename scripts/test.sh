#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: native (ASan + UBSan), the
# Windows tests under Wine in a private Xvfb, the end-to-end tests of the real program, and a short
# fuzzing smoke run. Any failure ends it with a non-zero exit; a failing end-to-end test does not
# stop the others, and the last line counts what passed and what failed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)
start=$SECONDS

bash scripts/setup.sh

# Reports and logs left by an earlier run must not count.
rm -f build/ctest-native.log build/ctest-windows.log build/e2e.xml build/e2e-{beside,install}.xml

echo "== native"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs" -O build/ctest-native.log

echo "== windows"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
bash scripts/check-imports.sh build/windows/blinkbar.exe
bash scripts/check-imports.sh build/windows/BlinkbarSetup.dll
# The size README promises.
limit=$(grep -oE 'is under [0-9]+ KB' README.md | grep -oE '[0-9]+' || true)
size=$(stat -c %s build/windows/blinkbar.exe)
if [ -z "$limit" ] || [ "$size" -gt $((limit * 1024)) ]; then
  echo "blinkbar.exe is $size bytes; README says it is under ${limit:-(no figure)} KB"; exit 1
fi
bash scripts/check-reproducible.sh
(cd build/windows/dist && sha256sum -c --quiet ./*.sha256 && ls -l --time-style=+ ./*.exe ./*.zip)
# The end-to-end tests: pytest (e2e/), each lane with an X server, a Wine prefix and a folder of
# its own. The lanes beside the main one (the stress runs, two monitors and 150 % in one process,
# the installer in another) spend most of their time waiting, so they run beside the Windows tests
# and the main lane; their reports are kept in logs and shown when all are done. Each runs in a
# process group of its own (a background job of a script ignores Ctrl-C): an interrupted run ends
# those groups, by their ids, and pytest leaves through its clean-up, which ends every X server,
# Wine server, bar and helper it started.
pytest=(/usr/bin/python3 -m pytest e2e)
sides=(beside install)
declare -A marks=([beside]="not lane_main and not lane_install" [install]=lane_install)
side() {
  local code=0
  "${pytest[@]}" -m "${marks[$1]}" --junitxml="build/e2e-$1.xml" || code=$?
  if [ "$1" == install ]; then
    # The cost figures once, in spans of a second, in a lane of their own: this fails only when
    # a figure is missing, never on a figure's size.
    echo "== the cost figures (bench.py --smoke)"
    /usr/bin/python3 e2e/bench.py --smoke || code=1
  fi
  return $code
}
pids=()
set -m
for side in "${sides[@]}"; do
  side "$side" >"build/e2e-$side.log" 2>&1 &
  pids+=($!)
done
set +m
# Each lane leaves through its clean-up (its X server, Wine server, bars and helpers ended by
# their ids), which is waited for: killed halfway, it would leave them. A group still there after
# a minute (a process that ignores the request) is killed whole, so that nothing hangs the run.
end_sides() {
  for pid in "${pids[@]}"; do kill -TERM -- "-$pid" 2>/dev/null; done
  local until=$((SECONDS + 60))
  for pid in "${pids[@]}"; do
    while kill -0 -- "-$pid" 2>/dev/null; do
      ((SECONDS < until)) || kill -KILL -- "-$pid" 2>/dev/null
      sleep 0.2
    done
  done
  exit 130
}
trap end_sides INT TERM
set +e
/usr/bin/python3 e2e/harness.py ctest --preset windows -O build/ctest-windows.log
windows_lane=$?
echo "== end to end"
"${pytest[@]}" -m lane_main --junitxml=build/e2e.xml | tee build/e2e.log
main_lane=${PIPESTATUS[0]}
side_lanes=0
for i in "${!sides[@]}"; do
  wait "${pids[$i]}" || side_lanes=$?
  echo "== beside them: ${sides[$i]}"
  cat "build/e2e-${sides[$i]}.log"
done
set -e

# "passed failed" of the ctest logs and pytest's reports, and the run's last line.
counts() {
  /usr/bin/python3 - "$@" <<'PY'
import re, sys, xml.etree.ElementTree as T
passed = failed = 0
for path in sys.argv[1:]:
    try:
        if path.endswith(".xml"):
            for s in T.parse(path).iter("testsuite"):
                bad = int(s.get("failures")) + int(s.get("errors"))
                failed += bad
                passed += int(s.get("tests")) - bad - int(s.get("skipped"))
        else:
            m = re.findall(r"(\d+) tests? failed out of (\d+)", open(path).read())
            failed += int(m[-1][0])
            passed += int(m[-1][1]) - int(m[-1][0])
    except (OSError, IndexError, T.ParseError):
        failed += 1  # a report that is not there is a failure, not a pass
print(passed, failed)
PY
}
reports=(build/e2e.xml build/e2e-beside.xml build/e2e-install.xml)
if ((windows_lane != 0 || main_lane != 0 || side_lanes != 0)); then
  echo "== failed (Windows tests $windows_lane, end to end $main_lane, beside them $side_lanes)"
  read -r passed failed <<<"$(counts build/ctest-native.log build/ctest-windows.log "${reports[@]}")"
  echo "$passed passed, $((failed > 0 ? failed : 1)) failed"
  exit 1
fi

echo "== fuzz"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

read -r native _ <<<"$(counts build/ctest-native.log)"
read -r windows _ <<<"$(counts build/ctest-windows.log)"
read -r e2e _ <<<"$(counts "${reports[@]}")"
echo "== $native native tests, $windows Windows test programs, $e2e end-to-end tests, fuzzing clean; $((SECONDS - start)) s"
echo "$((native + windows + e2e)) passed, 0 failed"
