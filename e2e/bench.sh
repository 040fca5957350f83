#!/usr/bin/env bash
# Figures, never asserted as timings, each beside its yardstick and the aim: start-up time to the
# visible bar beside the smallest window program (aim: at most 1.3 times), processor time while
# idle beside a bare program that only makes the 24 volume queries every 50 ms and beside one that
# asks only the letters that name a drive (aim: at most 1.05 times the latter; all of the prefix's
# Wine processes together), the main loop's events per second
# while nothing happens, the same processor time with every LED switching on every tick (the test
# build; aim: at most 1.5 times the 24 queries), the processor time while the session is locked and
# while in the notification area beside an idle window program without timers (aim: at most 1.1
# times), the timer resolution's raises and restores through monitor, tray, back, lock, unlock and
# exit (aim: balanced, none outstanding while locked or in the tray), heap allocations per tick
# (native), and the executable's size (aim: at most 120 KiB). BENCH_SECONDS sets each measured span (30; 60 for the
# long run).
# Expects DISPLAY and the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
seconds=${BENCH_SECONDS:-30}
ticks=$(getconf CLK_TCK)

# Processor time, in clock ticks, of every process of this Wine prefix (the server included),
# "pid name ticks" a line.
prefix_processes() {
  local p
  for p in /proc/[0-9]*; do
    tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    # Fields 14 and 15 of stat, counted after the command's closing parenthesis.
    echo "${p#/proc/} $(cat "$p/comm" 2>/dev/null) $(sed 's/.*) //' "$p/stat" 2>/dev/null | awk '{print $12 + $13}')"
  done
}
prefix_ticks() { prefix_processes | awk '{t += $3} END {print t + 0}'; }

# Sets elapsed: milliseconds from the start of the program in $dir until a visible window titled $1 exists.
time_to_window() { # title
  local start end
  start=$(date +%s%N)
  launch
  for _ in $(seq 1000); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && break
    sleep 0.01
  done
  end=$(date +%s%N)
  elapsed=$(((end - start) / 1000000))
}

median() { tr ' ' '\n' | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

echo "== start-up to a visible window (ms, 5 runs each, median)"
bar_runs="" minimal_runs=""
for _ in 1 2 3 4 5; do
  prepare bench-start ""
  time_to_window Blinkbar
  bar_runs+="$elapsed "
  win=$(xdotool search --onlyvisible --name '^Blinkbar$' | head -n 1)
  stop_bar
  prepare bench-minimal "" "$helper_dir/minimal_window.exe"
  time_to_window Minimal
  minimal_runs+="$elapsed "
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
done
echo "blinkbar.exe: $bar_runs-> median $(echo $bar_runs | median) ms"
echo "minimal window program: $minimal_runs-> median $(echo $minimal_runs | median) ms"
echo "ratio blinkbar / minimal window program: $(awk -v a="$(echo $bar_runs | median)" \
  -v b="$(echo $minimal_runs | median)" 'BEGIN {printf "%.2f", a / b}') (aim: at most 1.3)"

idle_cost() { # label, program file[, traffic.txt text[, the program's argument]]
  prepare "bench-$1" "" "$2"
  [ -n "${3:-}" ] && traffic "$3"
  launch ${4:-}
  sleep 5 # start-up settles
  [ -n "${after_start:-}" ] && "$after_start"
  local before after
  prefix_processes >"$work/bench-$1.before"
  before=$(prefix_ticks)
  sleep "$seconds"
  after=$(prefix_ticks)
  prefix_processes >"$work/bench-$1.after"
  echo "$1: $(awk -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" \
    'BEGIN {printf "%.2f s of processor time in %d s = %.2f %% of one core", t / hz, s, 100 * t / hz / s}')"
  echo $((after - before)) >"$work/bench-$1.ticks"
}

echo "== processor time while idle (the prefix's Wine processes together)"
idle_cost blinkbar "$exe"
win=$(xdotool search --onlyvisible --name '^Blinkbar$' | head -n 1)
rm -f "$dir/wininfo-count.txt"
wininfo count-events Blinkbar 10 >/dev/null
events=$(tr -d '\r' <"$dir/wininfo-count.txt" 2>/dev/null)
echo "main-loop events while idle: ${events:-?} in 10 s (want 0)"
stop_bar
idle_cost bare-queries "$helper_dir/bare_poll.exe"
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
idle_cost bare-present "$helper_dir/bare_poll.exe" "" present
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
ratio() { awk -v a="$(cat "$work/bench-$1.ticks")" -v b="$(cat "$work/bench-${2:-bare-queries}.ticks")" \
  'BEGIN {if (b > 0) printf "%.2f", a / b; else print "n/a"}'; }
echo "ratio blinkbar / bare queries of all 24 letters: $(ratio blinkbar)"
echo "ratio blinkbar / bare queries of the present letters: $(ratio blinkbar bare-present) (aim: at most 1.05)"

echo "== processor time while nobody can see the bar: locked, and in the notification area"
lock_session() { wininfo post Blinkbar 0x2B1 7 0 >/dev/null; } # WM_WTSSESSION_CHANGE: locked
# "Minimize To Tray", until its icon shows in Wine's own tray window (red in its lower half): the
# first icon of a session starts that window, which takes Wine a second or two.
to_tray() {
  wininfo command Blinkbar 16 >/dev/null
  for _ in $(seq 100); do [ "$(pixels 12 32)" == FF0000 ] && break; sleep 0.1; done
}
to_tray_settled() { to_tray; sleep 3; }
after_start=lock_session idle_cost locked "$exe"
stop_bar
after_start=to_tray_settled idle_cost tray "$exe"
stop_bar
idle_cost idle-window "$helper_dir/minimal_window.exe"
kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
echo "ratio locked / bare queries: $(ratio locked)"
echo "ratio locked / an idle window program without timers: $(ratio locked idle-window) (aim: at most 1.1)"
echo "ratio in the tray / an idle window program without timers: $(ratio tray idle-window) (aim: at most 1.1)"

echo "== timer resolution: raises and restores (the test build counts the program's winmm calls)"
# Wine makes timeBeginPeriod a no-op: the counts, not the clock, are the evidence.
prepare bench-resolution "" "$helper_dir/blinkbar_e2e.exe"
traffic 0
start_bar
# The raises not yet restored, once the program shows the aim's count (at most 10 s: Wine's tray
# calls can hold the window's thread a second or two); what it shows then, if not.
outstanding() { # the aim
  local seen=""
  for _ in $(seq 100); do
    seen=$(tr -d '\r' <"$dir/timer-calls.txt" 2>/dev/null | grep -oE 'outstanding=[0-9-]+' | cut -d= -f2)
    [ "$seen" == "$1" ] && break
    sleep 0.1
  done
  echo "${seen:-unreadable}"
}
path="monitoring $(outstanding 1)"
to_tray
path+=", tray $(outstanding 0)"
xdotool mousemove 12 32 click --repeat 2 --delay 80 1 # the icon in Wine's own tray window
for _ in $(seq 50); do [ "$(window_count Blinkbar)" == 1 ] && break; sleep 0.1; done
path+=", back $(outstanding 1)"
lock_session
path+=", locked $(outstanding 0)"
wininfo post Blinkbar 0x2B1 8 0 >/dev/null
path+=", unlocked $(outstanding 1)"
pick 18
answer y # "Exit": the program ends
wait_exit "$pid" 10
path+=", exit $(outstanding 0)"
echo "outstanding raises: $path; in all $(tr -d '\r' <"$dir/timer-calls.txt" | cut -d' ' -f1-2) (aim: balanced, 0 while locked or in the tray)"

echo "== processor time with every LED switching on every tick (the test build's counters)"
idle_cost every-led-switching "$helper_dir/blinkbar_e2e.exe" 444444444444444444444444
win=$(xdotool search --onlyvisible --name '^Blinkbar$' | head -n 1)
stop_bar
echo "ratio every-led-switching / bare queries of all 24 letters: $(ratio every-led-switching) (aim: at most 1.5)"
echo "where it goes (processor seconds by process):"
awk -v hz="$ticks" 'NR == FNR {b[$1] = $3; next} {d = $3 - b[$1]; if (d > 0) t[$2] += d}
  END {for (n in t) printf "  %-20s %.2f\n", n, t[n] / hz}' \
  "$work/bench-every-led-switching.before" "$work/bench-every-led-switching.after" | sort -k2 -rn

echo "== heap allocations per tick (native, the poller and the hand-over)"
"$root/build/native/tests/blinkbar_native_tests" --gtest_filter='ActivityPollerTest.ATickAllocatesNothing' \
  2>&1 | grep -m1 'heap allocations' || echo "heap allocations: not measured"

size=$(stat -c %s "$exe")
echo "== executable: $size bytes = $(awk -v s="$size" 'BEGIN {printf "%.1f", s / 1024}') KiB (aim: at most 120 KiB)"
