#!/usr/bin/env bash
# End to end at 150 %: a Wine prefix of its own set to 144 dots per inch. The program declares
# itself DPI-aware, so Wine hands it the real scale and nothing is stretched: every length of the
# bar, the LEDs and the drive dialog is 1.5 times the 96-dpi design, drawn at that size.
# Expects DISPLAY and the Wine session of scripts/xvfb-session.sh with WINEPREFIX set to
# build/wineprefix-144dpi (the setting is made here, before the program starts).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
[[ "$WINEPREFIX" == *144dpi ]] || { echo "run in the 144-dpi prefix, not $WINEPREFIX"; exit 1; }
# Each new process reads the scale from the registry: one session shows both.
scale() { "$root/scripts/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
  /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
hover_c() { xdotool mousemove 310 20; sleep 0.3; xdotool mousemove 312 22; } # C: in every prefix
chart_size() { tip_chart_area | cut -d' ' -f3-; } # inside the frame

# The chart at 100 %, for the size at 150 %.
scale 96
prepare scale-100 "[Settings]\r\nwinx=300\r\nwiny=10\r\n" "$helper_dir/blinkbar_e2e.exe"
start_bar
hover_c
eventually_match "C's chart at 100 %" '^[0-9]+ [0-9]+$' chart_size
read -r width height <<<"$(chart_size)"
xdotool mousemove 600 400
stop_bar
[[ "$width $height" =~ ^[0-9]+\ [0-9]+$ ]] || width=0 height=0
scale 144

# At 300, 10 the whole bar fits the 1024-pixel screen.
prepare scale "[Settings]\r\nwinx=300\r\nwiny=10\r\n" "$helper_dir/blinkbar_e2e.exe"
traffic 00
start_bar
eventually "the bar: 24 LEDs of 27 pixels, less one" "300,10 647x27" geometry
# D is the second LED, x 327..353: halves of 13 and 14 rows, then a separator of two columns.
traffic 03
eventually "D reads and writes: each half in its colour, a two-column separator" \
  "00D800 00D800 FF2626 FF2626 FF2626 FFFFFF FFFFFF" pixels 328 10 350 22 328 23 350 36 351 30 352 30 353 30
import -window root -crop 657x37+295+5 +repage "$dir/bar-150.png"
# C's tooltip and its minute, half as large again as at 100 %. Printed: the newest column above
# and below the middle, the oldest at the middle (before the program ran: empty).
traffic 30
hover_c
chart() { tip_chart 59 -1  59 4  0 0; }
eventually "C's tooltip: both halves of the newest second, nothing in the oldest" \
  "00D800 FF2626 000000" chart
check "C's chart at 1.5 times its $width x $height at 100 %" \
  "$((width * 3 / 2)) $((height * 3 / 2))" "$(chart_size)"
import -window root "$dir/tooltip-150.png"
echo "screenshot: $dir/tooltip-150.png"
xdotool mousemove 600 400
traffic 00
pick 2 305 15 # Configure Drives
dialog=$(wait_for_window '^Show/Hide Drive$')
info=$(wininfo window "Show/Hide Drive")
check "drive dialog: client area 255 x 240" "255,240" "$(field "$info" window client)"
check "drive dialog: C, H, I, Z and the button at 1.5 times their places" \
  "15,15,60,30 15,165,60,30 75,15,60,30 195,165,60,30 15,203,225,30" \
  "$(for id in 251 256 257 274 280; do printf '%s ' "$(field "$info" "child id=$id" rect)"; done | sed 's/ $//')"
wininfo close "Show/Hide Drive" >/dev/null
stop_bar
summary
