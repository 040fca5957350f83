#!/usr/bin/env bash
# End to end: every command of the right-click menu, picked as a user picks it (a right-click on
# the bar, then the arrow keys and Return), each checked by what the user sees and by the exact
# bytes of the settings file afterwards.
# Expects DISPLAY and the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

alpha() { field "$(wininfo window "$1")" window alpha; }
# The exact text of a save, from the values a test expects.
saved_text() { # x y locked drives read write back text size alpha interval minimize
  printf '; Blinkbar V1.02 - January 2009 by the Blinkbar team\r\n; https://blinkbar.example.org\r\n; \r\n[Settings]\r\nWinX = %s\r\nWinY = %s\r\nLocked = %s\r\nDrives = %s\r\nReadColor = %s\r\nWriteColor = %s\r\nBackColor = %s\r\nTextColor = %s\r\nIconSize = %s\r\nTransparency = %s\r\nHDD Detect Interval = %s\r\nMinimize Button = %s\r\n' "$@"
}
all=111111111111111111111111
default_save() { saved_text "$1" "$2" 0 $all 00D800 FF2626 000000 FFFFFF 1 255 10 0; }
file_text() { cat "$dir/Blinkbar.ini" 2>/dev/null; }

echo "-- sizes"
prepare sizes ""
start_bar
pick 8
eventually "size 2: bar" "400,10 575x24" geometry
check "size 2: LED D is 24 pixels" "24,0,24,24" "$(field "$(wininfo window Blinkbar)" 'child id=2' rect)"
check "size 2: only item 8 checked" "8" "$(menu_checks)"
check "size 2: file" "$(saved_text 400 10 0 $all 00D800 FF2626 000000 FFFFFF 2 255 10 0)" "$(file_text)"
pick 9
eventually "size 3: bar" "400,10 719x30" geometry
check "size 3: file" "3" "$(ini IconSize)"
check "size 3: only item 9 checked" "9" "$(menu_checks)"
pick 7
eventually "size 1: bar" "400,10 431x18" geometry
check "size 1: file" "$(default_save 400 10)" "$(file_text)"

echo "-- minimize button, lock, topmost, save position"
pick 11
info=$(wininfo window Blinkbar)
eventually "button shown: bar 8 wider" "400,10 439x18" geometry
check "button shown: at the right end, captioned |" "1 431,0,8,18 \"|\"" "$(field "$info" 'child id=5000' visible) $(field "$info" 'child id=5000' rect) $(field "$info" 'child id=5000' text)"
check "button shown: file" "1" "$(ini 'Minimize Button')"
check "button shown: item 11 checked" "7 11" "$(menu_checks)"
pick 11
check "button hidden again" "400,10 431x18 0" "$(geometry) $(field "$(wininfo window Blinkbar)" 'child id=5000' visible)"
check "button hidden again: file" "0" "$(ini 'Minimize Button')"
pick 14
check "lock: item 14 checked" "7 14" "$(menu_checks)"
check "lock: file" "1" "$(ini Locked)"
xdotool mousemove 405 15 mousedown 1
for i in $(seq 1 8); do xdotool mousemove $((405 + i * 10)) $((15 + i * 10)); sleep 0.04; done
xdotool mouseup 1
sleep 0.4
check "lock: a drag is refused" "400,10 431x18" "$(geometry)"
pick 14
check "unlock: file" "0" "$(ini Locked)"
pick 13
check "Disable WindowOnTop" "0" "$(field "$(wininfo window Blinkbar)" window topmost)"
pick 12
check "Set WindowOnTop" "1" "$(field "$(wininfo window Blinkbar)" window topmost)"
pick 13
pick 8
check "topmost again after the next layout" "1" "$(field "$(wininfo window Blinkbar)" window topmost)"
pick 7
drag 405 15 100 70
eventually "dragged" "500,80 431x18" geometry
rm -f "$dir/Blinkbar.ini"
xdotool mousemove 505 85
pick 15 505 85
check "Save Window Position after a drag" "$(default_save 500 80)" "$(file_text)"

echo "-- about"
pick 1 505 85
check "about: title and text" "title: About Blinkbar V1.02 - January 2009
Button: OK
Static: Blinkbar 2009 by the Blinkbar team|https://blinkbar.example.org|team@blinkbar.example.org||Disk activity code 2009, Blinkbar team, team@blinkbar.example.org||Check the ReadMe_vx.xx.rtf file for more info." "$(wininfo box)"
answer Return "About Blinkbar V1.02 - January 2009"
check "about: closed" "no box" "$(wininfo box)"
stop_bar

echo "-- tray mode"
tray_icon() { pixels 12 32; } # red, in the lower half of the icon in Wine's own tray window
bar_state() { echo "$(bar_visible) $(geometry)"; }
hidden_with_icon() { echo "$(bar_visible) $(tray_icon)"; }
prepare tray '[Settings]\r\nMinimize Button=1\r\nWinX=300\r\nWinY=200\r\n' "$helper_dir/blinkbar_e2e.exe"
traffic 0
start_bar
before=$(file_hash "$dir/Blinkbar.ini")
pick 16 305 205
check "tray from the menu: bar hidden" "0" "$(field "$(wininfo window Blinkbar)" window visible)"
eventually "tray: the icon shows" "FF0000" tray_icon
xdotool mousemove 12 32 click 1
sleep 0.5
xdotool mousemove 12 32 click 3
sleep 0.5
xdotool key Escape
check "tray: single and right clicks leave it hidden" "0" "$(field "$(wininfo window Blinkbar)" window visible)"
wininfo taskbar-created >/dev/null
sleep 0.5
eventually "tray: the icon is still there after the taskbar was made anew" "FF0000" tray_icon
from_tray
eventually "tray: a double-click brings the bar back in place" "1 300,200 439x18" bar_state
eventually "tray: the icon is gone" "000000" tray_icon
traffic 2
eventually "back from the tray: the LEDs light again" "FF2626" pixels 301 214
traffic 0
xdotool mousemove 305 205 click 1 # a click on an LED first: the button must still take its click
sleep 0.4
xdotool mousemove 734 208 click 1 # the minimize button at the bar's right end
eventually "tray from the button after a click on an LED: bar hidden, icon shown" "0 FF0000" hidden_with_icon
from_tray
eventually "tray from the button: back in place" "1 300,200 439x18" bar_state
check "tray: nothing saved" "$before" "$(file_hash "$dir/Blinkbar.ini")"
pick 14 305 205 # locked now, and a menu command was the last event
xdotool mousemove 734 208 click 1
eventually "tray from the button, locked: bar hidden, icon shown" "0 FF0000" hidden_with_icon
from_tray
eventually "tray from the button, locked: back in place" "1 300,200 439x18" bar_state
stop_bar

echo "-- transparency dialog"
prepare alpha '[Settings]\r\nTransparency=128\r\n'
prepared=$(file_hash "$dir/Blinkbar.ini")
start_bar
pick 10
info=$(wininfo window "Adjust Window Transparency")
check "dialog: client area" "185,50" "$(field "$info" window client)"
check "dialog: slider at 128 with the focus" "128 40 255 1 30,10,125,20" "$(field "$info" 'child id=620' pos) $(field "$info" 'child id=620' min) $(field "$info" 'child id=620' max) $(field "$info" 'child id=620' focus) $(field "$info" 'child id=620' rect)"
check "dialog: labels" '"40" "255" "128"' "$(field "$info" 'child id=621' text) $(field "$info" 'child id=622' text) $(field "$info" 'child id=623' text)"
dialog=$(wait_for_window '^Adjust Window Transparency$')
xdotool windowfocus --sync "$dialog" key Home
bar_and_label() { echo "$(alpha Blinkbar) $(field "$(wininfo window "Adjust Window Transparency")" 'child id=623' text)"; }
eventually "Home: the bar at 40 at once" "40 \"40\"" bar_and_label
xdotool key Right Right
eventually "Right twice: 42" "42" alpha Blinkbar
check "while open: nothing saved yet" "$prepared" "$(file_hash "$dir/Blinkbar.ini")"
wininfo close "Adjust Window Transparency" >/dev/null
eventually "closed: the value saved" "42" ini Transparency
dialog_shown() { field "$(wininfo window "$1")" window visible; }
eventually "closed: the dialog goes" "" dialog_shown "Adjust Window Transparency"
check "closed: the bar keeps 42" "42" "$(alpha Blinkbar)"
stop_bar

echo "-- drive dialog"
prepare drives ""
start_bar
open_drive_dialog() {
  pick 2
  dialog=$(wait_for_window '^Show/Hide Drive$')
  xdotool windowfocus --sync "$dialog"
}
open_drive_dialog
info=$(wininfo window "Show/Hide Drive")
check "drive dialog: client area" "170,160" "$(field "$info" window client)"
check "drive dialog: C, H, I, Z and the button in place" \
  "10,10,40,20 10,110,40,20 50,10,40,20 130,110,40,20 10,135,150,20" \
  "$(for id in 251 256 257 274 280; do printf '%s ' "$(field "$info" "child id=$id" rect)"; done | sed 's/ $//')"
check "drive dialog: all 24 ticked" "24" "$(echo "$info" | grep -cE 'class=Button .*checked=1')"
box_checked() { for id; do field "$(wininfo window "Show/Hide Drive")" "child id=$id" checked; done | paste -sd' '; }
xdotool key Tab Tab space # D
eventually "D cleared" "0" box_checked 252
wininfo close "Show/Hide Drive" >/dev/null
eventually "closed: the dialog goes" "" dialog_shown "Show/Hide Drive"
check "closed: nothing changes" "400,10 431x18 none" "$(geometry) $(file_hash "$dir/Blinkbar.ini")"
open_drive_dialog
xdotool key Tab Tab space
for _ in $(seq 23); do xdotool key Tab; done
xdotool key space # Save Changes
eventually "saved: the bar narrows" "400,10 413x18" geometry
eventually "saved: the file" "$(saved_text 400 10 0 101111111111111111111111 00D800 FF2626 000000 FFFFFF 1 255 10 0)" file_text
stop_bar
prepare last-drive '[Settings]\r\nDrives=000000000000000000000001\r\n'
start_bar
open_drive_dialog
for _ in $(seq 24); do xdotool key Tab; done # from nowhere through C..Z
sleep 0.3
xdotool key space
sleep 0.3
check "the last ticked box cannot be cleared" "1" "$(box_checked 274)"
# The same keys clear Z once Y is ticked: they do reach the boxes.
xdotool key shift+Tab space Tab space
eventually "with Y ticked, Z can be cleared" "1 0" box_checked 273 274
xdotool key Tab space # Save Changes
eventually "saved: Y alone" "$(saved_text 400 10 0 000000000000000000000010 00D800 FF2626 000000 FFFFFF 1 255 10 0)" file_text
stop_bar

echo "-- colours"
prepare colours '[Settings]\r\nWinX=200\r\n' "$helper_dir/blinkbar_e2e.exe"
traffic 0
start_bar
pick 5 205 15
chooser=$(wait_for_window '^Color$')
check "the chooser opens" "title: Color" "$(wininfo box | head -n 1)"
xdotool windowfocus --sync "$chooser" key Escape
eventually "cancelled: the file rewritten, same colours, the bar's position" "$(default_save 200 10)" file_text
check "cancelled: nothing redrawn" "000000" "$(pixels 201 27)"
choose_swatch() { # menu item: picks the fourth row's fifth basic colour, then OK; sets swatch
  pick "$1" 205 15
  chooser=$(wait_for_window '^Color$')
  eval "$(xdotool getwindowgeometry --shell "$chooser")"
  local swatch_x=$((X + 144)) swatch_y=$((Y + 104))
  swatch=$(pixels "$swatch_x" "$swatch_y")
  xdotool mousemove "$swatch_x" "$swatch_y" click 1
  sleep 0.3
  xdotool mousemove $((X + 50)) $((Y + 282)) click 1 # OK
  sleep 0.5
}
colours() { echo "$(ini ReadColor) $(ini WriteColor) $(ini BackColor) $(ini TextColor)"; }
choose_swatch 4
eventually "write colour: only WriteColor changes" "00D800 $swatch 000000 FFFFFF" colours
traffic 2
eventually "write colour: C writing shows it" "$swatch" pixels 201 24
traffic 0
choose_swatch 3
eventually "read colour: only ReadColor changes" "$swatch $swatch 000000 FFFFFF" colours
choose_swatch 6
eventually "text colour: only TextColor changes" "$swatch $swatch 000000 $swatch" colours
choose_swatch 5
eventually "chosen: the file holds the new background" "$swatch" ini BackColor
eventually "chosen: the LEDs show it" "$swatch" pixels 201 27
stop_bar

echo "-- restore defaults"
prepare restore '[Settings]\r\nWinX=100\r\nIconSize=2\r\nLocked=1\r\nDrives=1\r\nReadColor=123456\r\nHDD Detect Interval=5\r\nTransparency=99\r\n'
start_bar
before=$(file_hash "$dir/Blinkbar.ini")
pick 17 105 15
check "restore: the question" "title: Blinkbar
Button: &Yes
Button: &No
Static: Do you want to restore Blinkbar defaults?" "$(wininfo box)"
answer n
check "restore No: nothing changes" "100,10 23x24 $before" "$(geometry) $(file_hash "$dir/Blinkbar.ini")"
pick 17 105 15
answer y
check "restore Yes: the bar" "100,10 431x18 255" "$(geometry) $(alpha Blinkbar)"
check "restore Yes: the file keeps the rescan interval and the bar's place" \
  "$(saved_text 100 10 0 $all 00D800 FF2626 000000 FFFFFF 1 255 5 0)" "$(file_text)"
stop_bar

echo "-- exit"
prepare exit '' "$helper_dir/blinkbar_e2e.exe"
traffic 0
start_bar
pick 18
check "exit: the question" "Static: Do you want to exit?" "$(wininfo box | grep Static)"
answer n
traffic 2
running_and_lit() { echo "$(alive) $(pixels 401 24)"; }
eventually "exit No: still running and the LEDs still switch" "yes FF2626" running_and_lit
traffic 0
drag 405 15 100 30
eventually "dragged before Exit" "500,40 431x18" geometry
pick 18 505 50
answer y
wait_exit "$pid"
check "exit Yes: ends with code 0" "0" "$?"
check "exit Yes: the file with the current position" "$(default_save 500 40)" "$(file_text)"

echo "-- uninstall"
uninstall_case() { # folder name, "none" for a copy without its uninstaller
  local start_in=$work/elsewhere
  prepare "$1" '[Settings]\r\nWinX=50\r\n'
  printf '[Settings]\r\nWinX=60\r\n' >"$dir/Blinkbar.ini.tmp" # left by a cut-off save
  [ "${2:-}" = none ] || cp "$helper_dir/fake_uninstaller.exe" "$dir/unins000.exe"
  mkdir -p "$start_in"
  start_bar
  pick 19 55 15
  check "$1: the question" "Static: Do you want to uninstall Blinkbar?||Probably the first ever to appear from within the software :-)" "$(wininfo box | grep Static)"
  answer n
  check "$1: No keeps everything" "yes yes" "$(alive) $([ -f "$dir/Blinkbar.ini" ] && echo yes)"
  pick 19 55 15
  answer y
  wait_exit "$pid" 10
  check "$1: Yes ends with code 0 at once" "0" "$?"
  check "$1: the settings file and a left-over replacement are deleted" "no no" "$([ -f "$dir/Blinkbar.ini" ] && echo yes || echo no) $([ -f "$dir/Blinkbar.ini.tmp" ] && echo yes || echo no)"
  if [ "${2:-}" = none ]; then
    start_bar
    check "$1: a new start shows the bar" "yes" "$([ -n "$win" ] && echo yes || echo no)"
    stop_bar
    return
  fi
  for _ in $(seq 50); do [ -f "$dir/uninstall-record.txt" ] && break; sleep 0.1; done
  local windir
  windir="Z:$(echo "$dir" | tr '/' '\\')"
  check "$1: the uninstaller's command line" "\"$windir\\unins000.exe\"  /NORESTART /SILENT" "$(sed -n 1p "$dir/uninstall-record.txt" 2>/dev/null)"
  check "$1: it runs in the program's folder" "$windir" "$(sed -n 2p "$dir/uninstall-record.txt" 2>/dev/null)"
}
uninstall_case uninstall
uninstall_case "アンインストール テスト"
uninstall_case portable none

summary
