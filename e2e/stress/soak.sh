#!/usr/bin/env bash
# Soak: the test build runs with random traffic on every drive and a drive rescan every second,
# and goes round commands that re-render (sizes 3, 2, 1 and a colour chosen again), re-lay out
# (the minimize button on and off) and leave for the notification area and come back. Between
# rounds, at every sample, the process reports its memory, kernel handles, GDI objects and
# windows from inside (Wine's GetGuiResources answers 0); after the first minute they must stay
# flat. Prints every sample.
# usage: soak.sh [SECONDS] [SAMPLE_SECONDS] (120, 20). Expects the session of xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
xdotool mousemove 1000 740 # away from the bar: no tooltip over the LEDs
seconds=${1:-120}
every=${2:-20}
RANDOM=${STRESS_SEED:-99}

prepare soak '[Settings]\r\nHDD Detect Interval = 1\r\n' "$helper_dir/blinkbar_e2e.exe"
start_bar
( chars=(0 1 2 3 4 -)
  while :; do
    t=""; for _ in $(seq 24); do t+=${chars[RANDOM % 6]}; done
    traffic "$t"
    sleep 0.5
  done ) &
traffic_pid=$!
started_pids+=("$traffic_pid") # ended on any exit, with the program

step() { wininfo command Blinkbar "$1" >/dev/null; sleep 0.7; }
round() {
  step 9; step 8; step 7          # re-render at each size
  step 11; step 11                # the minimize button on and off
  step 16                         # to the notification area ...
  wininfo post Blinkbar 0x30D5 0 0x203 >/dev/null # ... and back: a double-click on the icon
  sleep 0.7
  wininfo command Blinkbar 5 >/dev/null # the background colour chosen again: OK in the chooser
  local chooser
  chooser=$(wait_for_window '^Color$')
  [ -n "$chooser" ] && xdotool windowfocus --sync "$chooser" key Return
  for _ in $(seq 30); do xdotool search --onlyvisible --name '^Color$' >/dev/null 2>&1 || break; sleep 0.1; done
  sleep 0.7
  rounds=$((rounds + 1))
}
sample() { # prints "t private_kb working_set_kb handles gdi user rss_kb"
  rm -f "$dir/wininfo-stats.txt"
  wininfo stats Blinkbar >/dev/null
  local s
  s=$(tr -d '\r' <"$dir/wininfo-stats.txt" 2>/dev/null)
  echo "$1 $(for k in private_kb working_set_kb handles gdi user; do echo "$s" | grep -oE "$k=[0-9]+" | cut -d= -f2; done | tr '\n' ' ')$(awk '/VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null)"
}
# One reading can count a volume handle that the 50 ms poll holds for a moment (more often on a
# busy machine, where a tick lasts longer), so a reading counts once the next one agrees with its
# handles, GDI objects and windows: a leak stays, a handle inside a tick is gone by then.
settled_sample() {
  local s previous=""
  for _ in 1 2 3 4 5; do
    s=$(sample "$1")
    [ -n "$previous" ] && [ "$(cut -d' ' -f4-6 <<<"$s")" == "$(cut -d' ' -f4-6 <<<"$previous")" ] && break
    previous=$s
  done
  echo "$s"
}

rounds=0 start=$SECONDS next=0
samples=()
echo "seconds private_kb working_set_kb handles gdi user rss_kb"
while ((SECONDS - start < seconds)); do
  round
  if ((SECONDS - start >= next)); then
    samples+=("$(settled_sample $((SECONDS - start)))")
    echo "${samples[-1]}"
    next=$((next + every))
  fi
done
samples+=("$(settled_sample $((SECONDS - start)))")
echo "${samples[-1]}"
kill "$traffic_pid"; wait "$traffic_pid" 2>/dev/null
echo "$rounds rounds of commands in $((SECONDS - start)) s"
check "alive and showing after the soak" "yes yes" "$(alive) $([ -n "$(xdotool search --onlyvisible --name '^Blinkbar$' 2>/dev/null)" ] && echo yes)"

# From the first sample at or after one minute (or the second sample in a short run) on.
base="" spread_objects="" growth=0
for s in "${samples[@]}"; do
  read -r t private ws handles gdi user rss <<<"$s"
  if [ -z "$base" ] && { ((t >= 60)) || ((seconds < 120 && t > 0)); }; then
    base="$handles $gdi $user" base_private=$private
  fi
  [ -n "$base" ] || continue
  [ "$handles $gdi $user" != "$base" ] && spread_objects+="at $t s: $handles $gdi $user; "
  ((private - base_private > growth)) && growth=$((private - base_private))
done
# A sample that could not be read has empty fields, and empty fields would compare as flat.
incomplete=0
for s in "${samples[@]}"; do [[ $s =~ ^[0-9]+( [0-9]+){6}$ ]] || incomplete=$((incomplete + 1)); done
check "every sample has all its figures, and some came after the start" "0 yes" "$incomplete $([ -n "$base" ] && echo yes || echo no)"
echo "after the first minute: handles, GDI objects and windows were '$base' throughout${spread_objects:+ except $spread_objects}; private memory grew by at most $growth KB"
check "handles, GDI objects and windows flat" "" "$spread_objects"
check "private memory flat (within 256 KB)" "yes" "$( ((growth <= 256)) && echo yes || echo no)"
stop_bar
summary
