#!/usr/bin/env bash
# Two monitors side by side (1024 x 768 each, the primary on the left): a bar saved on the
# second starts there, is dragged across to the first and back, and a position off every
# monitor comes back to the primary screen's middle, while one that reaches a monitor stays.
# Expects the session of scripts/two-monitors-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

check "Windows sees two monitors side by side" \
  "monitor rect=0,0,1024,768 primary=1 monitor rect=1024,0,1024,768 primary=0" \
  "$(wininfo monitors | tr '\n' ' ' | sed 's/ $//')"

prepare monitors '[Settings]\r\nWinX=1500\r\nWinY=100\r\n'
start_bar
eventually "saved on the second monitor: starts there" "1500,100 431x18" geometry
drag 1505 105 -1000 100
eventually "dragged across to the first" "500,200 431x18" geometry
saved_place() { echo "$(ini WinX) $(ini WinY)"; }
# A save takes its time on a slow disk: wait for it, before the bar is ended.
wininfo command Blinkbar 15 >/dev/null # Save Window Position
eventually "the position saved on the first" "500 200" saved_place
drag 505 205 1200 100
eventually "and back to the second" "1700,300 431x18" geometry
wininfo command Blinkbar 15 >/dev/null
eventually "the position saved on the second" "1700 300" saved_place
stop_bar
start_bar
eventually "saved on the second again: starts there" "1700,300 431x18" geometry
# The second monitor goes while the bar runs on it. Windows then sends WM_DISPLAYCHANGE to every
# top-level window; Wine 8 updates its monitors but sends nothing, so the test delivers it.
monitors() { wininfo monitors | tr '\n' ' ' | sed 's/ $//'; }
display_changed() { wininfo post Blinkbar 0x7E 32 0 >/dev/null; }
xrandr --output DUMMY1 --off
eventually "the second monitor goes" "monitor rect=0,0,1024,768 primary=1" monitors
display_changed
eventually "the bar on it comes back to the primary's middle" "512,300 431x18" geometry
xrandr --output DUMMY1 --mode 1024x768 --pos 1024x0
eventually "the second monitor comes back" "monitor rect=0,0,1024,768 primary=1 monitor rect=1024,0,1024,768 primary=0" monitors
display_changed
sleep 0.5
check "the bar stays where it came back, and nothing was saved" "512,300 431x18 1700" "$(geometry) $(ini WinX)"
stop_bar

place() { # WinX, WinY -> where the bar starts
  prepare monitors-place "[Settings]\r\nWinX=$1\r\nWinY=$2\r\n"
  start_bar
  geometry | cut -d' ' -f1
  stop_bar
}
check "across the seam: stays" "900,50" "$(place 900 50)"
check "right of both: the primary's middle" "512,50" "$(place 2100 50)"
check "below both: the primary's middle" "100,384" "$(place 100 800)"
check "left of both: the primary's middle" "512,50" "$(place -3000 50)"
check "reaching the first from the left: stays" "-200,50" "$(place -200 50)"
summary
