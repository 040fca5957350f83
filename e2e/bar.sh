#!/usr/bin/env bash
# End to end: the real blinkbar.exe under Wine, as a user meets it. Each case copies the program
# into a fresh folder (with or without a prepared Blinkbar.ini), starts it, and checks from
# outside what a user sees: window place, size and styles, opacity, LED pixels, the menu, drags,
# double-clicks, a second copy, close requests, the version gate, and the settings file's bytes.
# Expects DISPLAY and the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

expected_menu='item 1 checked=0 "About Blinkbar V1.02 - January 2009"
separator
item 2 checked=0 "Configure Drives"
separator
item 3 checked=0 "Set Read Icon Color"
item 4 checked=0 "Set Write Icon Color"
item 5 checked=0 "Set Background Icon Color"
item 6 checked=0 "Set Text Icon Color"
item 7 checked=1 "Set Drive Icon Size 1"
item 8 checked=0 "Set Drive Icon Size 2"
item 9 checked=0 "Set Drive Icon Size 3"
item 10 checked=0 "Adjust Window Transparency"
item 11 checked=0 "Show Minimize Button"
separator
item 12 checked=0 "Set WindowOnTop"
item 13 checked=0 "Disable WindowOnTop"
item 14 checked=0 "Lock/Unlock Window Position"
item 15 checked=0 "Save Window Position"
item 16 checked=0 "Minimize To Tray"
separator
item 17 checked=0 "Restore Blinkbar defaults"
item 18 checked=0 "Exit"
separator
item 19 checked=0 "Uninstall Blinkbar"'


echo "-- no settings file"
prepare defaults ""
start_bar ignored /arguments "C:\\"
eventually "defaults: place and size" "400,10 431x18" geometry
info=$(wininfo window Blinkbar)
check "defaults: visible" "1" "$(field "$info" window visible)"
check "defaults: topmost" "1" "$(field "$info" window topmost)"
check "defaults: tool window, no taskbar entry" "1" "$(field "$info" window toolwindow)"
check "defaults: layered and opaque" "1 255" "$(field "$info" window layered) $(field "$info" window alpha)"
check "defaults: borderless popup" "0x94000000" "$(field "$info" window style)"
check "defaults: no X opacity property when opaque" "absent" "$(opacity_property)"
check "defaults: button hidden" "0" "$(field "$info" 'child id=5000' visible)"
# LED pixels: per LED the bottom-left corner in the background, the separator column in the text
# colour (the last one lies outside the window), and the marker only on C and Z (Wine's drives).
points=() want=()
for slot in $(seq 1 24); do
  x=$((400 + (slot - 1) * 18))
  points+=("$x" 27) want+=(000000)
  [ "$slot" -lt 24 ] && points+=($((x + 17)) 14) want+=(FFFFFF)
  mark=000000
  [ "$slot" -eq 1 ] || [ "$slot" -eq 24 ] && mark=FFFFFF
  points+=($((x + 7)) 10 $((x + 8)) 11) want+=("$mark" "$mark")
done
check "defaults: LED background, separators and presence markers" "${want[*]}" "$(pixels "${points[@]}")"
check "defaults: still running" "yes" "$(alive)"

echo "-- the menu"
check "menu: 19 items, 5 separators, exact texts, size 1 checked" "$expected_menu" "$(menu_items 405 15)"
xdotool key Escape
eventually "menu: Escape closes it" "no menu" wininfo menu
check "menu: nothing changed" "400,10 431x18" "$(geometry)"
check "menu: a right press on an LED far right opens it too" "7" "$(menu_checks 820 15)"
# From the keyboard, as any context menu opens: the menu key and Shift+F10 on the focused bar.
menu_from_keys() { # keys
  xdotool windowfocus --sync "$win" key "$1"
  menu_is open || return
  rm -f "$dir/wininfo-menu.txt"
  wininfo menu >/dev/null
  tr -d '\r' <"$dir/wininfo-menu.txt" 2>/dev/null
  wininfo menu-place | awk '{print ($2 == $4 ? "at the focused control" : $0)}'
  xdotool key Escape
  menu_is closed
}
at_focus="$expected_menu"$'\n'"at the focused control"
check "menu: the menu key and Shift+F10 each open the same menu at the focused control's corner, Escape closes it" \
  "$at_focus$at_focus" "$(menu_from_keys Menu)$(menu_from_keys shift+F10)"

echo "-- wheel"
xdotool mousemove 405 15 click 5 click 5 click 5
bar_alpha() { field "$(wininfo window Blinkbar)" window alpha; }
eventually "wheel: three notches down" "225" bar_alpha
eventually "wheel: X opacity follows" "$((225 * 4294967295 / 255))" opacity_property
xdotool click 4 click 4 click 4 click 4 click 4
eventually "wheel: up stops at 255" "255" bar_alpha

echo "-- drag, click, double-click"
drag 405 15 100 60
eventually "drag: the bar follows the pointer" "500,70 431x18" geometry
xdotool mousemove 510 75 click 1
sleep 0.3
xdotool mousemove 700 400
sleep 0.3
xdotool mousemove 720 420
sleep 0.3
check "click and release: the bar stays put" "500,70 431x18" "$(geometry)"
# An explorer.exe lies beside the program, as anything may in a download folder: a stand-in that
# leaves a record when it runs. Windows looks for a bare program name there first.
cp "$helper_dir/fake_uninstaller.exe" "$dir/explorer.exe"
xdotool mousemove 505 75 click --repeat 2 --delay 80 1
found=""
for _ in $(seq 50); do
  found=$(wininfo list | grep -m1 'visible=1 class=ExplorerWClass text=" (C:)"')
  [ -n "$found" ] && break
  sleep 0.2
done
check_match "double-click on C opens its root folder" 'ExplorerWClass' "$found"
wininfo close " (C:)" >/dev/null
planted_ran=$(exists "$dir/uninstall-record.txt")
cp "$helper_dir/wininfo.exe" "$dir/bare.exe" # the positive control: a bare name from that folder
wine_run "$dir/bare.exe" start 'explorer.exe C:\' >/dev/null 2>&1
check "the explorer.exe beside it never ran; a bare name started from there runs it" \
  "no yes" "$planted_ran $(exists "$dir/uninstall-record.txt")"
rm -f "$dir/explorer.exe" "$dir/bare.exe" "$dir/uninstall-record.txt"
check "start-up and all of that wrote no settings file" "none" "$(file_hash "$dir/Blinkbar.ini")"

echo "-- a close request"
wininfo close Blinkbar >/dev/null
sleep 0.5
check "close request: still running" "yes" "$(alive)"
check "close request: still visible" "1" "$(field "$(wininfo window Blinkbar)" window visible)"

echo "-- a second copy"
first=$pid
before=$(file_hash "$dir/Blinkbar.ini")
timeout 30 "$root/scripts/wine-run.sh" "$dir/blinkbar.exe" >"$dir/second.log" 2>&1
check "second copy: ends at once with code 0" "0" "$?"
check "second copy: one bar only" "1" "$(xdotool search --onlyvisible --name '^Blinkbar$' | wc -l)"
check "second copy: the first one runs on" "yes" "$(alive)"
check "second copy: the settings file untouched" "$before" "$(file_hash "$dir/Blinkbar.ini")"
stop_bar

echo "-- layouts from the settings file"
prepare big '[Settings]\r\nIconSize=3\r\nMinimize Button=1\r\nLocked=1\r\n'
start_bar
eventually "size 3 with the button: place and size" "400,10 727x30" geometry
info=$(wininfo window Blinkbar)
check "size 3 with the button: button place" "719,0,8,30" "$(field "$info" 'child id=5000' rect)"
check "size 3 with the button: caption" '"|"' "$(field "$info" 'child id=5000' text)"
check "size 3 with the button: visible" "1" "$(field "$info" 'child id=5000' visible)"
check "size 3, locked, button: check marks" "9 11 14" "$(menu_checks)"
xdotool mousemove 405 15 mousedown 1
for i in $(seq 1 8); do xdotool mousemove $((405 + i * 10)) $((15 + i * 10)); sleep 0.04; done
xdotool mouseup 1
sleep 0.4
check "locked: a drag leaves the bar" "400,10 727x30" "$(geometry)"
xdotool mousemove 405 15 click --repeat 2 --delay 80 1
found=""
for _ in $(seq 50); do
  found=$(wininfo list | grep -m1 'visible=1 class=ExplorerWClass text=" (C:)"')
  [ -n "$found" ] && break
  sleep 0.2
done
check_match "locked: a double-click still opens C" 'ExplorerWClass' "$found"
wininfo close " (C:)" >/dev/null
stop_bar

prepare three '[Settings]\r\nDrives=110000000000000000000001\r\nTransparency=128\r\n'
start_bar
eventually "C, D and Z: place and size" "400,10 53x18" geometry
info=$(wininfo window Blinkbar)
check "C, D and Z: Z next to D" "36,0,18,18" "$(field "$info" 'child id=24' rect)"
hidden=""
for id in $(seq 3 23); do hidden+="$(field "$info" "child id=$id" visible)@$(field "$info" "child id=$id" rect) "; done
check "C, D and Z: hidden controls stacked at 36" "$(for id in $(seq 3 23); do printf '0@36,0,18,18 '; done)" "$hidden"
check "opacity from the file" "128" "$(field "$info" window alpha)"
check "opacity from the file: X property" "2155905152" "$(opacity_property)"
stop_bar

prepare short '[Settings]\r\nDrives=111\r\nMinimize Button=0\r\nTransparency=45\r\nIconSize=2\r\n'
start_bar
eventually "a short mask: three LEDs of 24" "400,10 71x24" geometry
info=$(wininfo window Blinkbar)
check "a short mask: D shown, F hidden at 72" "1@24,0,24,24 0@72,0,24,24" "$(field "$info" 'child id=2' visible)@$(field "$info" 'child id=2' rect) $(field "$info" 'child id=4' visible)@$(field "$info" 'child id=4' rect)"
check "button hidden" "0" "$(field "$info" 'child id=5000' visible)"
check "size 2 checked" "8" "$(menu_checks)"
xdotool mousemove 405 15 click 5
sleep 0.4
check "wheel: down stops at 40" "40" "$(field "$(wininfo window Blinkbar)" window alpha)"
stop_bar

prepare off-screen '[settings]\nwinx=5000\nwiny=-20\nIconSize=2\n'
start_bar
eventually "a position on no monitor comes back, a negative one stays" "512,-20 575x24" geometry
check "and the file is not rewritten" "$(printf '[settings]\nwinx=5000\nwiny=-20\nIconSize=2\n' | md5sum | cut -d' ' -f1)" "$(file_hash "$dir/Blinkbar.ini")"
stop_bar

echo "-- the version gate"
# The version Wine reports to blinkbar.exe alone. "default" is the prefix's own, Windows 7 as a
# workstation (6.1, product type 1); Wine's "win7" setting reports a server product type instead.
# Without a manifest Wine's "win10" reports 6.2, as Windows itself does.
gate_case() { # version, expect refused (yes/no)
  if [ "$1" = default ]; then
    wine_run reg delete 'HKCU\Software\Wine\AppDefaults\blinkbar.exe' /f >/dev/null 2>&1
  else
    wine_run reg add 'HKCU\Software\Wine\AppDefaults\blinkbar.exe' /v Version /d "$1" /f >/dev/null 2>&1
  fi
  prepare "gate-$1" ""
  launch
  local box="" bar=""
  for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --name '^Information$' 2>/dev/null | head -n 1)
    bar=$(xdotool search --onlyvisible --name '^Blinkbar$' 2>/dev/null | head -n 1)
    [ -n "$box$bar" ] && break
    sleep 0.1
  done
  if [ "$2" = yes ]; then
    check "$1: refused with the message" \
      "Static: This Operating System is not suitable for Blinkbar!|Check Readme_vx.xx.rtf for details" \
      "$(wininfo text Information | grep Static)"
    check "$1: no bar" "0" "$(window_count Blinkbar)"
    xdotool windowfocus --sync "$box" key Return
    wait_exit "$pid"
    check "$1: ends with code 0 once dismissed" "0" "$?"
    check "$1: nothing written" "none" "$(file_hash "$dir/Blinkbar.ini")"
  else
    check "$1: starts normally" "yes" "$([ -n "$bar" ] && [ -z "$box" ] && echo yes || echo no)"
    win=$bar
    stop_bar
  fi
}
gate_case win2003 yes
gate_case default no
gate_case win10 no
wine_run reg delete 'HKCU\Software\Wine\AppDefaults\blinkbar.exe' /f >/dev/null 2>&1

summary
