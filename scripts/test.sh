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
# The end-to-end tests: pytest (e2e/), each lane with an X server, a Wine prefix and a folder of
# its own. The stress runs, the two monitors and the 150 % scale spend most of their time waiting,
# so they run beside the Windows tests and the main lane; their report is kept in a log and shown
# when both are done. The lane beside runs in a process group of its own (a background job of a
# script ignores Ctrl-C): an interrupted run ends that group, by its id, and pytest leaves through
# its clean-up, which ends every X server, Wine server, bar and helper it started.
pytest=(/usr/bin/python3 -m pytest e2e)
rm -f build/e2e.xml build/e2e-beside.xml # a report left by an earlier run must not count
set -m
"${pytest[@]}" -m "not lane_main" --junitxml=build/e2e-beside.xml >build/e2e-beside.log 2>&1 &
beside=$!
set +m
end_beside() {
  kill -TERM -- "-$beside" 2>/dev/null
  for _ in $(seq 150); do kill -0 -- "-$beside" 2>/dev/null || break; sleep 0.2; done
  kill -KILL -- "-$beside" 2>/dev/null
  exit 130
}
trap end_beside INT TERM
set +e
/usr/bin/python3 e2e/harness.py ctest --preset windows -O build/ctest-windows.log
windows_lane=$?
echo "== end to end"
"${pytest[@]}" -m lane_main --junitxml=build/e2e.xml | tee build/e2e.log
main_lane=${PIPESTATUS[0]}
wait "$beside"
beside_lane=$?
set -e
echo "== beside them: the stress runs, two monitors, 150 %"
cat build/e2e-beside.log

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
if ((windows_lane != 0 || main_lane != 0 || beside_lane != 0)); then
  echo "== failed (Windows tests $windows_lane, end to end $main_lane, beside them $beside_lane)"
  read -r passed failed <<<"$(counts build/ctest-native.log build/ctest-windows.log build/e2e.xml build/e2e-beside.xml)"
  echo "$passed passed, $((failed > 0 ? failed : 1)) failed"
  exit 1
fi

echo "== fuzz"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

read -r native _ <<<"$(counts build/ctest-native.log)"
read -r windows _ <<<"$(counts build/ctest-windows.log)"
read -r e2e _ <<<"$(counts build/e2e.xml build/e2e-beside.xml)"
echo "== $native native tests, $windows Windows test programs, $e2e end-to-end tests, fuzzing clean; $((SECONDS - start)) s"
echo "$((native + windows + e2e)) passed, 0 failed"
