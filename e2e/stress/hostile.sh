#!/usr/bin/env bash
# Hostile settings files against the shipped program: a 50 MB file, random bytes, lines of
# 100,000 characters, NUL bytes, numbers beyond 32 bits, negative sizes and positions, a Drives
# of 1,000 characters, a folder where the file should be, and a file another program holds open
# without sharing. Each time the bar must come up within the printed bound, with a sane size,
# place and opacity, the file untouched until a command saves; the save then writes a whole
# file (or, where the file cannot be written, nothing, and the program goes on).
# Expects the Wine session of scripts/xvfb-session.sh.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"
xdotool mousemove 1000 740 # away from the bar: no tooltip over the LEDs
bound_ms=15000
echo "bound for a start: $bound_ms ms"

# "sane" or what is wrong: the bar on the screen, LEDs 18, 24 or 30 pixels, 1 to 24 of them (the
# bar is one pixel narrower than its LEDs, or 8 wider with the button), opacity 40 to 255.
sanity() {
  local g x y w h alpha
  g=$(geometry)
  x=${g%%,*} y=${g#*,} y=${y%% *} w=${g##* } h=${w#*x} w=${w%x*}
  alpha=$(field "$(wininfo window Blinkbar)" window alpha)
  if ((x + w <= 0 || x >= 1024 || y + h <= 0 || y >= 768)); then echo "off screen: $g"
  elif [[ ! " 18 24 30 " =~ " $h " ]]; then echo "LED size $h"
  elif (( ((w + 1) % h != 0 && (w + 1 - 8) % h != 0) || w + 1 > 24 * h + 8 )); then echo "width $w"
  elif [[ ! $alpha =~ ^[0-9]+$ ]]; then echo "opacity unreadable: '$alpha'" # layered always
  elif ((alpha < 40 || alpha > 255)); then echo "opacity $alpha"
  else echo sane; fi
}

timed_start() { # sets elapsed (ms)
  local t0
  t0=$(date +%s%N)
  start_bar
  elapsed=$((($(date +%s%N) - t0) / 1000000))
}

hostile_case() { # name, how the file is made (a python case, "folder" or "held")
  prepare "hostile-$1" ""
  local settings=$dir/Blinkbar.ini holder=""
  case $2 in
    folder) mkdir "$settings" ;;
    held)
      printf '[Settings]\r\nWinX=250\r\n' >"$settings"
      (exec "$root/scripts/wine-run.sh" "$helper_dir/wininfo.exe" hold "$(echo "Z:$settings" | tr '/' '\\')" 60 \
        >"$work/hold.out" 2>&1) &
      holder=$!
      for _ in $(seq 50); do grep -q held "$work/hold.out" 2>/dev/null && break; sleep 0.1; done ;;
    *) python3 "$root/e2e/stress/hostile_settings.py" "$2" "$settings" ;;
  esac
  local before
  before=$( [ -d "$settings" ] && echo folder || file_hash "$settings")
  timed_start
  echo "$1: up in $elapsed ms ($(geometry))"
  check "$1: up within the bound" "yes" "$([ -n "$win" ] && ((elapsed <= bound_ms)) && echo yes || echo no)"
  check "$1: sane" "sane" "$(sanity)"
  sleep 1
  check "$1: nothing written before a save" "$before" "$( [ -d "$settings" ] && echo folder || file_hash "$settings")"
  wininfo command Blinkbar 15 >/dev/null # Save Window Position
  sleep 1
  case $2 in
    folder) check "$1: the save gives up, the program goes on" "folder yes" "$([ -d "$settings" ] && echo folder) $(alive)" ;;
    held) check "$1: the save gives up, the program goes on" "$before yes" "$(file_hash "$settings") $(alive)" ;;
    *) check "$1: the save writes the twelve settings" "12 yes" "$(grep -c '^[A-Za-z ]* = ' "$settings" | head -c 2) $(alive)" ;;
  esac
  stop_bar
  if [ -n "$holder" ]; then kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null; fi
  return 0
}

for name in fifty-megabytes random-bytes long-lines nul-bytes beyond-32-bits negative drives-1000; do
  hostile_case "$name" "$name"
done
hostile_case "a-folder" folder
hostile_case "held-by-another-program" held
summary
