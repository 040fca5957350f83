#!/usr/bin/env bash
# End to end: the LEDs blink. A test build of the program (never the shipped one) reads its disk
# counters from "traffic.txt" beside it; the test makes drive D read, write or both and watches
# D's LED on screen, then measures the delay from a counter change to the changed pixels.
# Expects DISPLAY and the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# E and F name no drive at the start, and no rescan comes: they stay unknown until announced.
cd_traffic() { traffic "$1$2--"; } # the characters of C and D
# D's LED is the second: x 418..435 at y 10..27. One pixel in its upper half, one in its lower.
upper=(419 12) lower=(419 24)
wait_pixels() { # expected "UPPER LOWER"[, another LED's upper and lower x y x y], within 3 s
  local seen="" at=("${@:2}")
  [ ${#at[@]} -eq 4 ] || at=("${upper[@]}" "${lower[@]}")
  for _ in $(seq 150); do
    seen=$(pixels "${at[@]}")
    [ "$seen" == "$1" ] && break
    sleep 0.02
  done
  echo "$seen"
}

# No rescan of the drives while the test runs: a drive that comes must be announced.
prepare blink "[settings]\nHDD Detect Interval=100000\nMinimize Button=1\n" "$helper_dir/blinkbar_e2e.exe"
# The tooltip's figures follow the user's decimal separator: a comma for this run, put back after.
decimal() { wine_run reg add 'HKCU\Control Panel\International' /v sDecimal /d "$1" /f >/dev/null 2>&1; }
decimal ,
trap 'end_started; decimal .' EXIT
cd_traffic 0 0
# Libraries lie beside the program, and Wine is told to prefer such copies to its own, as Windows
# does for any library outside its known ones: the timers must still come from the system's
# winmm, and the colour chooser's comdlg32 must not take winspool.drv from here.
planted="winmm,winspool.drv=n,b"
cp "$helper_dir/winmm.dll" "$helper_dir/winspool.drv" "$dir/"
cp "$helper_dir/wininfo.exe" "$dir/bare.exe" # a program that leaves the search order alone
WINEDLLOVERRIDES="mscoree,mshtml=;$planted" start_bar
check "quiet: D idle" "000000 000000" "$(wait_pixels "000000 000000")"
cd_traffic 0 2
check "writing: D's lower half in the write colour" "000000 FF2626" "$(wait_pixels "000000 FF2626")"
cd_traffic 0 0
check "quiet again: idle" "000000 000000" "$(wait_pixels "000000 000000")"
cd_traffic 0 1
check "reading: the upper half in the read colour" "00D800 000000" "$(wait_pixels "00D800 000000")"
cd_traffic 0 3
check "both: both halves" "00D800 FF2626" "$(wait_pixels "00D800 FF2626")"
cd_traffic 0 0
check "quiet: idle" "000000 000000" "$(wait_pixels "000000 000000")"
cd_traffic 2 0
sleep 0.5
check "C writing leaves D alone" "000000 000000" "$(pixels "${upper[@]}" "${lower[@]}")"
check "C writing: C's lower half" "FF2626" "$(pixels 401 24)"
cd_traffic 0 0

echo "-- the last LED switches beside the minimize button, which covers its separator column"
z_traffic() { traffic "00--0000000000000000000$1"; } # Z is the 24th letter
for state in 2 0 2 0; do
  z_traffic "$state"
  sleep 0.3
done
button_edge=$(pixels 838 20) # the button's right edge, which no LED touches
[[ $button_edge =~ ^[0-9A-F]{6}$ ]] || button_edge="unreadable: $button_edge"
check "Z switched: the button's left edge is still the button's" "$button_edge" "$(pixels 831 20)"
cd_traffic 0 0

echo "-- a locked session: no timer and no raised timer resolution until the unlock"
# The test build counts the program's winmm calls where it looks them up: the raises of the timer
# resolution not yet restored, and the timers started and not yet stopped (only the poll: a rescan
# every 100000 s is beyond any timer's period, and its slot stays idle).
timer_state() {
  tr -d '\r' <"$dir/timer-calls.txt" 2>/dev/null | awk -F'[= ]' \
    '/^raised=/ {print "raised " $6 ", timers " $8 - $10; found = 1} END {if (!found) print "unreadable"}'
}
monitoring=$(timer_state)
wininfo post Blinkbar 0x2B1 7 0 >/dev/null # WM_WTSSESSION_CHANGE: locked
sleep 0.3
locked=$(timer_state)
cd_traffic 0 2
sleep 0.6
check "locked: D stays dark while it writes" "000000 000000" "$(pixels "${upper[@]}" "${lower[@]}")"
wininfo post Blinkbar 0x2B1 8 0 >/dev/null # unlocked
check "unlocked: D lights at once" "000000 FF2626" "$(wait_pixels "000000 FF2626")"
check "the resolution raised and the poll running; locked: neither; unlocked: both again" \
  "raised 1, timers 1 / raised 0, timers 0 / raised 1, timers 1" "$monitoring / $locked / $(timer_state)"
cd_traffic 0 0

echo "-- a drive that comes while the program runs lights once Windows announces it"
traffic 0011 # E and F read, but their letters named no drive at the scan
sleep 0.6
check "E not yet announced: dark, not asked" "000000" "$(pixels 437 12)"
wininfo volume-arrival Blinkbar E
check "E announced: its upper half in the read colour" "00D800 000000" "$(wait_pixels "00D800 000000" 437 12 437 24)"
check "F, never announced, dark: no rescan lit E" "000000" "$(pixels 455 12)"
cd_traffic 0 0

echo "-- hovering over C shows what it is doing, and its last minute"
# The chart below the text, at 100 %: 20 rows each way from its middle. Read: the newest second below
# and above the middle, the oldest at and below it.
chart() { tip_chart 59 3  59 -1  0 0  0 3; }
hover_c() {
  xdotool mousemove 405 15
  sleep 0.3
  xdotool mousemove 407 17
}
cd_traffic 2 0
sleep 1.5
hover_c
tip_shown() { wininfo list | grep -c 'visible=1 class=tooltips_class32'; }
eventually "a tooltip shows over C" "1" tip_shown
sleep 0.5
import -window root "$dir/tooltip-writing.png"
tip() { wininfo tip | tr -d '\r'; }
# Figures with the user's decimal separator, set to a comma for this run.
eventually_match "the tooltip shows C writing, busy half the time (the test build's clock)" \
  '^C:.*\|Read: 0 B/s, 0 ops/s\|Write: [0-9]+,[0-9] [KM]B/s, [1-9][0-9]* ops/s\|Busy 50 %\|peak 1,0 MB/s$' tip
eventually "the chart: the newest second written, the oldest empty (before the unlock's new base)" \
  "FF2626 000000 000000 000000" chart
check "the tip stays while the pointer rests: the longest auto-pop delay" "32767" "$(wininfo tip-autopop)"
cd_traffic 1 0 # now C reads instead: the text follows within about a second
sleep 2.5
eventually_match "the tooltip, still shown, follows the rates" '^C:.*\|Read: [0-9]+,[0-9] KB/s, [1-9][0-9]* ops/s\|Write: 0 B/s, 0 ops/s\|Busy 50 %\|peak 1,0 MB/s$' tip
eventually "the chart follows: the newest second read, scaled to the written peak" \
  "000000 00D800 000000 000000" chart
import -window root "$dir/tooltip-reading.png"

# Quiet now: the text stands still, and the chart still moves a column a second by itself.
newest_read() { # the column of the newest second with a read, counted from the right
  local points=() seen
  for back in 0 1 2 3 4 5 6 7; do points+=($((59 - back)) -1); done
  seen=$(tip_chart "${points[@]}")
  echo "$seen" | awk '{for (i = 1; i <= NF; i++) if ($i == "00D800") {print i - 1; exit} print "none"}'
}
cd_traffic 0 0
eventually_match "quiet: the tip says so" '\|Read: 0 B/s, 0 ops/s\|Write: 0 B/s, 0 ops/s\|Busy 0 %\|' tip
sleep 1 # the chart too: the quiet second is drawn
# Read again until the column has moved, each read timed: it moves left by at most one column a
# second of the time between the two reads (a read starts Wine and Python, slow on a slow machine).
text_before=$(tip) read_at=$(date +%s%N) before=$(newest_read) after=$before
for _ in $(seq 30); do
  sleep 0.3
  after=$(newest_read) after_done=$(date +%s%N)
  [ "$after" != "$before" ] && break
done
text_after=$(tip)
[ "$text_after" == "$text_before" ] && text=unchanged || text="changed from '$text_before' to '$text_after'"
seconds=$(((after_done - read_at) / 1000000000 + 1))
[[ $before =~ ^[0-9]$ ]] && [[ $after =~ ^[0-9]$ ]] && ((after > before && after <= before + seconds)) &&
  moved="moved left" || moved="$before -> $after in at most $seconds s"
check "quiet: the last reads move left with the seconds under an unchanged text" \
  "moved left, text unchanged" "$moved, text $text"

echo "-- the fastest drives: gigabytes a second, each at its own height"
cd_traffic 5 0 # 8 GB/s
sleep 4
cd_traffic 6 0 # 5 GB/s
sleep 2.5
eventually_match "the tip in GB/s" '\|Write: 5,0 GB/s, [0-9]+ ops/s\|.*\|peak 8,0 GB/s$' tip
# The newest second at 5 GB/s; an 8 GB/s second among the ten before it, wherever the time the
# reads took has put it.
fast_chart() {
  local points=(59 16 59 10) column
  for column in $(seq 49 58); do points+=("$column" 19); done
  tip_chart "${points[@]}" |
    awk '{full = "no 8 GB/s second"; for (i = 3; i <= NF; i++) if ($i == "FF2626") full = "8 GB/s full"
          print $1, $2, full}'
}
eventually "the chart: 8 GB/s reaches the full 20 rows, 5 GB/s about 13" \
  "000000 FF2626 8 GB/s full" fast_chart
import -window root "$dir/tooltip-fast.png"

echo "-- back from the notification area, the minute shows the time away as empty"
xdotool mousemove 600 400
sleep 0.3
pick 16 # Minimize To Tray, while C writes
eventually "in the notification area" "0" bar_visible
away_at=$(date +%s%N)
cd_traffic 0 0
sleep 8
from_tray
eventually "back" "1" bar_visible
back_at=$(date +%s%N)
hover_c
eventually "a tooltip shows over C again" "1" tip_shown
# Where the return and the time away lie depends on when the chart is read, so both are placed
# by the clock: the seconds since the return (read after the chart, so never too few) end at the
# newest column; before them the time away, empty where it is surely away (a second of doubt at
# each end); before that C's writes, red, which places the span and fails a chart that stopped.
away_chart=$(tip_chart $(seq -s ' 3 ' 0 59) 3)
read_at=$(date +%s%N)
away=$(((back_at - away_at) / 1000000000)) since=$(((read_at - back_at) / 1000000000 + 1))
back_column=$((60 - since))
away_columns=$(echo "$away_chart" | awk -v b="$back_column" -v a="$away" '
  NF != 60 {print "unreadable: " $0; exit}
  {e = ""; for (c = b - 2; c >= b - a + 1; c--) e = e $(c + 1) " "
   print (b - a - 3 >= 0 ? "writes " $(b - a - 2) : "read too late") ", away " e "newest " $60}')
check "the time away is empty, between C's writes before it and the quiet seconds since" \
  "writes FF2626, away $(printf '000000 %.0s' $(seq $((away - 2))))newest 000000" "$away_columns"
echo "-- a slow drive and a fast one: how long an operation takes, and how many wait"
cd_traffic 7 0 # each read takes 25 ms, each write 120 ms
hover_c
eventually "a tooltip shows over C once more" "1" tip_shown
eventually_match "a slow drive: its response times and queue" \
  '\|Read: 80,0 KB/s, [0-9]+ ops/s, 25 ms\|Write: 1,0 MB/s, [0-9]+ ops/s, 120 ms\|Busy 100 %, queue (2,[789]|3,[01])\|' tip
import -window root "$dir/tooltip-slow.png"
cd_traffic 8 0 # 2000 reads a second of 0.4 ms, 500 writes of 1.2 ms
eventually_match "a fast drive: tenths of a millisecond, a short queue" \
  '\|Read: 7,8 MB/s, [0-9]+ ops/s, 0,4 ms\|Write: 3[12],[0-9] MB/s, [0-9]+ ops/s, 1,2 ms\|Busy 50 %, queue 1,[345]\|' tip

xdotool mousemove 600 400
echo "screenshots: $dir/tooltip-writing.png $dir/tooltip-reading.png $dir/tooltip-fast.png $dir/tooltip-slow.png"

echo "-- delay from a counter change to the pixels (20 changes)"
result=$(/usr/bin/python3 "$root/e2e/pixels.py" blink "$dir/traffic.txt" \
  "020000000000000000000000" "000000000000000000000000" "${lower[@]}" FF2626 000000 10)
echo "$result"
max=$(echo "$result" | grep -oE 'max_ms=[0-9.]+' | cut -d= -f2)
check_match "20 changes seen" 'changes=20' "$result"
check "every change within 1.5 s" "yes" "$(awk -v m="${max:-99999}" 'BEGIN {print (m < 1500) ? "yes" : "no"}')"
echo "-- libraries beside the program: the colour chooser loads comdlg32, and nothing from here"
pick 5
chooser=$(wait_for_window '^Color$')
check "the colour chooser opens" "title: Color" "$(wininfo box | head -n 1)"
xdotool windowfocus --sync "$chooser" key Escape
stop_bar
check "neither winmm.dll nor winspool.drv from beside the program was loaded" "no no" \
  "$(exists "$dir/winmm-loaded.txt") $(exists "$dir/winspool-loaded.txt")"
# The same libraries in the same folder, loaded by a program that narrows nothing: by bare name,
# and as comdlg32's import when it is loaded by full path. Without this the check above proves
# nothing.
(cd "$dir" && WINEDLLOVERRIDES="mscoree,mshtml=;$planted" wine_run bare.exe load winmm.dll &&
  WINEDLLOVERRIDES="mscoree,mshtml=;$planted" wine_run bare.exe load 'C:\windows\system32\comdlg32.dll') \
  >"$dir/bare.log" 2>&1
check "positive control: a program that narrows nothing loads both" "yes yes" \
  "$(exists "$dir/winmm-loaded.txt") $(exists "$dir/winspool-loaded.txt")"
summary
