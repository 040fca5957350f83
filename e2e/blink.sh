#!/usr/bin/env bash
# End to end: the LEDs blink. A test build of the program (never the shipped one) reads its disk
# counters from "traffic.txt" beside it; the test makes drive D read, write or both and watches
# D's LED on screen, then measures the delay from a counter change to the changed pixels.
# Expects DISPLAY and the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

traffic() { # the characters of C and D[, E: '-' names no drive]; every other letter quiet
  printf '%s%s%s000000000000000000000' "$1" "$2" "${3:--}" >"$dir/traffic.new" && mv "$dir/traffic.new" "$dir/traffic.txt"
}
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
prepare blink "[settings]\nHDD Detect Interval=100000\n" "$helper_dir/blinkbar_e2e.exe"
traffic 0 0
# A winmm.dll lies beside the program, and Wine is told to prefer such a copy to its own: the
# timers must still come from the system's winmm, and the planted one never runs.
cp "$helper_dir/winmm.dll" "$dir/"
WINEDLLOVERRIDES="mscoree,mshtml=;winmm=n,b" start_bar
check "quiet: D idle" "000000 000000" "$(wait_pixels "000000 000000")"
check "a winmm.dll beside the program is never loaded" "no" "$([ -e "$dir/winmm-loaded.txt" ] && echo yes || echo no)"
traffic 0 2
check "writing: D's lower half in the write colour" "000000 FF2626" "$(wait_pixels "000000 FF2626")"
traffic 0 0
check "quiet again: idle" "000000 000000" "$(wait_pixels "000000 000000")"
traffic 0 1
check "reading: the upper half in the read colour" "00D800 000000" "$(wait_pixels "00D800 000000")"
traffic 0 3
check "both: both halves" "00D800 FF2626" "$(wait_pixels "00D800 FF2626")"
traffic 0 0
check "quiet: idle" "000000 000000" "$(wait_pixels "000000 000000")"
traffic 2 0
sleep 0.5
check "C writing leaves D alone" "000000 000000" "$(pixels "${upper[@]}" "${lower[@]}")"
check "C writing: C's lower half" "FF2626" "$(pixels 401 24)"
traffic 0 0

echo "-- a locked session: nothing is asked until the unlock"
wininfo post Blinkbar 0x2B1 7 0 >/dev/null # WM_WTSSESSION_CHANGE: locked
sleep 0.3
traffic 0 2
sleep 0.6
check "locked: D stays dark while it writes" "000000 000000" "$(pixels "${upper[@]}" "${lower[@]}")"
wininfo post Blinkbar 0x2B1 8 0 >/dev/null # unlocked
check "unlocked: D lights at once" "000000 FF2626" "$(wait_pixels "000000 FF2626")"
traffic 0 0

echo "-- a drive that comes while the program runs lights once Windows announces it"
traffic 0 0 1 # E reads, but its letter named no drive at the scan
sleep 0.6
check "E not yet announced: dark, not asked" "000000" "$(pixels 437 12)"
wininfo volume-arrival Blinkbar E
check "E announced: its upper half in the read colour" "00D800 000000" "$(wait_pixels "00D800 000000" 437 12 437 24)"
traffic 0 0

echo "-- hovering over C shows what it is doing"
traffic 2 0
sleep 1.5
xdotool mousemove 405 15
sleep 0.3
xdotool mousemove 407 17
tip_shown() { wininfo list | grep -c 'visible=1 class=tooltips_class32'; }
eventually "a tooltip shows over C" "1" tip_shown
sleep 0.5
import -window root "$dir/tooltip-writing.png"
tip() { wininfo tip | tr -d '\r'; }
check_match "the tooltip shows C writing" '^C:.*\|Read: 0 B/s, 0 ops/s\|Write: [^,]*[1-9][^,]*, [1-9][0-9]* ops/s$' "$(tip)"
traffic 1 0 # now C reads instead: the text follows within about a second
sleep 2.5
check_match "the tooltip, still shown, follows the rates" '^C:.*\|Read: [^,]*[1-9][^,]*, [1-9][0-9]* ops/s\|Write: 0 B/s, 0 ops/s$' "$(tip)"
import -window root "$dir/tooltip-reading.png"
xdotool mousemove 600 400
traffic 0 0
echo "screenshots: $dir/tooltip-writing.png $dir/tooltip-reading.png"

echo "-- delay from a counter change to the pixels (20 changes)"
result=$(/usr/bin/python3 "$root/e2e/pixels.py" blink "$dir/traffic.txt" \
  "020000000000000000000000" "000000000000000000000000" "${lower[@]}" FF2626 000000 10)
echo "$result"
max=$(echo "$result" | grep -oE 'max_ms=[0-9.]+' | cut -d= -f2)
check_match "20 changes seen" 'changes=20' "$result"
check "every change within 1.5 s" "yes" "$(awk -v m="${max:-99999}" 'BEGIN {print (m < 1500) ? "yes" : "no"}')"
stop_bar
summary
