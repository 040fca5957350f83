#!/usr/bin/env bash
# End to end: the real blinkbar.exe under Wine starts, creates its bar window where the settings
# say (hidden until the bar layout exists), keeps running, and writes no settings file on its own.
# Expects DISPLAY and the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=$root/build/windows/blinkbar.exe
work=$root/build/e2e
passed=0 failed=0

check() { # name, expected, actual
  if [ "$2" == "$3" ]; then passed=$((passed + 1)); echo "ok   $1"
  else failed=$((failed + 1)); echo "FAIL $1: expected '$2', got '$3'"; fi
}

# Starts the program from folder $1 and prints "x,y wxh" of its window once it exists.
start_and_measure() {
  "$root/scripts/wine-run.sh" "$1/blinkbar.exe" >"$1/run.log" 2>&1 &
  local window=""
  for _ in $(seq 100); do
    window=$(xdotool search --name '^Blinkbar$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "none"; return; }
  local geometry
  geometry=$(xdotool getwindowgeometry "$window")
  echo "$(echo "$geometry" | awk '/Position/ {print $2}') $(echo "$geometry" | awk '/Geometry/ {print $2}')"
}

stop_program() {
  pkill -f 'blinkbar.exe' >/dev/null 2>&1
  for _ in $(seq 50); do pgrep -f blinkbar.exe >/dev/null || return 0; sleep 0.1; done
}

run_case() { # name, settings text or "", expected geometry
  local dir=$work/$1
  rm -rf "$dir" && mkdir -p "$dir" && cp "$exe" "$dir/"
  [ -n "$2" ] && printf '%b' "$2" >"$dir/Blinkbar.ini"
  local before=""
  [ -f "$dir/Blinkbar.ini" ] && before=$(md5sum <"$dir/Blinkbar.ini")
  check "$1: window place and size" "$3" "$(start_and_measure "$dir")"
  sleep 2
  check "$1: still running after start-up" "yes" "$(pgrep -f blinkbar.exe >/dev/null && echo yes || echo no)"
  stop_program
  local after=""
  [ -f "$dir/Blinkbar.ini" ] && after=$(md5sum <"$dir/Blinkbar.ini")
  check "$1: settings file untouched" "$before" "$after"
}

run_case defaults "" "400,10 8x18"
run_case from-file '[Settings]\r\nWinX=123\r\nWinY=45\r\nIconSize=3\r\n' "123,45 8x30"
run_case off-screen '[settings]\nwinx=5000\nwiny=-20\nIconSize=2\n' "512,-20 8x24"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
